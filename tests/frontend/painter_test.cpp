#include "frontend/terminal/painter.h"

#include <gtest/gtest.h>
#include <iostream>

#include "frontend/terminal/text_width.h"
#include "tests/frontend/window_builder.h"

namespace frontend {
namespace {

using afx::WindowKind;
using testing::WindowBuilder;

// Where `text` first appears on the canvas, in cells; {-1, -1} when it does not.
std::pair<int, int> Find(const Canvas& canvas, const std::string& text) {
    for (int r = 0; r < canvas.rows(); ++r) {
        const std::string row = canvas.RowText(r);
        const size_t at = row.find(text);
        if (at != std::string::npos) {
            return {r, ColumnOfOffset(row, at)};
        }
    }
    return {-1, -1};
}

std::string Dump(const Canvas& canvas) {
    std::string text;
    for (int r = 0; r < canvas.rows(); ++r) {
        text += canvas.RowText(r) + "\n";
    }
    return text;
}

class PainterTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(EnsureUtf8Locale()); }

    Canvas Paint(afx::Window& window, int rows = 24, int cols = 80) {
        Canvas canvas(rows, cols);
        PaintScreen(canvas, {&window}, m_view);
        return canvas;
    }

    ViewState m_view;
};

TEST_F(PainterTest, ControlsStandWhereTheirDialogUnitsPutThem) {
    // 229 x 157 units: 57 x 19 cells of client area, framed and centred on 80 x 24.
    WindowBuilder b("CD-R/RWアップデートプログラム", 229, 157);
    b.Add(WindowKind::PushButton, 1, "閉じる", BS_DEFPUSHBUTTON | WS_TABSTOP, {177, 129, 44, 17});
    b.Add(WindowKind::PushButton, 1002, "開始", WS_TABSTOP, {177, 95, 44, 26});
    b.Add(WindowKind::GroupBox, 1003, "ステータス", BS_GROUPBOX, {6, 90, 164, 58});
    b.Add(WindowKind::Static, 1004, "Ready.", SS_CENTER | SS_CENTERIMAGE, {11, 104, 154, 10});
    b.Add(WindowKind::GroupBox, 1006, "ドライブの選択(&T)", BS_GROUPBOX, {7, 3, 213, 35});
    const Canvas canvas = Paint(b.dialog());

    EXPECT_EQ(Find(canvas, "CD-R/RWアップデートプログラム").first, 1);  // title bar
    EXPECT_EQ(Find(canvas, "[-]"), std::make_pair(1, 11));
    EXPECT_EQ(Find(canvas, "[X]"), std::make_pair(1, 65));
    // Client area starts at row 2, column 11.
    EXPECT_EQ(Find(canvas, "┌─ドライブの選択(T)─"), std::make_pair(2, 13));
    EXPECT_EQ(Find(canvas, "┌─ステータス─"), std::make_pair(13, 13));
    EXPECT_EQ(Find(canvas, "Ready."), std::make_pair(15, 30));  // centred both ways
    EXPECT_EQ(Find(canvas, "[ 開始 ]"), std::make_pair(15, 56));
    EXPECT_EQ(Find(canvas, "[[閉じる]]"), std::make_pair(18, 55));  // the default button
    EXPECT_EQ(canvas.at(21, 10).glyph, "└");  // the frame's bottom left corner
    // The access key of the group title is underlined, the rest is not.
    const auto [row, col] = Find(canvas, "T)─");
    EXPECT_EQ(canvas.at(row, col).attr & kAttrUnderline, kAttrUnderline);
    EXPECT_EQ(canvas.at(row, col + 1).attr & kAttrUnderline, 0);
}

