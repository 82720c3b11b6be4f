// The command line: the last argument that is not a switch names the parameter file.
#include <gtest/gtest.h>

#include <vector>

#include "app/updater_app.h"

namespace {

struct Argument {
    const char* text;  // as the framework hands it over: a switch without its '-' or '/'
    BOOL isSwitch;
};

TEST(UpdaterCommandLine, KeepsTheLastNonSwitchArgument) {
    const struct {
        std::vector<Argument> arguments;
        const char* expected;
    } rows[] = {
        {{}, ""},
        {{{"x", TRUE}, {"debug", TRUE}}, ""},
        {{{"a.ini", FALSE}}, "a.ini"},
        {{{"a.ini", FALSE}, {"b.ini", FALSE}}, "b.ini"},
        {{{"a.ini", FALSE}, {"p", TRUE}}, "a.ini"},
        {{{"C:\\My Files\\drive list.ini", FALSE}}, "C:\\My Files\\drive list.ini"},
        {{{"", FALSE}}, ""},
    };
    for (const auto& row : rows) {
        CUpdaterCommandLine info;
        for (size_t i = 0; i < row.arguments.size(); ++i) {
            info.ParseParam(row.arguments[i].text, row.arguments[i].isSwitch,
                            i + 1 == row.arguments.size());
        }
        EXPECT_EQ(info.m_strParam, row.expected);
        // The framework's own file and shell command are never derived.
        EXPECT_EQ(info.m_strFileName, "");
        EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileNew);
    }
}

}  // namespace
