// The application object: its name, its message boxes and the command line.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "framework/afxwin.h"
#include "framework/headless.h"
#include "res/resource.h"
#include "tests/support/sim_fixture.h"

using afx::HeadlessUser;

namespace {

class ScriptedApp : public CWinApp {
  public:
    using CWinApp::CWinApp;
    std::function<void(ScriptedApp&)> init;
    BOOL InitInstance() override {
        if (init) init(*this);
        return FALSE;
    }
};

using Call = std::tuple<std::string, bool, bool>;  // text, switch, last

class RecordingInfo : public CCommandLineInfo {
  public:
    std::vector<Call> calls;
    void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) override {
        calls.emplace_back(pszParam, bFlag != FALSE, bLast != FALSE);
    }
};

TEST(CommandLine, SplitsAWindowsCommandLineIntoArguments) {
    struct Case {
        const char* line;
        std::vector<CString> args;
    };
    const Case cases[] = {
        {"prog", {"prog"}},
        {"  prog   a\tb  ", {"prog", "a", "b"}},
        {R"(prog "C:\My Files\drives.ini")", {"prog", R"(C:\My Files\drives.ini)"}},
        {R"(prog a"b c"d)", {"prog", "ab cd"}},
        {R"(prog "" x)", {"prog", "", "x"}},
        {R"(prog a\\"b c" d)", {"prog", R"(a\b c)", "d"}},
        {R"(prog a\"b)", {"prog", R"(a"b)"}},
        {R"(prog C:\dir\ x)", {"prog", R"(C:\dir\)", "x"}},
        {R"(prog "say ""hi""")", {"prog", R"(say "hi")"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AfxSplitCommandLine(c.line), c.args) << c.line;
    }
}

TEST(CommandLine, EachArgumentReachesParseParamWithItsSwitchAndLastFlags) {
    struct Case {
        std::vector<CString> args;
        std::vector<Call> calls;
    };
    const Case cases[] = {
        {{"prog"}, {}},
        {{"prog", "/x", "-safe"}, {{"x", true, false}, {"safe", true, true}}},
        {{"prog", "a.ini", "b.ini"}, {{"a.ini", false, false}, {"b.ini", false, true}}},
        {{"prog", "C:\\My Files\\p.ini"}, {{"C:\\My Files\\p.ini", false, true}}},
        // An absolute path of this system is a parameter, not a switch.
        {{"prog", "/home/me/p.ini", "/s"}, {{"/home/me/p.ini", false, false}, {"s", true, true}}},
        {{"prog", "-", ""}, {{"", true, false}, {"", false, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.size());
        ScriptedApp app;
        RecordingInfo info;
        app.init = [&info](ScriptedApp& a) { a.ParseCommandLine(info); };
        EXPECT_EQ(AfxRunApp(c.args), 0);
        EXPECT_EQ(info.calls, c.calls);
    }
}

TEST(CommandLine, TheBaseKeepsTheFirstFileName) {
    ScriptedApp app;
    CCommandLineInfo info;
    app.init = [&info](ScriptedApp& a) { a.ParseCommandLine(info); };
    AfxRunApp({"prog", "/p", "first.ini", "second.ini"});
    EXPECT_EQ(info.m_strFileName, "first.ini");
    EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
}

TEST(Application, IsNamedAfterTheExecutableAndTitlesItsMessageBoxesSo) {
    testsupport::SimMachineScope machine("[machine]\nprogram = /opt/tools/CDRWUPD.EXE\n");
    ScriptedApp app;
    HeadlessUser user;
    std::vector<int> answers;
    app.init = [&answers](ScriptedApp& a) {
        EXPECT_EQ(AfxGetApp(), &a);
        answers.push_back(AfxMessageBox(IDS_NO_DEVICE));
        answers.push_back(AfxMessageBox("Sure?", MB_YESNO));
        answers.push_back(AfxMessageBox("Note", MB_OK | MB_ICONINFORMATION));
    };
    user.Start([] { return AfxRunApp({"cdrwupdate"}); });

    EXPECT_STREQ(app.m_pszAppName, "CDRWUPD");
    EXPECT_EQ(user.Box().text, "CDRWUPD");
    EXPECT_EQ(user.Box().message, AfxLoadString(IDS_NO_DEVICE));
    EXPECT_EQ(user.Box().boxType, MB_OK | MB_ICONEXCLAMATION);  // added: the type named none
    user.Enter();
    EXPECT_EQ(user.Box().boxType, MB_YESNO | MB_ICONQUESTION);
    EXPECT_THROW(user.Escape(), afx::HeadlessError);  // a Yes/No box must be answered
    user.Answer(IDNO);
    EXPECT_EQ(user.Box().boxType, MB_OK | MB_ICONINFORMATION);  // an icon given stays
    user.Escape();                                              // an OK box: Esc answers OK
    ASSERT_TRUE(user.Finished());
    EXPECT_EQ(answers, (std::vector<int>{IDOK, IDNO, IDOK}));
}

TEST(Application, AGivenNameIsKept) {
    ScriptedApp app("Updater");
    AfxRunApp({"prog"});
    EXPECT_STREQ(AfxGetAppName(), "Updater");
    EXPECT_STREQ(app.m_pszAppName, "Updater");
}

}  // namespace
