// The program starts from its command line: the update window without a file argument, the
// parameter editor on the last one otherwise; it ends when that one window closes.
#include <gtest/gtest.h>

#include "tests/scenario/editor_rig.h"

namespace apptest {
namespace {

const char kUpdateCaption[] = "CD-R/RWアップデートプログラム";
const char kEditorCaption[] = "対象ドライブパラメータ編集ダイアログ";

struct Start {
    const char* what;
    std::string commandLine;  // after the program name
    const char* caption;
    std::vector<CString> names;  // the editor's list
};

TEST(ModeSelection, CommandLineChoosesTheWindow) {
    World world;
    world.dir.Write("first.ini", std::string("[FIRST]\nMODELNAME=A\n"));
    world.dir.Write("second.ini", std::string("[SECOND]\nMODELNAME=B\n"));
    world.dir.Write("my files/drive list.ini", std::string("[SPACED]\nMODELNAME=C\n"));
    const std::string dir = world.dir.path();
    const Start starts[] = {
        {"no arguments", "", kUpdateCaption, {}},
        {"only switches", "/x -debug /second.ini", kUpdateCaption, {}},
        {"the last file counts",
         dir + "/first.ini " + dir + "/second.ini",
         kEditorCaption,
         {"SECOND"}},
        {"switches around a file", "-a " + dir + "/first.ini /b", kEditorCaption, {"FIRST"}},
        {"a quoted path with blanks",
         "\"" + dir + "/my files/drive list.ini\"",
         kEditorCaption,
         {"SPACED"}},
        {"a file that does not exist", dir + "/none.ini", kEditorCaption, {}},
    };
    testsupport::SimMachineScope sim(world.Machine(World::Drive("cd", 0, 2, 0)));
    App();
    for (const Start& start : starts) {
        SCOPED_TRACE(start.what);
        const std::vector<CString> args = AfxSplitCommandLine("cdrwupdate " + start.commandLine);
        afx::HeadlessUser user;
        user.Start([&] { return AfxRunApp(args); });
        ASSERT_FALSE(user.Finished());
        EXPECT_EQ(user.Caption(), start.caption);
        EXPECT_EQ(user.OpenWindows(), 1u);
        if (start.caption == kEditorCaption) {
            EXPECT_EQ(user.ItemTexts(IDC_PARAM_LIST), start.names);
        }
        user.Escape();
        EXPECT_TRUE(user.Finished());
        EXPECT_EQ(AfxGetMainWnd(), nullptr);
    }
    // Nothing was written by merely looking.
    EXPECT_FALSE(std::ifstream(dir + "/none.ini").good());
}

}  // namespace
}  // namespace apptest
