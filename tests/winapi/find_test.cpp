#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/winapi/profile_files.h"
#include "winapi/handle_table.h"
#include "winapi/windows.h"

namespace {

// Every name that a search for `pattern` returns, in order; the handle is closed.
std::vector<std::string> Search(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.push_back(data.cFileName);
    } while (FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(search));
    return names;
}

using Names = std::vector<std::string>;

TEST(Find, WildcardsMatchWithoutRegardToCase) {
    testsupport::TempDir dir;
    for (const char* name : {"fw.bin", "OLD.BIN", "Mixed.Bin", "fw.bin.txt", "fwbin", ".bin",
                             "a1.bin", "ab1.bin", "notes.txt"}) {
        WriteText(dir.File(name), "x");
    }
    struct Case {
        const char* pattern;
        Names expected;  // in name order without regard to case
    };
    const Case cases[] = {
        {"*.bin", {".bin", "a1.bin", "ab1.bin", "fw.bin", "Mixed.Bin", "OLD.BIN"}},
        {"*.BIN", {".bin", "a1.bin", "ab1.bin", "fw.bin", "Mixed.Bin", "OLD.BIN"}},
        {"?1.bin", {"a1.bin"}},
        {"a*1.bin", {"a1.bin", "ab1.bin"}},
        {"*bin*",
         {".bin", "a1.bin", "ab1.bin", "fw.bin", "fw.bin.txt", "fwbin", "Mixed.Bin", "OLD.BIN"}},
        {"FW.BIN", {"fw.bin"}},
        {"*.txt", {"fw.bin.txt", "notes.txt"}},
        {"*.none", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(Search(dir.File(c.pattern)), c.expected);
    }
}

TEST(Find, AcceptsTheWindowsSeparatorToo) {
    testsupport::TempDir dir;
    WriteText(dir.File("fw.bin"), "x");
    EXPECT_EQ(Search(dir.path() + "\\*.bin"), Names{"fw.bin"});
}

TEST(Find, ReportsAttributesSizeAndLastWriteTime) {
    testsupport::TempDir dir;
    WriteText(dir.File("small.bin"), std::string(1234, 'x'));
    std::filesystem::create_directory(dir.File("folder.bin"));
    // A sparse file past 4 GiB shows the high part of the size.
    {
        const int fd = ::open((dir.File("huge.bin")).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, 0x100000010LL), 0);
        ::close(fd);
    }
    // 2001-09-09 01:46:40.5 UTC: 1000000000 s after 1970, 11644473600 s more since 1601.
    const struct timespec times[2] = {{1000000000, 500000000}, {1000000000, 500000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir.File("small.bin")).c_str(), times, 0), 0);
    const uint64_t expectedTime = (1000000000ULL + 11644473600ULL) * 10000000ULL + 5000000ULL;

    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((dir.File("*.bin")).c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::vector<WIN32_FIND_DATAA> found{data};
    while (FindNextFileA(search, &data)) {
        found.push_back(data);
    }
    FindClose(search);
    ASSERT_EQ(found.size(), 3u);

    EXPECT_STREQ(found[0].cFileName, "folder.bin");
    EXPECT_TRUE(found[0].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_STREQ(found[1].cFileName, "huge.bin");
    EXPECT_FALSE(found[1].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(found[1].nFileSizeHigh, 1u);
    EXPECT_EQ(found[1].nFileSizeLow, 0x10u);
    EXPECT_STREQ(found[2].cFileName, "small.bin");
    EXPECT_EQ(found[2].nFileSizeHigh, 0u);
    EXPECT_EQ(found[2].nFileSizeLow, 1234u);
    EXPECT_EQ(found[2].ftLastWriteTime.dwHighDateTime, static_cast<DWORD>(expectedTime >> 32));
    EXPECT_EQ(found[2].ftLastWriteTime.dwLowDateTime, static_cast<DWORD>(expectedTime));
}

TEST(Find, FailuresSayWhy) {
    testsupport::TempDir dir;
    WIN32_FIND_DATAA data;
    EXPECT_EQ(FindFirstFileA((dir.File("*.bin")).c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileA((dir.File("missing/*.bin")).c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(Find, ClosedSearchIsGoneAndLeavesNoHandle) {
    testsupport::TempDir dir;
    WriteText(dir.File("a.bin"), "x");
    WriteText(dir.File("b.bin"), "x");
    const size_t handles = winapi::HandleTable::Count();
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((dir.File("*.bin")).c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(winapi::HandleTable::Count(), handles + 1);
    EXPECT_TRUE(FindClose(search));
    EXPECT_EQ(winapi::HandleTable::Count(), handles);
    EXPECT_FALSE(FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FindClose(search));
}

TEST(Find, CompareFileTimeOrdersByTheWholeValue) {
    struct Case {
        FILETIME a, b;
        LONG expected;
    };
    const Case cases[] = {
        {{5, 1}, {5, 1}, 0},          {{0xFFFFFFFF, 1}, {0, 2}, -1},  // the high part decides first
        {{0, 2}, {0xFFFFFFFF, 1}, 1}, {{1, 7}, {2, 7}, -1},
        {{0x80000000, 0}, {1, 0}, 1},  // the low part is unsigned
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CompareFileTime(&c.a, &c.b), c.expected);
    }
}

}  // namespace
