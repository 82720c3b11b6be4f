#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <string>

#include "params/param_file.h"
#include "tests/winapi/profile_files.h"

namespace {

DriveParam Entry(const char* product, const char* model, uint32_t offset = 4, int atapi = 1,
                 int typeCodeEnable = 1) {
    DriveParam p;
    p.productName = product;
    p.modelName = model;
    p.typeCodeOffset = offset;
    p.atapi = atapi;
    p.typeCodeEnable = typeCodeEnable;
    return p;
}

bool Same(const DriveParam& a, const DriveParam& b) {
    return a.productName == b.productName && a.modelName == b.modelName &&
           a.typeCodeOffset == b.typeCodeOffset && a.atapi == b.atapi &&
           a.typeCodeEnable == b.typeCodeEnable;
}

void ExpectSameLists(const CDriveParamList& a, const CDriveParamList& b) {
    ASSERT_EQ(a.size(), b.size());
    auto x = a.begin();
    for (auto y = b.begin(); y != b.end(); ++x, ++y) {
        EXPECT_TRUE(Same(*x, *y)) << x->productName << " / " << y->productName;
    }
}

size_t FilesIn(const std::string& dir) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        (void)entry;
        ++count;
    }
    return count;
}

class ParamFileSave : public ::testing::Test {
  protected:
    std::string Path() const { return m_dir.File("params.ini"); }
    CDriveParamList Reload() const {
        CParamFile file(Path());
        CDriveParamList list;
        file.Load(list);
        return list;
    }

    testsupport::TempDir m_dir;
};

TEST_F(ParamFileSave, WritesEachEntryAsFiveLines) {
    CParamFile file(Path());
    EXPECT_TRUE(file.Save(
        {Entry("NXB-A", "CD-R/RW KP2140A"), Entry("NXB-B", "CD-R/RW KP318S", 0x8004, 0, 0)}));
    EXPECT_EQ(file.GetStatus(), 0);
    EXPECT_EQ(ReadText(Path()),
              "[NXB-A]\nMODELNAME=CD-R/RW KP2140A\nATAPI=TRUE\nTC_ENABLE=TRUE\nTC_OFFSET=4\n"
              "[NXB-B]\nMODELNAME=CD-R/RW KP318S\nATAPI=FALSE\nTC_ENABLE=FALSE\nTC_OFFSET=8004\n");
}

TEST_F(ParamFileSave, ReplacesTheFileByTheListInListOrder) {
    WriteText(Path(),
              "; kept: not part of any section\n"
              "[A]\nMODELNAME=old\nSPEED=4\n"
              "[Hand-added]\nMODELNAME=x\n"
              "[B]\nMODELNAME=b\n");
    const CDriveParamList list = {Entry("B", "b", 0x20004, 0, 1), Entry("A", "a")};
    CParamFile file(Path());
    EXPECT_TRUE(file.Save(list));
    ExpectSameLists(Reload(), list);
    EXPECT_EQ(ReadText(Path()),
              "; kept: not part of any section\n"
              "[B]\nMODELNAME=b\nATAPI=FALSE\nTC_ENABLE=TRUE\nTC_OFFSET=20004\n"
              "[A]\nMODELNAME=a\nATAPI=TRUE\nTC_ENABLE=TRUE\nTC_OFFSET=4\n");
    EXPECT_EQ(FilesIn(m_dir.path()), 1u);
}

TEST_F(ParamFileSave, UnchangedListRoundTrips) {
    const CDriveParamList list = {Entry("NXB-A", "CD-R/RW KP2140A"),
                                  Entry("NXB-B", "DVD/CDRW KP5470", 0x8004, 1, 0),
                                  Entry("NXB-C", "CD-R/RW KP2160S", 0x4, 0, 1)};
    CParamFile(Path()).Save(list);
    const CDriveParamList loaded = Reload();
    ExpectSameLists(loaded, list);
    const std::string text = ReadText(Path());
    CParamFile(Path()).Save(loaded);
    EXPECT_EQ(ReadText(Path()), text);
}

TEST_F(ParamFileSave, EmptyModelNameIsLeftOutAndReadsBackEmpty) {
    CParamFile file(Path());
    EXPECT_TRUE(file.Save({Entry("Any", "")}));
    EXPECT_EQ(ReadText(Path()), "[Any]\nATAPI=TRUE\nTC_ENABLE=TRUE\nTC_OFFSET=4\n");
    ExpectSameLists(Reload(), {Entry("Any", "")});
}

