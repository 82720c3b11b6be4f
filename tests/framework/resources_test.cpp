// The resources: exact texts of the string table, and every dialog template as it loads.
#include <gtest/gtest.h>

#include "framework/afxwin.h"
#include "framework/headless.h"
#include "res/resource.h"

using afx::HeadlessUser;
using afx::WindowKind;

namespace {

TEST(Resources, StringsHaveTheirExactBytes) {
    struct Case {
        UINT id;
        const char* bytes;
    };
    const Case cases[] = {
        // "ﾊﾞｰｼﾞｮﾝ情報(&A)...": half-width katakana, then ASCII dots.
        {101,
         "\xEF\xBE\x8A\xEF\xBE\x9E\xEF\xBD\xB0\xEF\xBD\xBC\xEF\xBE\x9E\xEF\xBD\xAE\xEF\xBE\x9D"
         "\xE6\x83\x85\xE5\xA0\xB1(&A)..."},
        // "データを転送しています" and three katakana middle dots U+30FB.
        {118,
         "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\xE3\x82\x92\xE8\xBB\xA2\xE9\x80\x81\xE3\x81\x97"
         "\xE3\x81\xA6\xE3\x81\x84\xE3\x81\xBE\xE3\x81\x99\xE3\x83\xBB\xE3\x83\xBB\xE3\x83\xBB"},
        {102, "メモリが足りません。\nプログラムを終了します。"},
        {104, "「%s」ファイルによるアップデートを開始します。\nよろしいですか？"},
        {129,
         "正常に作業が完了しました。\n書き込んだデータを有効にするためには、\nドライブの電源を"
         "入れ直す必要があります。\n\n今すぐパソコンの電源をおとしますか？"},
        {136, "タイプコードを参照しません。"},
    };
    for (const Case& c : cases) EXPECT_EQ(AfxLoadString(c.id), c.bytes) << c.id;
}

TEST(Resources, EveryStringFrom101To136IsThereAndOthersAreEmpty) {
    for (UINT id = 101; id <= 136; ++id) EXPECT_FALSE(AfxLoadString(id).empty()) << id;
    EXPECT_EQ(AfxLoadString(100), "");
    EXPECT_EQ(AfxLoadString(4711), "");
    EXPECT_EQ(res::FindString(4711), nullptr);
}

struct ControlSpec {
    int id;
    WindowKind kind;
    const char* text;
    int x, y, cx, cy;
};

struct TemplateSpec {
    UINT id;
    const char* caption;
    int cx, cy;
    std::vector<ControlSpec> controls;
};

using K = WindowKind;

const TemplateSpec kTemplates[] = {
    {IDD_ABOUTBOX,
     "ﾊﾞｰｼﾞｮﾝ情報",
     134,
     113,
     {{-1, K::Icon, "", 57, 40, 20, 20},
      {1008, K::Static, "CD-R/RWアップデートプログラム", 7, 5, 119, 8},
      {1009, K::Static, "Ver 1.00", 24, 21, 85, 8},
      {1, K::PushButton, "OK", 42, 92, 50, 14}}},
    {IDD_CDRWUPDATE_DIALOG,
     "CD-R/RWアップデートプログラム",
     229,
     157,
     {{1, K::PushButton, "閉じる", 177, 129, 44, 17},
      {1000, K::ComboBox, "", 13, 63, 202, 84},
      {1001, K::ComboBox, "", 13, 19, 202, 95},
      {1002, K::PushButton, "開始", 177, 95, 44, 26},
      {1003, K::GroupBox, "ステータス", 6, 90, 164, 58},
      {1004, K::Static, "Ready.", 11, 104, 154, 10},
      {1005, K::Progress, "", 11, 124, 154, 13},
      {1006, K::GroupBox, "ドライブの選択(&T)", 7, 3, 213, 35},
      {1007, K::GroupBox, "アップデートファイルの選択(&F)", 7, 48, 213, 35}}},
    {IDD_PARAM_LIST,
     "対象ドライブパラメータ編集ダイアログ",
     250,
     93,
     {{1, K::PushButton, "閉じる", 197, 77, 50, 14},
      {1012, K::GroupBox, "パラメータ情報(&P)", 2, 5, 192, 69},
      {1011, K::ListBox, "", 8, 19, 71, 48},
      {1013, K::Static, "モデル名：", 84, 23, 106, 8},
      {1014, K::Static, "SCSI or ATAPI", 84, 38, 106, 8},
      {1015, K::Static, "Type Code Offset", 84, 53, 106, 8},
      {1016, K::PushButton, "追加(&A)", 197, 11, 50, 14},
      {1017, K::PushButton, "編集(&E)", 197, 27, 50, 14},
      {1018, K::PushButton, "削除(&D)", 197, 43, 50, 14}}},
    {IDD_PARAM_EDIT,
     "パラメータ編集ダイアログ",
     187,
     183,
     {{1, K::PushButton, "OK", 130, 7, 50, 14},
      {2, K::PushButton, "ｷｬﾝｾﾙ", 130, 24, 50, 14},
      {1019, K::GroupBox, "製品名(&P)", 4, 3, 119, 33},
      {1020, K::Edit, "", 11, 15, 105, 12},
      {1021, K::GroupBox, "パラメータ指定", 4, 41, 119, 96},
      {1022, K::Static, "モデル名(&M)：", 9, 55, 52, 8},
      {1023, K::Edit, "", 19, 67, 98, 12},
      {1030, K::CheckBox, "ﾀｲﾌﾟｺｰﾄﾞの取得が可能(&T)", 8, 90, 102, 9},
      {1028, K::Static, "ﾀｲﾌﾟｺｰﾄﾞのｵﾌｾｯﾄｱﾄﾞﾚｽ(&O)：", 19, 104, 90, 8},
      {1029, K::Edit, "", 34, 118, 56, 12},
      {1031, K::Static, "(HEX)", 93, 118, 24, 12},
      {1027, K::GroupBox, "ｲﾝﾀｰﾌｪｰｽ(&I)", 4, 143, 119, 31},
      {1025, K::RadioButton, "&SCSI", 15, 157, 38, 10},
      {1026, K::RadioButton, "&ATAPI", 67, 157, 42, 10}}},
};

TEST(Resources, EveryDialogTemplateLoadsWithItsControlsInTabOrder) {
    for (const TemplateSpec& spec : kTemplates) {
        SCOPED_TRACE(spec.id);
        CDialog dlg(spec.id);
        HeadlessUser user;
        user.Start([&] { return dlg.DoModal(); });
        const afx::Window& window = user.Dialog();
        EXPECT_EQ(window.text, spec.caption);
        EXPECT_EQ(window.fontName, "ＭＳ Ｐゴシック");
        EXPECT_EQ(window.pointSize, 9);
        EXPECT_EQ(window.rect.cx, spec.cx);
        EXPECT_EQ(window.rect.cy, spec.cy);
        EXPECT_TRUE(window.hasSystemMenu);
        EXPECT_TRUE(window.style & DS_MODALFRAME);
        EXPECT_FALSE(window.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
        ASSERT_EQ(window.controls.size(), spec.controls.size());
        for (size_t i = 0; i < spec.controls.size(); ++i) {
            const ControlSpec& want = spec.controls[i];
            const afx::Window& got = *window.controls[i];
            SCOPED_TRACE(want.id);
            EXPECT_EQ(got.id, want.id);
            EXPECT_EQ(got.kind, want.kind);
            EXPECT_EQ(got.text, want.text);
            EXPECT_EQ(got.rect.x, want.x);
            EXPECT_EQ(got.rect.y, want.y);
            EXPECT_EQ(got.rect.cx, want.cx);
            EXPECT_EQ(got.rect.cy, want.cy);
            EXPECT_TRUE(got.enabled);
            EXPECT_TRUE(got.visible);
        }
        user.Escape();
    }
}

TEST(Resources, ControlStylesThatChangeBehaviour) {
    struct Case {
        UINT dialog;
        int control;
        DWORD style;
    };
    const Case cases[] = {
        {IDD_CDRWUPDATE_DIALOG, IDOK, BS_DEFPUSHBUTTON},
        {IDD_CDRWUPDATE_DIALOG, IDC_IMAGE_LIST, CBS_SORT | WS_VSCROLL},
        {IDD_CDRWUPDATE_DIALOG, IDC_DRIVE_LIST, CBS_SORT | WS_VSCROLL},
        {IDD_CDRWUPDATE_DIALOG, IDC_STATUS, SS_CENTER | SS_CENTERIMAGE},
        {IDD_CDRWUPDATE_DIALOG, IDC_PROGRESS, PBS_SMOOTH | WS_BORDER},
        {IDD_ABOUTBOX, IDC_ABOUT_TITLE, SS_CENTER},
        {IDD_PARAM_LIST, IDC_PARAM_LIST,
         LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP},
        {IDD_PARAM_EDIT, IDC_PRODUCT_NAME, WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP},
        {IDD_PARAM_EDIT, IDC_SCSI, BS_AUTORADIOBUTTON | WS_GROUP},
        {IDD_PARAM_EDIT, IDC_TYPE_CODE_CHECK, BS_AUTOCHECKBOX | WS_TABSTOP},
        {IDD_PARAM_EDIT, IDC_HEX_LABEL, SS_CENTERIMAGE},
    };
    for (const Case& c : cases) {
        const res::DialogTemplate* t = res::FindDialogTemplate(c.dialog);
        ASSERT_NE(t, nullptr);
        const res::DialogItemTemplate* item = nullptr;
        for (size_t i = 0; i < t->itemCount; ++i) {
            if (t->items[i].id == c.control) item = &t->items[i];
        }
        ASSERT_NE(item, nullptr) << c.control;
        EXPECT_EQ(item->style & c.style, c.style) << c.dialog << " " << c.control;
    }
    EXPECT_FALSE(res::FindDialogTemplate(IDD_PARAM_LIST)->items[2].style & LBS_SORT);
    EXPECT_TRUE(res::FindDialogTemplate(IDD_CDRWUPDATE_DIALOG)->exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(res::FindDialogTemplate(4711), nullptr);
}

TEST(Resources, ADialogWithoutTemplateDoesNotRun) {
    CDialog dlg(4711);
    EXPECT_EQ(dlg.DoModal(), -1);
}

}  // namespace