TEST_F(PainterTest, FocusAndDisabledStatesShow) {
    WindowBuilder b("t", 120, 40);
    afx::Window& ok = b.Add(WindowKind::PushButton, 1, "OK", BS_DEFPUSHBUTTON, {4, 4, 40, 8});
    afx::Window& other = b.Add(WindowKind::PushButton, 2, "No", 0, {60, 4, 40, 8});
    afx::Window& check = b.Add(WindowKind::CheckBox, 3, "&Check", BS_AUTOCHECKBOX, {4, 20, 60, 8});
    check.check = BST_CHECKED;
    afx::Window& radio = b.Add(WindowKind::RadioButton, 4, "Radio", 0, {64, 20, 50, 8});
    radio.enabled = false;

    b.dialog().focus = &other;  // a focused button takes over the default mark
    Canvas canvas = Paint(b.dialog());
    EXPECT_NE(Find(canvas, "[ OK ]").first, -1);
    const auto at = Find(canvas, "[[ No ]]");
    ASSERT_NE(at.first, -1);
    EXPECT_EQ(canvas.at(at.first, at.second).attr & kAttrReverse, kAttrReverse);
    EXPECT_EQ(std::make_pair(m_view.cursorRow, m_view.cursorCol),
              std::make_pair(at.first, at.second + 3));
    EXPECT_NE(Find(canvas, "[x] Check").first, -1);
    const auto r = Find(canvas, "( ) Radio");
    EXPECT_EQ(canvas.at(r.first, r.second).attr & kAttrDim, kAttrDim);

    b.dialog().focus = &check;
    canvas = Paint(b.dialog());
    EXPECT_NE(Find(canvas, "[[ OK ]]").first, -1);
    (void)ok;
}

TEST_F(PainterTest, ProgressBarFillsInProportionAndClamps) {
    struct Case {
        int lower, upper, pos;
        int filled;
    } cases[] = {
        {0, 1000, 0, 0},  {0, 1000, 500, 19}, {0, 1000, 1000, 38}, {0, 1000, 1200, 38},
        {0, 1000, -5, 0}, {0, 0, 10, 0},      {100, 200, 150, 19},
    };
    for (const auto& c : cases) {
        WindowBuilder b("t", 229, 157);
        afx::Window& bar = b.Add(WindowKind::Progress, 1005, "", 0, {11, 124, 154, 13});
        bar.lower = c.lower, bar.upper = c.upper, bar.pos = c.pos;
        const Canvas canvas = Paint(b.dialog());
        std::string expected;
        for (int i = 0; i < 38; ++i) {
            expected += i < c.filled ? "█" : "░";
        }
        EXPECT_EQ(Find(canvas, expected).first, 18) << c.lower << ".." << c.upper << " @" << c.pos;
    }
}

TEST_F(PainterTest, TextWithNoRoomAroundIsClippedWithoutSplittingWideCharacters) {
    WindowBuilder b("t", 120, 40);
    // 9 columns between two other controls: four wide characters fit, the fifth would need
    // a tenth column.
    b.Add(WindowKind::Static, 4, "|", 0, {0, 4, 4, 8});
    b.Add(WindowKind::Static, 5, "データを転送しています・・・", 0, {4, 4, 36, 8});
    b.Add(WindowKind::Static, 6, "|", 0, {40, 4, 4, 8});
    b.Add(WindowKind::Static, 7, "|", 0, {0, 12, 4, 8});  // and the row below is taken
    b.Add(WindowKind::Static, 8, "|", 0, {20, 12, 4, 8});
    const Canvas canvas = Paint(b.dialog());
    EXPECT_NE(Find(canvas, "|データを |").first, -1) << Dump(canvas);
}

