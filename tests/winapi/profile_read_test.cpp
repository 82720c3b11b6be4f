#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/winapi/profile_files.h"
#include "winapi/windows.h"

namespace {

std::string ReadValue(const std::string& file, const char* section, const char* key,
                      const char* fallback = "-") {
    char buffer[256];
    const DWORD length =
        GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, file.c_str());
    EXPECT_EQ(length, std::string(buffer).size());
    return buffer;
}

// Splits a "a\0b\0\0" list into its names.
std::vector<std::string> SplitList(const char* list) {
    std::vector<std::string> names;
    for (const char* at = list; *at != '\0'; at += names.back().size() + 1) {
        names.emplace_back(at);
    }
    return names;
}

struct ValueCase {
    const char* what;
    const char* text;
    const char* section;
    const char* key;
    const char* expected;
};

const ValueCase kValueCases[] = {
    {"plain", "[A]\nK=v\n", "A", "K", "v"},
    {"section name in any case", "[NxB-a]\nK=v\n", "nXb-A", "K", "v"},
    {"key name in any case", "[A]\nModelName=v\n", "A", "MODELNAME", "v"},
    {"blanks around names and values", "  [ A ]  \n\t K \t=  v w  \n", "A", "K", "v w"},
    {"comment line", "[A]\n;K=x\n", "A", "K", "-"},
    {"comment after blanks", "[A]\n   ; K=x\n", "A", "K", "-"},
    {"double quotes removed", "[A]\nK=\" v \"\n", "A", "K", " v "},
    {"single quotes removed", "[A]\nK='v'\n", "A", "K", "v"},
    {"unmatched quotes kept", "[A]\nK=\"v'\n", "A", "K", "\"v'"},
    {"one quote kept", "[A]\nK=\"\n", "A", "K", "\""},
    {"first of two sections", "[A]\nK=1\n[a]\nK=2\n", "A", "K", "1"},
    {"second section not merged", "[A]\nX=1\n[A]\nK=2\n", "A", "K", "-"},
    {"first of two keys", "[A]\nK=1\nk=2\n", "A", "K", "1"},
    {"key before any section", "K=1\n[A]\n", "A", "K", "-"},
    {"key of another section", "[A]\n[B]\nK=v\n", "A", "K", "-"},
    {"CR LF line ends", "[A]\r\nK=v\r\n", "A", "K", "v"},
    {"no line end at the end", "[A]\nK=v", "A", "K", "v"},
    {"'=' inside the value", "[A]\nK=a=b\n", "A", "K", "a=b"},
    {"empty value", "[A]\nK=\n", "A", "K", ""},
    {"line without '='", "[A]\nK\n", "A", "K", "-"},
    {"text after ']'", "[A] ; note\nK=v\n", "A", "K", "v"},
    {"header without ']'", "[A\nK=v\n", "A", "K", "-"},
    {"byte-order mark", "\xEF\xBB\xBF[A]\nK=v\n", "A", "K", "v"},
};

TEST(ProfileRead, ValueFollowsTheProfileRules) {
    testsupport::TempDir dir;
    const std::string file = dir.File("rules.ini");
    for (const ValueCase& c : kValueCases) {
        SCOPED_TRACE(c.what);
        WriteText(file, c.text);
        EXPECT_EQ(ReadValue(file, c.section, c.key), c.expected);
    }
}

TEST(ProfileRead, MissingFileGivesTheDefaultWithoutTrailingBlanks) {
    testsupport::TempDir dir;
    EXPECT_EQ(ReadValue(dir.File("none.ini"), "A", "K", "def  "), "def");
    EXPECT_EQ(ReadValue(dir.File("none.ini"), "A", "K", nullptr), "");
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.ini")));
}

TEST(ProfileRead, LongValueIsCutToTheBuffer) {
    testsupport::TempDir dir;
    const std::string file = dir.File("cut.ini");
    WriteText(file, "[A]\nK=abcdef\n");
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetPrivateProfileStringA("A", "K", "", buffer, 4, file.c_str()), 3u);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(GetPrivateProfileStringA("A", "K", "", buffer, 0, file.c_str()), 0u);
}

TEST(ProfileRead, SectionNamesInFileOrderEachOnce) {
    testsupport::TempDir dir;
    const std::string file = dir.File("names.ini");
    WriteText(file, "; head\n[Zeta]\nK=1\n[alpha]\n[ZETA]\n[]\n[Mid]\n");
    char buffer[256];
    const DWORD length = GetPrivateProfileSectionNamesA(buffer, sizeof buffer, file.c_str());
    EXPECT_EQ(SplitList(buffer), (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
    EXPECT_EQ(length, std::string("Zeta\0alpha\0Mid\0", 15).size());
    EXPECT_EQ(buffer[length], '\0');

    // Without a section name, GetPrivateProfileStringA lists the sections too.
    char same[256];
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", same, sizeof same, file.c_str()),
              length);
    EXPECT_EQ(SplitList(same), SplitList(buffer));
}

TEST(ProfileRead, KeyNamesOfOneSectionInFileOrderEachOnce) {
    testsupport::TempDir dir;
    const std::string file = dir.File("keys.ini");
    WriteText(file, "[A]\nB=1\n;C=2\nA = 3\nb=4\n=5\nplain line\n[B]\nD=6\n");
    char buffer[256];
    GetPrivateProfileStringA("a", nullptr, "", buffer, sizeof buffer, file.c_str());
    EXPECT_EQ(SplitList(buffer), (std::vector<std::string>{"B", "A"}));
    GetPrivateProfileStringA("none", nullptr, "", buffer, sizeof buffer, file.c_str());
    EXPECT_EQ(SplitList(buffer), std::vector<std::string>{});
}

TEST(ProfileRead, NameListThatDoesNotFitIsCutAndEndedByTwoNuls) {
    testsupport::TempDir dir;
    const std::string file = dir.File("cut.ini");
    WriteText(file, "[abc]\n[defg]\n");  // the whole list "abc\0defg\0\0" takes 10 bytes
    struct Case {
        DWORD size;
        DWORD result;
        std::string bytes;  // the buffer up to the result, then the two ending NULs
    };
    const Case cases[] = {
        {10, 9, std::string("abc\0defg\0\0", 10)},
        {9, 7, std::string("abc\0def\0\0", 9)},
        {6, 4, std::string("abc\0\0\0", 6)},
        {3, 1, std::string("a\0\0", 3)},
        {2, 0, std::string("\0\0", 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::string buffer(16, 'x');
        EXPECT_EQ(GetPrivateProfileSectionNamesA(&buffer[0], c.size, file.c_str()), c.result);
        EXPECT_EQ(buffer.substr(0, c.size), c.bytes);
        EXPECT_EQ(buffer[c.size], 'x');  // nothing written past the buffer
    }
}

}  // namespace
