#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>

#include "tests/winapi/profile_files.h"
#include "winapi/windows.h"

namespace {

BOOL Write(const std::string& file, const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringA(section, key, value, file.c_str());
}

size_t FilesIn(const std::string& dir) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        (void)entry;
        ++count;
    }
    return count;
}

TEST(ProfileWrite, CreatesFileSectionAndKeyThenReplacesTheValue) {
    testsupport::TempDir dir;
    const std::string file = dir.File("new.ini");
    ASSERT_TRUE(Write(file, "NXB-A", "MODELNAME", "CD-R/RW KP2140A"));
    ASSERT_TRUE(Write(file, "NXB-A", "ATAPI", "TRUE"));
    ASSERT_TRUE(Write(file, "NXB-B", "ATAPI", "FALSE"));
    ASSERT_TRUE(Write(file, "nxb-a", "atapi", "FALSE"));
    EXPECT_EQ(ReadText(file),
              "[NXB-A]\nMODELNAME=CD-R/RW KP2140A\nATAPI=FALSE\n[NXB-B]\nATAPI=FALSE\n");
    EXPECT_EQ(FilesIn(dir.path()), 1u);  // no file left beside it
}

TEST(ProfileWrite, KeepsLinesItDoesNotConcern) {
    testsupport::TempDir dir;
    const std::string file = dir.File("keep.ini");
    WriteText(file,
              "; parameter file\r\n"
              "[A]\r\n"
              "  ; about K\r\n"
              "K = old   \r\n"
              "odd line\r\n"
              "\r\n"
              "[B]\r\n"
              "X=1\r\n");
    ASSERT_TRUE(Write(file, "a", "k", "new"));
    ASSERT_TRUE(Write(file, "A", "L", "added"));
    EXPECT_EQ(ReadText(file),
              "; parameter file\r\n"
              "[A]\r\n"
              "  ; about K\r\n"
              "K=new\r\n"
              "odd line\r\n"
              "L=added\r\n"
              "\r\n"
              "[B]\r\n"
              "X=1\r\n");
}

TEST(ProfileWrite, DeletesAKeyOrASectionWithItsNamesakes) {
    testsupport::TempDir dir;
    const std::string file = dir.File("del.ini");
    WriteText(file, "[A]\nK=1\nk=2\nL=3\n[B]\nK=4\n[a]\nK=5\n");
    ASSERT_TRUE(Write(file, "A", "K", nullptr));
    EXPECT_EQ(ReadText(file), "[A]\nL=3\n[B]\nK=4\n[a]\nK=5\n");
    ASSERT_TRUE(Write(file, "A", nullptr, nullptr));
    EXPECT_EQ(ReadText(file), "[B]\nK=4\n");
    // Deleting what is not there succeeds and changes nothing.
    EXPECT_TRUE(Write(file, "C", nullptr, nullptr));
    EXPECT_TRUE(Write(file, "B", "none", nullptr));
    EXPECT_EQ(ReadText(file), "[B]\nK=4\n");
}

TEST(ProfileWrite, DeletingFromAMissingFileCreatesNothing) {
    testsupport::TempDir dir;
    EXPECT_TRUE(Write(dir.File("none.ini"), "A", nullptr, nullptr));
    EXPECT_TRUE(Write(dir.File("none.ini"), "A", "K", nullptr));
    EXPECT_EQ(FilesIn(dir.path()), 0u);
}

TEST(ProfileWrite, RefusesWhatCouldNotBeReadBackAndLeavesTheFile) {
    struct Case {
        const char* what;
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"line break in a value", "A", "K", "one\ntwo"},
        {"carriage return in a value", "A", "K", "one\rtwo"},
        {"']' in a section name", "A]B", "K", "v"},
        {"line break in a section name", "A\n[B", "K", "v"},
        {"blank around a section name", " A", "K", "v"},
        {"empty section name", "", "K", "v"},
        {"'=' in a key name", "A", "K=X", "v"},
        {"key name starting with ';'", "A", ";K", "v"},
        {"key name starting with '['", "A", "[K]", "v"},
        {"blank around a key name", "A", "K ", "v"},
        {"empty key name", "A", "", "v"},
        {"line break in a key name", "A", "K\nX", "v"},
        {"deleting a section with an unsafe name", "A]", nullptr, nullptr},
    };
    testsupport::TempDir dir;
    const std::string file = dir.File("safe.ini");
    const std::string before = "[A]\nK=v\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteText(file, before);
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(Write(file, c.section, c.key, c.value));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(ReadText(file), before);
    }
}

TEST(ProfileWrite, FailedWriteLeavesTheOldFileWhole) {
    testsupport::TempDir dir;
    const std::string file = dir.File("full.ini");
    const std::string before = "[A]\nK=v\n";
    WriteText(file, before);
    // Let no file grow past 16 bytes, as on a full disk: writing the new text fails.
    struct sigaction ignore = {}, old = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    struct rlimit limit, saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    limit = saved;
    limit.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &limit);
    const BOOL written = Write(file, "A", "LONGER", "a value that does not fit");
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &old, nullptr);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadText(file), before);
    EXPECT_EQ(FilesIn(dir.path()), 1u);
}

TEST(ProfileWrite, NeverReplacesWhatItCannotRead) {
    testsupport::TempDir dir;
    std::filesystem::create_directory(dir.File("folder.ini"));
    EXPECT_FALSE(Write(dir.File("folder.ini"), "A", "K", "v"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.ini")));
    EXPECT_FALSE(Write(dir.File("missing-folder/x.ini"), "A", "K", "v"));
}

TEST(ProfileWrite, WritesThroughALinkIntoTheFileItNames) {
    testsupport::TempDir dir;
    WriteText(dir.File("real.ini"), "[A]\nK=1\n");
    std::filesystem::create_symlink(dir.File("real.ini"), dir.File("link.ini"));
    ASSERT_TRUE(Write(dir.File("link.ini"), "A", "K", "2"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.ini")));
    EXPECT_EQ(ReadText(dir.File("real.ini")), "[A]\nK=2\n");
}

}  // namespace