TEST_F(PainterTest, TooLongTextsTakeTheFreeCellsAroundThemAndAreNeverCut) {
    // The status line of the update dialog: 38 columns in a group box 39 columns wide
    // inside, a progress bar three rows below.
    struct Case {
        const char* text;
        std::vector<std::string> rows;  // what shows from the status row down
    } cases[] = {
        {"開始ボタンをクリックしてください。", {"開始ボタンをクリックしてください。"}},
        // 40 columns: two balanced halves rather than a line and a stub.
        {"アップデート用ドライブが見つかりません。",
         {"アップデート用ドライ", "ブが見つかりません。"}},
        {"タイプコードが異なるため、書き込みできません。",
         {"タイプコードが異なるた", "め、書き込みできません。"}},
    };
    for (const auto& c : cases) {
        WindowBuilder b("t", 229, 157);
        b.Add(WindowKind::GroupBox, 1003, "ステータス", BS_GROUPBOX, {6, 90, 164, 58});
        b.Add(WindowKind::Static, 1004, c.text, SS_CENTER | SS_CENTERIMAGE, {11, 104, 154, 10});
        afx::Window& bar = b.Add(WindowKind::Progress, 1005, "", 0, {11, 124, 154, 13});
        bar.upper = 1000;
        const Canvas canvas = Paint(b.dialog());
        const int first = Find(canvas, c.rows[0]).first;
        ASSERT_EQ(first, 15) << Dump(canvas);
        for (size_t i = 1; i < c.rows.size(); ++i) {
            EXPECT_EQ(Find(canvas, c.rows[i]).first, first + static_cast<int>(i)) << c.text;
        }
        EXPECT_NE(Find(canvas, "░░░░").first, -1);                      // the bar is left alone
        EXPECT_NE(canvas.RowText(first).find("│"), std::string::npos);  // and the frame
    }
}

TEST_F(PainterTest, LeftAlignedTextBlockedOnTheRightMovesLeftToFit) {
    // The editor's type-code label: one column short before the group box's frame.
    WindowBuilder b("t", 250, 93);
    b.Add(WindowKind::GroupBox, 1012, "パラメータ情報(&P)", BS_GROUPBOX, {2, 5, 192, 69});
    b.Add(WindowKind::ListBox, 1011, "", WS_BORDER | WS_VSCROLL, {8, 19, 71, 48});
    b.Add(WindowKind::Static, 1015, "タイプコードを参照しません。", 0, {84, 53, 106, 8});
    b.Add(WindowKind::Static, 1013, "CD-R/RW KP2140A", 0, {84, 23, 106, 8});
    const Canvas canvas = Paint(b.dialog());
    const auto label = Find(canvas, "タイプコードを参照しません。│");
    ASSERT_NE(label.first, -1) << Dump(canvas);
    EXPECT_EQ(label.second, Find(canvas, "CD-R/RW KP2140A").second - 1);
}

TEST_F(PainterTest, ListBoxScrollsToTheSelectionAndShowsItsPlace) {
    WindowBuilder b("t", 250, 93);
    afx::Window& list = b.Add(WindowKind::ListBox, 1011, "", LBS_NOTIFY | WS_VSCROLL | WS_BORDER,
                              {8, 19, 71, 48});  // four rows inside the border
    for (int i = 0; i < 10; ++i) {
        list.items.push_back({"NXB-" + std::to_string(i), static_cast<DWORD_PTR>(i)});
    }
    list.curSel = 7;
    const Canvas canvas = Paint(b.dialog());
    EXPECT_EQ(Find(canvas, "NXB-3").first, -1);
    const auto first = Find(canvas, "NXB-4");
    const auto selected = Find(canvas, "NXB-7");
    ASSERT_NE(first.first, -1);
    EXPECT_EQ(selected.first, first.first + 3);
    EXPECT_EQ(canvas.at(selected.first, selected.second).attr & kAttrReverse, kAttrReverse);
    // Arrows at both ends of the bar, the thumb at the bottom of the track.
    const int bar = first.second + 15;
    EXPECT_EQ(canvas.at(first.first, bar).glyph, "▲");
    EXPECT_EQ(canvas.at(first.first + 2, bar).glyph, "█");
    EXPECT_EQ(canvas.at(first.first + 3, bar).glyph, "▼");
    // A click on a row finds its item, below the items the empty area.
    const Hit* hit = m_view.HitAt(selected.first, selected.second + 2);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->kind, HitKind::ListItem);
    EXPECT_EQ(hit->index, 7);

    list.items.resize(2);
    list.curSel = 0;
    const Canvas shortList = Paint(b.dialog());
    const auto top = Find(shortList, "NXB-0");
    const Hit* blank = m_view.HitAt(top.first + 3, top.second);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->kind, HitKind::ListBlank);
}