TEST_F(ParamFileSave, EmptyListLeavesNoSections) {
    WriteText(Path(), "[A]\nMODELNAME=a\n[B]\nMODELNAME=b\n");
    CParamFile file(Path());
    EXPECT_TRUE(file.Save({}));
    EXPECT_TRUE(Reload().empty());
    EXPECT_EQ(ReadText(Path()), "");

    // With no file there is nothing to empty, and no file is made.
    testsupport::TempDir other;
    CParamFile none(other.File("none.ini"));
    EXPECT_TRUE(none.Save({}));
    EXPECT_EQ(FilesIn(other.path()), 0u);
}

TEST_F(ParamFileSave, ModelNamesTheFormatWouldAlterAreQuotedAndReadBackExactly) {
    const char* models[] = {" KP2140A", "KP2140A ", "  ",  "\"KP\"", "'KP'",
                            "\"",       "a=b",      ";KP", "[KP]",   "K\"P"};
    CDriveParamList list;
    int n = 0;
    for (const char* model : models) {
        list.push_back(Entry(("E" + std::to_string(n++)).c_str(), model));
    }
    CParamFile file(Path());
    EXPECT_TRUE(file.Save(list));
    ExpectSameLists(Reload(), list);
}

TEST_F(ParamFileSave, RefusesWhatTheFileCannotHoldAndKeepsTheOldFile) {
    struct Case {
        const char* what;
        DriveParam bad;
    };
    const Case cases[] = {
        {"line break in a model name", Entry("B", "KP\n[C]")},
        {"line break in a product name", Entry("B\nMODELNAME=x", "KP")},
        {"']' in a product name", Entry("B]", "KP")},
        {"blank before a product name", Entry(" B", "KP")},
        {"blank after a product name", Entry("B ", "KP")},
        {"empty product name", Entry("", "KP")},
        {"product name differing only in case", Entry("nxb-a", "KP")},
    };
    const std::string before = "[Old]\nMODELNAME=kept\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteText(Path(), before);
        CParamFile file(Path());
        EXPECT_FALSE(file.Save({Entry("NXB-A", "a"), c.bad, Entry("NXB-C", "c")}));
        EXPECT_EQ(file.GetStatus(), 5);
        EXPECT_EQ(ReadText(Path()), before);
        EXPECT_EQ(FilesIn(m_dir.path()), 1u);
    }
}

TEST_F(ParamFileSave, FailureInTheMiddleLeavesTheOldFileWhole) {
    const std::string before = "[Old]\nMODELNAME=kept\n";
    WriteText(Path(), before);
    CDriveParamList list;
    for (int i = 0; i < 8; ++i) {
        list.push_back(Entry(("NXB-" + std::to_string(i)).c_str(), "CD-R/RW KP2140A"));
    }
    // Let no file grow past 300 bytes, as on a full disk: the first entries fit, later ones
    // do not.
    struct sigaction ignore = {}, old = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &old);
    struct rlimit saved, limit;
    getrlimit(RLIMIT_FSIZE, &saved);
    limit = saved;
    limit.rlim_cur = 300;
    setrlimit(RLIMIT_FSIZE, &limit);
    CParamFile file(Path());
    const bool saved_ok = file.Save(list);
    setrlimit(RLIMIT_FSIZE, &saved);
    sigaction(SIGXFSZ, &old, nullptr);

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(file.GetStatus(), 5);
    EXPECT_EQ(ReadText(Path()), before);
    EXPECT_EQ(FilesIn(m_dir.path()), 1u);
    // Afterwards the same save succeeds.
    EXPECT_TRUE(file.Save(list));
    ExpectSameLists(Reload(), list);
}

TEST_F(ParamFileSave, WriteEntryAttemptsEveryKeyAfterAFailure) {
    CParamFile file(Path());
    EXPECT_FALSE(file.WriteEntry(Entry("A", "bad\nmodel", 0x20004, 0, 1)));
    EXPECT_EQ(file.GetStatus(), 5);
    EXPECT_EQ(ReadText(Path()), "[A]\nATAPI=FALSE\nTC_ENABLE=TRUE\nTC_OFFSET=20004\n");
}

TEST_F(ParamFileSave, DeleteAllSectionsEmptiesTheFile) {
    WriteText(Path(), "[A]\nK=1\n[B]\nK=2\n[a]\nK=3\n");
    CParamFile file(Path());
    EXPECT_EQ(file.DeleteAllSections(), 0);
    EXPECT_EQ(ReadText(Path()), "");
}

}  // namespace
