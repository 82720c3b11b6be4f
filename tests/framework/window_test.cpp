// The top-level window: system menu, icons, placement and painting while minimised.
#include <gtest/gtest.h>

#include "res/resource.h"
#include "test_dialog.h"

using afx::HeadlessUser;
using fwtest::TestDialog;

namespace {

TEST(Window, TheSystemMenuStartsWithMoveAndCloseAndTakesNewItems) {
    TestDialog dlg;
    HeadlessUser user;
    dlg.onInit = [](TestDialog& d) {
        CMenu* menu = d.GetSystemMenu(FALSE);
        ASSERT_NE(menu, nullptr);
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, fwtest::IDM_TEST_ITEM, "ﾊﾞｰｼﾞｮﾝ情報(&A)...");
    };
    user.Start([&] { return dlg.DoModal(); });
    std::vector<afx::MenuItem> menu = user.SystemMenu();
    ASSERT_EQ(menu.size(), 5u);
    EXPECT_EQ(menu[0].id, static_cast<UINT>(SC_MOVE));
    EXPECT_EQ(menu[2].id, static_cast<UINT>(SC_CLOSE));
    EXPECT_EQ(menu[3].flags & MF_SEPARATOR, MF_SEPARATOR);
    EXPECT_EQ(menu[4].id, fwtest::IDM_TEST_ITEM);
    EXPECT_EQ(menu[4].text, "ﾊﾞｰｼﾞｮﾝ情報(&A)...");

    CMenu* menuObject = dlg.GetSystemMenu(FALSE);
    EXPECT_EQ(menuObject->GetMenuItemCount(), 5u);
    EXPECT_EQ(menuObject->GetMenuItemID(4), fwtest::IDM_TEST_ITEM);
    CString text;
    const CString item = "ﾊﾞｰｼﾞｮﾝ情報(&A)...";
    EXPECT_EQ(menuObject->GetMenuString(fwtest::IDM_TEST_ITEM, text, MF_BYCOMMAND),
              static_cast<int>(item.size()));
    EXPECT_EQ(text, item);
    EXPECT_GT(menuObject->GetMenuString(2, text, MF_BYPOSITION), 0);
    EXPECT_EQ(text, "閉じる(&C)\tAlt+F4");
    EXPECT_EQ(menuObject->GetMenuString(0x0020, text, MF_BYCOMMAND), 0);

    user.SysCommand(fwtest::IDM_TEST_ITEM);
    EXPECT_EQ(dlg.log.back(), "test item");
    EXPECT_THROW(user.SysCommand(0x0020), afx::HeadlessError);  // not in the menu

    EXPECT_EQ(dlg.GetSystemMenu(TRUE), nullptr);  // back to the default items
    EXPECT_EQ(user.SystemMenu().size(), 3u);
    user.SysCommand(SC_CLOSE);  // default processing: WM_CLOSE, then IDCANCEL
    EXPECT_EQ(dlg.log.back(), "close");
    EXPECT_EQ(user.Result(), IDCANCEL);
}

TEST(Window, IconsLoadFromTheResourcesAndShowInTheWindow) {
    TestDialog dlg;
    HeadlessUser user;
    CWinApp app;
    HICON icon = app.LoadIcon(IDR_MAINFRAME);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(app.LoadIcon(4711), nullptr);
    const res::IconResource* image = afx::IconImage(icon);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->id, static_cast<UINT>(IDR_MAINFRAME));
    EXPECT_GT(image->rowCount, 0u);
    EXPECT_EQ(afx::IconImage(reinterpret_cast<HICON>(&app)), nullptr);

    dlg.onInit = [icon](TestDialog& d) {
        d.SetIcon(icon, TRUE);
        d.SetIcon(icon, FALSE);
    };
    user.Start([&] { return dlg.DoModal(); });
    EXPECT_EQ(user.Dialog().bigIcon, icon);
    EXPECT_EQ(user.Dialog().smallIcon, icon);
    EXPECT_EQ(user.Control(fwtest::kIcon).icon, icon);  // the template's icon control
    user.Escape();
}

TEST(Window, PlacementReportsTheShowStateAndAHiddenDialogIsShownAfterInitialisation) {
    TestDialog dlg;
    HeadlessUser user;
    UINT showCmdAtInit = 99;
    dlg.onInit = [&](TestDialog& d) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        ASSERT_TRUE(d.GetWindowPlacement(&placement));
        showCmdAtInit = placement.showCmd;
        placement.showCmd &= ~3u;  // what the program's dialogs do when they initialise
        d.SetWindowPlacement(&placement);
    };
    user.Start([&] { return dlg.DoModal(); });
    EXPECT_EQ(showCmdAtInit, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_TRUE(user.Dialog().visible);
    WINDOWPLACEMENT placement{};
    ASSERT_TRUE(dlg.GetWindowPlacement(&placement));
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWNORMAL));
    EXPECT_EQ(placement.rcNormalPosition.right, afx::DialogUnitsToPixelsX(210));

    dlg.ShowWindow(SW_MINIMIZE);
    EXPECT_TRUE(dlg.IsIconic());
    ASSERT_TRUE(dlg.GetWindowPlacement(&placement));
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    user.Escape();
}

// Draws its icon in the middle of the client area while minimised, as the program's main
// dialog does.
class IconDialog : public TestDialog {
  public:
    HICON m_hIcon = nullptr;
    int paints = 0;

  protected:
    afx_msg void OnPaint() {
        ++paints;
        if (!IsIconic()) {
            CDialog::OnPaint();
            return;
        }
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        CRect rect;
        GetClientRect(&rect);
        int x = (rect.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (rect.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
        dc.DrawIcon(x, y, m_hIcon);
    }
    afx_msg HCURSOR OnQueryDragIcon() { return m_hIcon; }
    DECLARE_MESSAGE_MAP()
};

// clang-format off
BEGIN_MESSAGE_MAP(IconDialog, TestDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()
// clang-format on

TEST(Window, AMinimisedDialogIsPaintedWithItsIconInTheMiddle) {
    IconDialog dlg;
    HeadlessUser user;
    dlg.m_hIcon = afx::IconHandle(IDR_MAINFRAME);
    user.Start([&] { return dlg.DoModal(); });
    EXPECT_EQ(dlg.paints, 1);  // once when it was shown
    EXPECT_TRUE(user.Dialog().painted.empty());

    // Without a minimise box a person cannot minimise it; the program can.
    EXPECT_THROW(user.SysCommand(SC_MINIMIZE), afx::HeadlessError);
    EXPECT_EQ(dlg.paints, 1);
    dlg.ShowWindow(SW_MINIMIZE);
    user.Pump();
    EXPECT_EQ(dlg.paints, 2);
    ASSERT_EQ(user.Dialog().painted.size(), 1u);
    const afx::PaintedIcon& painted = user.Dialog().painted[0];
    EXPECT_EQ(painted.icon, dlg.m_hIcon);
    EXPECT_EQ(painted.x, (afx::DialogUnitsToPixelsX(210) - 32 + 1) / 2);
    EXPECT_EQ(painted.y, (afx::DialogUnitsToPixelsY(140) - 32 + 1) / 2);
    EXPECT_EQ(reinterpret_cast<HICON>(dlg.SendMessage(WM_QUERYDRAGICON)), dlg.m_hIcon);
    user.Escape();
}

}  // namespace