TEST_F(PainterTest, EditFieldScrollsToKeepTheCaretInView) {
    WindowBuilder b("t", 187, 183);
    afx::Window& edit = b.Add(WindowKind::Edit, 1029, "", WS_BORDER | ES_AUTOHSCROLL,
                              {34, 118, 56, 12});  // 14 cells: 12 of text between brackets
    edit.text = "0123456789ABCDEF";
    b.dialog().focus = &edit;
    m_view.Of(&edit).caret = edit.text.size();
    Canvas canvas = Paint(b.dialog());
    const auto tail = Find(canvas, "[56789ABCDEF ]");
    ASSERT_NE(tail.first, -1) << Dump(canvas);
    EXPECT_EQ(m_view.cursorCol, tail.second + 12);  // after F, in the last text cell

    m_view.Of(&edit).caret = 0;
    canvas = Paint(b.dialog());
    EXPECT_NE(Find(canvas, "[0123456789AB]").first, -1);
    EXPECT_EQ(m_view.cursorCol, Find(canvas, "[0123").second + 1);

    edit.text = "製品名ABCDEFGHIJ";  // a wide character cut at the left edge shows as blank
    m_view.Of(&edit).caret = edit.text.size();
    m_view.Of(&edit).scroll = 0;
    canvas = Paint(b.dialog());
    EXPECT_NE(Find(canvas, "[ ABCDEFGHIJ ]").first, -1) << Dump(canvas);
}

TEST_F(PainterTest, DropDownShowsTheSelectionClosedAndItsItemsOpen) {
    WindowBuilder b("t", 229, 157);
    afx::Window& combo = b.Add(WindowKind::ComboBox, 1000, "", CBS_DROPDOWNLIST | WS_VSCROLL,
                               {13, 63, 202, 40});  // opens to three rows
    for (const char* name : {"A.bin", "B.bin", "C.bin", "D.bin"}) {
        combo.items.push_back({name, 0});
    }
    combo.curSel = 1;
    Canvas canvas = Paint(b.dialog());
    const auto closed = Find(canvas, "[B.bin");
    ASSERT_NE(closed.first, -1);
    EXPECT_EQ(canvas.at(closed.first, closed.second + 49).glyph, "▼");
    EXPECT_EQ(Find(canvas, "A.bin").first, -1);

    // Closed, only the box takes clicks: what lies where the list would open is free.
    const Hit* box = m_view.HitAt(closed.first, closed.second + 3);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->window, &combo);
    EXPECT_EQ(m_view.HitAt(closed.first + 1, closed.second + 3), nullptr);

    m_view.popup = {Popup::Kind::DropDown, &combo, 3, 0};
    canvas = Paint(b.dialog());
    EXPECT_EQ(Find(canvas, "B.bin").first, closed.first);  // the box stays
    EXPECT_EQ(Find(canvas, "│B.bin").first, closed.first + 1);
    EXPECT_EQ(Find(canvas, "│D.bin").first, closed.first + 3);  // scrolled to the highlight
    const auto d = Find(canvas, "D.bin");
    EXPECT_EQ(canvas.at(d.first, d.second).attr & kAttrReverse, kAttrReverse);
    const Hit* hit = m_view.HitAt(d.first, d.second);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->kind, HitKind::PopupItem);
    EXPECT_EQ(hit->index, 3);
}

