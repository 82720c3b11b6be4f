// The version item of the system menu, the version dialog (also while an update runs), and
// the icon of the minimised window.
#include <gtest/gtest.h>

#include "app/about_dlg.h"
#include "tests/app/updater_rig.h"

namespace apptest {
namespace {

const char kVersionCaption[] = "ﾊﾞｰｼﾞｮﾝ情報";

std::string Body(World& world) {
    world.AddImage({"fw.bin"});
    return World::Drive("cd", 0, 2, 0, "ABC123",
                        "checking-ms = 500\nerasing-ms = 500\nwriting-ms = 500\n"
                        "verifying-ms = 500\n");
}

const afx::Window& MainControl(UpdaterRig& rig, int id) {
    return *rig.user.Of(rig.dlg).Control(id);
}

TEST(VersionDialog, SystemMenuCarriesTheItem) {
    World world;
    UpdaterRig rig(world, Body(world));
    ASSERT_TRUE(rig.Idle());
    const std::vector<afx::MenuItem> menu = rig.user.SystemMenu();
    ASSERT_GE(menu.size(), 2u);
    EXPECT_EQ(menu[menu.size() - 2].flags & MF_SEPARATOR, MF_SEPARATOR);
    EXPECT_EQ(menu.back().id, static_cast<UINT>(IDM_ABOUTBOX));
    EXPECT_EQ(menu.back().text, "ﾊﾞｰｼﾞｮﾝ情報(&A)...");
    const HICON icon = App().LoadIcon(IDR_MAINFRAME);
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(rig.user.Dialog().bigIcon, icon);
    EXPECT_EQ(rig.user.Dialog().smallIcon, icon);
}

// The system keeps the low four bits of a system command for itself (the menu gives 0x10;
// other sources may set them).
TEST(VersionDialog, OpensForItsCommandWhateverTheLowBits) {
    const struct {
        UINT command;
        bool opens;
    } rows[] = {{0x10, true}, {0x11, true},  {0x17, true},
                {0x1F, true}, {0x20, false}, {0x00, false}};
    for (const auto& row : rows) {
        World world;
        UpdaterRig rig(world, Body(world));
        ASSERT_TRUE(rig.Idle());
        PostMessageA(rig.dlg.GetSafeHwnd(), WM_SYSCOMMAND, row.command, 0);
        rig.user.Pump();
        EXPECT_EQ(rig.user.Caption() == kVersionCaption, row.opens) << row.command;
        if (row.opens) {
            EXPECT_EQ(rig.user.Text(IDC_ABOUT_TITLE), "CD-R/RWアップデートプログラム");
            EXPECT_EQ(rig.user.Text(IDC_ABOUT_VERSION), "Ver 1.00");
            rig.user.Enter();
            EXPECT_EQ(rig.user.Caption(), "CD-R/RWアップデートプログラム");
        }
        EXPECT_TRUE(rig.Idle());
    }
}

// The update goes on behind the version dialog, and its events are handled meanwhile.
TEST(VersionDialog, DuringAnUpdate) {
    World world;
    UpdaterRig rig(world, Body(world));
    ASSERT_TRUE(rig.Idle());
    ASSERT_NO_FATAL_FAILURE(rig.StartAndHold());
    const size_t before = rig.dlg.shown.size();
    rig.user.SysCommand(IDM_ABOUTBOX);
    ASSERT_EQ(rig.user.Caption(), kVersionCaption);

    rig.machine.holder().Release();
    rig.WaitForBox();
    EXPECT_EQ(rig.user.Box().message, Str(IDS_CONFIRM_POWER_OFF));
    EXPECT_EQ(MainControl(rig, IDC_STATUS).text, Str(IDS_RESULT_OK));
    EXPECT_EQ(MainControl(rig, IDC_PROGRESS).pos, 1000);
    rig.user.Answer(IDNO);
    EXPECT_GT(rig.dlg.shown.size(), before + 1);

    ASSERT_EQ(rig.user.Caption(), kVersionCaption);
    rig.user.Enter();
    ASSERT_TRUE(rig.Idle());
    EXPECT_TRUE(rig.user.Enabled(IDC_START));
}

TEST(VersionDialog, MinimisedWindowDrawsItsIconInTheMiddle) {
    World world;
    UpdaterRig rig(world, Body(world));
    ASSERT_TRUE(rig.Idle());
    // There is no minimise box; the system may minimise the window all the same.
    PostMessageA(rig.dlg.GetSafeHwnd(), kMinimiseMessage, 0, 0);
    rig.user.Pump();
    const afx::Window& window = rig.user.Dialog();
    ASSERT_EQ(window.showCmd, static_cast<UINT>(SW_SHOWMINIMIZED));
    ASSERT_EQ(window.painted.size(), 1u);
    const int width = afx::DialogUnitsToPixelsX(window.rect.cx);
    const int height = afx::DialogUnitsToPixelsY(window.rect.cy);
    const int icon = GetSystemMetrics(SM_CXICON);
    EXPECT_EQ(window.painted[0].icon, App().LoadIcon(IDR_MAINFRAME));
    EXPECT_EQ(window.painted[0].x, (width - icon + 1) / 2);
    EXPECT_EQ(window.painted[0].y, (height - GetSystemMetrics(SM_CYICON) + 1) / 2);
}

TEST(VersionDialog, DraggedIconIsTheProgramIcon) {
    World world;
    HoldingMachineScope machine(world.Machine(Body(world)));
    CUpdaterDlg dlg;
    EXPECT_EQ(dlg.WindowProc(WM_QUERYDRAGICON, 0, 0),
              reinterpret_cast<LRESULT>(App().LoadIcon(IDR_MAINFRAME)));
}

}  // namespace
}  // namespace apptest
