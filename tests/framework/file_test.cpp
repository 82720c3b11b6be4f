#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "framework/file.h"
#include "framework/file_faults.h"

namespace {

class FileTest : public ::testing::Test {
  protected:
    FileTest() {
        char pattern[] = "/tmp/cdrw-file-XXXXXX";
        m_dir = ::mkdtemp(pattern);
    }
    ~FileTest() override {
        if (!m_oldDir.empty()) {
            EXPECT_EQ(::chdir(m_oldDir.c_str()), 0);
        }
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    std::string Make(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Makes the scratch folder the current one until the test ends.
    void EnterDir() {
        m_oldDir = std::filesystem::current_path().string();
        ASSERT_EQ(::chdir(m_dir.c_str()), 0);
    }

    std::string m_dir;
    std::string m_oldDir;
    file_faults::Scope m_faults;
};

// Runs `action` and returns the cause of the CFileException it throws (-1 when none).
template <class Action>
int CauseOf(Action action) {
    try {
        action();
    } catch (CFileException* e) {
        const int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return -1;
}

TEST_F(FileTest, ReadsInOrderAndShortAtTheEnd) {
    const std::string path = Make("ten.bin", "0123456789");
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
    char buffer[8] = {};
    EXPECT_EQ(file.Read(buffer, 4), 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(file.Read(buffer, 8), 6u);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(file.Read(buffer, 8), 0u);
    EXPECT_EQ(file.GetLength(), 10u);
    file.Close();
    EXPECT_EQ(file.m_hFile, CFile::hFileNull);
}

TEST_F(FileTest, SeeksFromEachOrigin) {
    const std::string path = Make("seek.bin", "0123456789");
    CFile file(path.c_str(), CFile::modeRead);
    char c = 0;
    struct Case {
        LONG offset;
        UINT from;
        LONG position;
        char next;  // the byte read there, 0 past the end
    };
    const Case cases[] = {
        {3, CFile::begin, 3, '3'}, {2, CFile::current, 6, '6'}, {-1, CFile::end, 9, '9'},
        {-10, CFile::end, 0, '0'}, {20, CFile::begin, 20, 0},  // past the end: nothing to read
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.position);
        EXPECT_EQ(file.Seek(k.offset, k.from), k.position);
        c = 0;
        file.Read(&c, 1);
        EXPECT_EQ(c, k.next);
    }
    file.SeekToBegin();
    EXPECT_EQ(file.GetPosition(), 0u);
    EXPECT_EQ(file.SeekToEnd(), 10u);
    EXPECT_EQ(CauseOf([&] { file.Seek(-1, CFile::begin); }), CFileException::badSeek);
}

TEST_F(FileTest, OpenFailuresNameTheirCause) {
    std::filesystem::create_directory(Path("folder.bin"));
    ::mkfifo(Path("pipe.bin").c_str(), 0600);
    Make("plain", "x");
    struct Case {
        std::string path;
        int cause;
    };
    const Case cases[] = {
        {Path("missing.bin"), CFileException::fileNotFound},
        {Path("folder.bin"), CFileException::accessDenied},
        {Path("pipe.bin"), CFileException::accessDenied},  // refused, never waited on
        {Path("plain/below"), CFileException::badPath},
        {"", CFileException::badPath},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        CFile file;
        CFileException error;
        EXPECT_FALSE(file.Open(c.path.c_str(), CFile::modeRead, &error));
        EXPECT_EQ(error.m_cause, c.cause);
        EXPECT_EQ(file.m_hFile, CFile::hFileNull);
    }
    EXPECT_EQ(CauseOf([&] { CFile file(Path("missing.bin").c_str(), CFile::modeRead); }),
              CFileException::fileNotFound);
}

TEST_F(FileTest, StatusGivesSizeTimeAndFullPath) {
    const std::string path = Make("status.bin", std::string(3000, 'x'));
    const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EnterDir();

    CFile file;
    ASSERT_TRUE(file.Open("./status.bin", CFile::modeRead));
    CFileStatus status;
    ASSERT_TRUE(file.GetStatus(status));
    EXPECT_EQ(status.m_size, 3000);
    EXPECT_EQ(status.m_mtime.GetTime(), 1000000000);
    EXPECT_STREQ(status.m_szFullName, path.c_str());
    EXPECT_EQ(file.GetFilePath(), path);
    EXPECT_EQ(file.GetFileName(), "status.bin");
}

TEST_F(FileTest, StatusSizeIsTheLowThirtyTwoBitsSigned) {
    struct Case {
        off_t size;
        LONG expected;
    };
    const Case cases[] = {
        {0x7FFFFFFF, 0x7FFFFFFF},
        {0x80000010LL, static_cast<LONG>(0x80000010u)},  // past 2 GiB the size turns negative
        {0x100000010LL, 0x10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        const std::string path = Make("sparse.bin", "");
        ASSERT_EQ(::truncate(path.c_str(), c.size), 0);  // sparse: no disk space taken
        CFile file(path.c_str(), CFile::modeRead);
        CFileStatus status;
        ASSERT_TRUE(file.GetStatus(status));
        EXPECT_EQ(status.m_size, c.expected);
    }
}

TEST_F(FileTest, WritesCreateTruncateOrKeep) {
    const std::string path = Path("out.bin");
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        file.Write("abcdef", 6);
    }
    EXPECT_EQ(Slurp(path), "abcdef");
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeNoTruncate | CFile::modeReadWrite);
        file.Seek(0, CFile::end);
        file.Write("gh", 2);
    }
    EXPECT_EQ(Slurp(path), "abcdefgh");
    {
        CFile file(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        file.Write("z", 1);
        file.Flush();
    }
    EXPECT_EQ(Slurp(path), "z");
    CFile reader(path.c_str(), CFile::modeRead);
    EXPECT_NE(CauseOf([&] { reader.Write("x", 1); }), -1);
}

TEST_F(FileTest, ClosedFileThrowsInsteadOfReading) {
    CFile file;
    char c;
    EXPECT_EQ(CauseOf([&] { file.Read(&c, 1); }), CFileException::invalidFile);
    EXPECT_EQ(CauseOf([&] { file.Seek(0, CFile::begin); }), CFileException::invalidFile);
    CFileStatus status;
    EXPECT_FALSE(file.GetStatus(status));
}

TEST_F(FileTest, ArmedReadFaultFailsOnlyReadsThatReachItsOffset) {
    const std::string path = Make("bad.bin", std::string(100, 'x'));
    file_faults::FailReadAt(path, 50);
    CFile file(path.c_str(), CFile::modeRead);
    char buffer[100];
    struct Case {
        LONG at;
        UINT count;
        int cause;  // -1: the read succeeds
    };
    const Case cases[] = {
        {0, 50, -1},
        {40, 10, -1},
        {40, 11, CFileException::hardIO},
        {50, 1, CFileException::hardIO},
        {80, 10, CFileException::hardIO},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        file.Seek(c.at, CFile::begin);
        EXPECT_EQ(CauseOf([&] { file.Read(buffer, c.count); }), c.cause);
    }
}

TEST_F(FileTest, ArmedFaultsNameTheFileHoweverItIsSpelled) {
    const std::string path = Make("locked.bin", "x");
    EnterDir();
    file_faults::FailOpen("./locked.bin");
    CFile file;
    CFileException error;
    EXPECT_FALSE(file.Open(path.c_str(), CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::sharingViolation);

    file_faults::Clear();
    EXPECT_TRUE(file.Open(path.c_str(), CFile::modeRead));
}

TEST_F(FileTest, ArmedStatusAndSeekFaults) {
    const std::string path = Make("odd.bin", "0123");
    const std::string other = Make("fine.bin", "0123");
    file_faults::FailStatus(path);
    file_faults::FailSeek(path);
    CFile file(path.c_str(), CFile::modeRead);
    CFileStatus status;
    EXPECT_FALSE(file.GetStatus(status));
    EXPECT_EQ(CauseOf([&] { file.Seek(0, CFile::begin); }), CFileException::badSeek);
    char c;
    EXPECT_EQ(file.Read(&c, 1), 1u);  // reads are not armed

    CFile fine(other.c_str(), CFile::modeRead);
    EXPECT_TRUE(fine.GetStatus(status));
    EXPECT_EQ(fine.Seek(2, CFile::begin), 2);
}

TEST_F(FileTest, ScopeDisarmsEverything) {
    const std::string path = Make("once.bin", "0123");
    {
        file_faults::Scope scope;
        file_faults::FailReadAt(path, 0);
        CFile file(path.c_str(), CFile::modeRead);
        char c;
        EXPECT_EQ(CauseOf([&] { file.Read(&c, 1); }), CFileException::hardIO);
    }
    CFile file(path.c_str(), CFile::modeRead);
    char c;
    EXPECT_EQ(file.Read(&c, 1), 1u);
}

}  // namespace