TEST_F(PainterTest, MessageBoxIsCentredWithCaptionIconTextAndButtons) {
    WindowBuilder b("CD-R/RWアップデートプログラム", 229, 157);
    afx::Window box;
    box.kind = WindowKind::MessageBox;
    box.text = "CD-R/RWアップデートプログラム";
    box.message = "現在、作業中です。\n中止しますか？";
    box.boxType = MB_YESNO | MB_ICONEXCLAMATION;
    box.hasSystemMenu = true;
    for (auto [id, label] : {std::pair{IDYES, "はい(&Y)"}, std::pair{IDNO, "いいえ(&N)"}}) {
        auto button = std::make_unique<afx::Window>();
        button->kind = WindowKind::PushButton;
        button->id = id;
        button->text = label;
        button->parent = &box;
        box.controls.push_back(std::move(button));
    }
    box.focus = box.controls[0].get();
    Canvas canvas(24, 80);
    PaintScreen(canvas, {&b.dialog(), &box}, m_view);

    const auto icon = Find(canvas, "(!)");
    const auto line1 = Find(canvas, "現在、作業中です。");
    const auto line2 = Find(canvas, "中止しますか？");
    EXPECT_EQ(line1.first, icon.first);
    EXPECT_EQ(line2, std::make_pair(line1.first + 1, line1.second));
    const auto yes = Find(canvas, "[[ はい(Y) ]]");
    const auto no = Find(canvas, "[ いいえ(N) ]");
    ASSERT_NE(yes.first, -1) << Dump(canvas);
    EXPECT_EQ(no.first, yes.first);
    // Centred: as much room left of the box as right of it (to a cell).
    const auto corner = Find(canvas, "└─");
    int right = corner.second;
    while (canvas.at(corner.first, right).glyph != "┘") {
        ++right;
    }
    EXPECT_LE(std::abs(corner.second - (79 - right)), 1);
    // Only the box on top takes clicks.
    const Hit* hit = m_view.HitAt(no.first, no.second + 2);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->window->id, IDNO);
    EXPECT_EQ(m_view.HitAt(Find(canvas, "[-]").first, 11), nullptr);
}

TEST_F(PainterTest, SmallTerminalsClipAndFollowTheFocus) {
    WindowBuilder b("t", 187, 183);  // 22 rows of client area
    afx::Window& top = b.Add(WindowKind::Edit, 1020, "first", WS_BORDER, {11, 15, 105, 12});
    afx::Window& bottom = b.Add(WindowKind::RadioButton, 1026, "&ATAPI", 0, {67, 157, 42, 10});
    for (const auto& [rows, cols] : {std::pair{0, 0}, std::pair{1, 1}, std::pair{5, 12},
                                     std::pair{10, 30}, std::pair{24, 80}}) {
        b.dialog().focus = &top;
        Canvas canvas = Paint(b.dialog(), rows, cols);
        b.dialog().focus = &bottom;
        canvas = Paint(b.dialog(), rows, cols);
        if (rows >= 10) {
            EXPECT_NE(Find(canvas, "( ) ATAPI").first, -1) << rows << "x" << cols;
        }
    }
    b.dialog().focus = &top;
    const Canvas canvas = Paint(b.dialog(), 10, 30);
    EXPECT_EQ(Find(canvas, "[first").first, 3);  // pinned to the top left
}

TEST_F(PainterTest, SystemMenuListsItsItemsWithShortcuts) {
    WindowBuilder b("t", 229, 157);
    b.dialog().systemMenu = {{MF_STRING, SC_MOVE, "移動(&M)"},
                             {MF_SEPARATOR, 0, ""},
                             {MF_STRING, SC_CLOSE, "閉じる(&C)\tAlt+F4"},
                             {MF_SEPARATOR, 0, ""},
                             {MF_STRING, 0x10, "ﾊﾞｰｼﾞｮﾝ情報(&A)..."}};
    m_view.popup = {Popup::Kind::SystemMenu, &b.dialog(), 4, 0};
    const Canvas canvas = Paint(b.dialog());
    const auto close = Find(canvas, "閉じる(C)");
    const auto version = Find(canvas, "ﾊﾞｰｼﾞｮﾝ情報(A)...");
    ASSERT_NE(close.first, -1);
    EXPECT_EQ(version.first, close.first + 2);
    EXPECT_NE(canvas.RowText(close.first).find("Alt+F4"), std::string::npos);
    EXPECT_NE(canvas.RowText(close.first + 1).find("├──"), std::string::npos);
    EXPECT_EQ(canvas.at(version.first, version.second).attr & kAttrReverse, kAttrReverse);
    const Hit* hit = m_view.HitAt(version.first, version.second);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->kind, HitKind::PopupItem);
    EXPECT_EQ(hit->index, 4);
}

}  // namespace
}  // namespace frontend
