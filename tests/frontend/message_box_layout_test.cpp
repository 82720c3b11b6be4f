#include "frontend/terminal/message_box_layout.h"

#include <gtest/gtest.h>

#include "frontend/terminal/text_width.h"
#include "winapi/windows.h"

namespace frontend {
namespace {

using Lines = std::vector<std::string>;

TEST(MessageBoxLayoutTest, TextKeepsItsLineBreaksAndWrapsLongLines) {
    ASSERT_TRUE(EnsureUtf8Locale());
    struct Case {
        const char* text;
        int width;
        Lines lines;
    } cases[] = {
        {"正常に作業が完了しました。\n\n今すぐ？",
         40,
         {"正常に作業が完了しました。", "", "今すぐ？"}},
        {"データを転送しています",
         9,
         {"データを", "転送して", "います"}},        // never half a character
        {"one two three", 8, {"one two", "three"}},  // a blank is the better break
        {"abc\r\ndef", 10, {"abc", "def"}},
        {"", 10, {""}},
        {"開", 1, {"開"}},  // wider than the room: still shown, one character per line
        // Closing punctuation does not start a line: the character before it comes along.
        {"見つかりません。", 14, {"見つかりませ", "ん。"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WrapText(c.text, c.width), c.lines) << c.text;
    }
}

TEST(MessageBoxLayoutTest, BalancedWrappingSharesTheWidth) {
    ASSERT_TRUE(EnsureUtf8Locale());
    EXPECT_EQ(WrapBalanced("0123456789abcdefghij", 16, 3), (Lines{"0123456789", "abcdefghij"}));
    EXPECT_EQ(WrapBalanced("short", 16, 3), (Lines{"short"}));
    // Not enough rows for a balanced split: as wrapped, the caller cuts.
    EXPECT_EQ(WrapBalanced("0123456789", 4, 2).size(), 3u);
}

TEST(MessageBoxLayoutTest, BoxFitsItsPartsAndIsCentred) {
    ASSERT_TRUE(EnsureUtf8Locale());
    const MessageBoxLayout layout =
        LayoutMessageBox("CD-R/RWアップデートプログラム", "現在、作業中です。\n中止しますか？",
                         MB_YESNO | MB_ICONQUESTION, {"はい(&Y)", "いいえ(&N)"}, 24, 80);
    EXPECT_EQ(layout.lines, (Lines{"現在、作業中です。", "中止しますか？"}));
    EXPECT_EQ(layout.frame.rows, 7);
    EXPECT_EQ(layout.frame.row, (24 - 7) / 2);
    EXPECT_EQ(layout.frame.col, (80 - layout.frame.cols) / 2);
    EXPECT_EQ(layout.textCol, layout.iconCol + 5);  // "(?)" and two blanks
    ASSERT_EQ(layout.buttons.size(), 2u);
    EXPECT_EQ(layout.buttons[0].row, layout.frame.bottom() - 2);
    EXPECT_LT(layout.buttons[0].right(), layout.buttons[1].col);
    EXPECT_LE(layout.buttons[1].right(), layout.frame.right() - 1);

    // A narrow screen wraps the text instead of losing it.
    const MessageBoxLayout narrow =
        LayoutMessageBox("t", std::string(100, 'x'), MB_OK, {"OK"}, 24, 40);
    EXPECT_GT(narrow.lines.size(), 1u);
    EXPECT_LE(narrow.frame.cols, 40);
}

TEST(MessageBoxLayoutTest, IconsAndAnswersHaveTheirMarks) {
    EXPECT_EQ(IconMark(MB_ICONQUESTION), "(?)");
    EXPECT_EQ(IconMark(MB_ICONEXCLAMATION), "(!)");
    EXPECT_EQ(IconMark(MB_ICONINFORMATION), "(i)");
    EXPECT_EQ(IconMark(MB_ICONHAND), "(X)");
    EXPECT_EQ(IconMark(MB_OK), "");
    EXPECT_EQ(DefaultAnswerLabel(IDYES), "はい(&Y)");
    EXPECT_EQ(DefaultAnswerLabel(IDCANCEL), "キャンセル");
}

}  // namespace
}  // namespace frontend
