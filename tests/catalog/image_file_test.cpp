#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalog/image_file.h"
#include "framework/file_faults.h"
#include "tests/winapi/profile_files.h"
#include "winapi/handle_table.h"

namespace {

// A 40-byte identification block; each field is padded with NULs to its length.
std::string Block(const std::string& typeCode, const std::string& vendor,
                  const std::string& product, const std::string& revision) {
    std::string block(40, '\0');
    block.replace(4, typeCode.size(), typeCode);
    block.replace(10, vendor.size(), vendor);
    block.replace(19, product.size(), product);
    block.replace(36, revision.size(), revision);
    return block;
}

const std::string kGood = Block("AB1234", "        ", "CD-R/RW KP2140A ", "1.10");

// An image of `size` bytes of 0xFF with the given blocks at their offsets.
std::string Image(size_t size, const std::map<size_t, std::string>& blocks) {
    std::string image(size, '\xFF');
    for (const auto& [offset, block] : blocks) {
        image.replace(offset, block.size(), block);
    }
    return image.substr(0, size);
}

std::vector<std::string> FileNames(const CImageEntryList& list) {
    std::vector<std::string> names;
    for (const ImageEntry& e : list) {
        names.push_back(e.fileName);
    }
    return names;
}

class ImageCatalog : public ::testing::Test {
  protected:
    // Scans the scratch folder; the list must hold one entry per identified file.
    CImageEntryList Scan() {
        CImageFile catalog;
        CImageEntryList list;
        list.push_back(ImageEntry());  // replaced, not added to
        const int count = catalog.Scan(list, m_dir.path().c_str());
        EXPECT_EQ(count, static_cast<int>(list.size()));
        return list;
    }

    testsupport::TempDir m_dir;
    file_faults::Scope m_faults;
};

TEST_F(ImageCatalog, ReadsTheFieldsOfAValidBlock) {
    WriteText(m_dir.File("fw.bin"), Image(0x30000, {{0, kGood}}));
    const CImageEntryList list = Scan();
    ASSERT_EQ(list.size(), 1u);
    const ImageEntry& e = list.front();
    EXPECT_EQ(e.fileName, "fw.bin");
    EXPECT_EQ(e.path, m_dir.File("fw.bin"));
    EXPECT_EQ(e.typeCode, "AB1234");
    EXPECT_EQ(e.vendor, "        ");
    EXPECT_EQ(e.product, "CD-R/RW KP2140A ");  // no trimming
    EXPECT_EQ(e.revision, "1.10");
    EXPECT_EQ(e.fileSize, 0x30000u);
    EXPECT_NE(e.lastWriteTime.dwHighDateTime, 0u);
}

TEST_F(ImageCatalog, TriesTheOffsetsInOrderAndStopsAtTheFirstValidBlock) {
    const std::string bad = Block("AB1234", "VEN\x1A", "P", "R");
    const std::string at0 = Block("ZERO00", "", "", "");
    const std::string at20000 = Block("TWO000", "", "", "");
    const std::string at8000 = Block("EIGHT0", "", "", "");
    struct Case {
        const char* name;
        std::string image;
        const char* typeCode;  // null: not listed
    };
    const Case cases[] = {
        {"all.bin", Image(0x30000, {{0, at0}, {0x8000, at8000}, {0x20000, at20000}}), "ZERO00"},
        // 0x20000 comes before 0x8000.
        {"later.bin", Image(0x30000, {{0, bad}, {0x8000, at8000}, {0x20000, at20000}}), "TWO000"},
        {"last.bin", Image(0x30000, {{0, bad}, {0x8000, at8000}, {0x20000, bad}}), "EIGHT0"},
        // Too short for a block at 0x20000: the one at 0x8000 identifies it.
        {"short.bin", Image(0x8000 + 40, {{0, bad}, {0x8000, at8000}}), "EIGHT0"},
        {"cut.bin", Image(0x8000 + 39, {{0, bad}, {0x8000, at8000}}), nullptr},
        {"tiny.bin", kGood.substr(0, 39), nullptr},
        {"exact.bin", kGood, "AB1234"},
        {"empty.bin", "", nullptr},
        {"none.bin", Image(0x30000, {{0, bad}, {0x8000, bad}, {0x20000, bad}}), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(m_dir.path());
        std::filesystem::create_directory(m_dir.path());
        WriteText(m_dir.File(c.name), c.image);
        const CImageEntryList list = Scan();
        if (c.typeCode == nullptr) {
            EXPECT_TRUE(list.empty());
        } else {
            ASSERT_EQ(list.size(), 1u);
            EXPECT_EQ(list.front().typeCode, c.typeCode);
        }
    }
}

TEST_F(ImageCatalog, TextFieldRule) {
    struct Case {
        const char* what;
        std::string block;
        bool valid;
        const char* typeCode;
    };
    const Case cases[] = {
        {"NUL ends the field, bytes after it are not looked at",
         Block(std::string("AB\0\xFF\xFF\xFF\xFF", 7).substr(0, 6), "", "", ""), true, "AB"},
        {"field starting with NUL is empty", Block("", "V", "P", "R"), true, ""},
        {"all six bytes printable", Block("~ !09z", "", "", ""), true, "~ !09z"},
        {"0x7F", Block("AB\x7F", "", "", ""), false, nullptr},
        {"0x80", Block("AB\x80", "", "", ""), false, nullptr},
        {"0xFF in the vendor", Block("AB", "V\xFF", "", ""), false, nullptr},
        {"0x1F in the product", Block("AB", "", "P\x1F", ""), false, nullptr},
        {"control byte in the revision", Block("AB", "", "", "1\n"), false, nullptr},
        {"bytes outside the fields are not examined",
         [] {
             std::string b = Block("AB", "", "", "");
             b[0] = b[1] = b[2] = b[3] = '\xFF';
             b[18] = b[35] = '\x01';
             return b;
         }(),
         true, "AB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteText(m_dir.File("one.bin"), c.block);
        const CImageEntryList list = Scan();
        ASSERT_EQ(list.size(), c.valid ? 1u : 0u);
        if (c.valid) {
            EXPECT_EQ(list.front().typeCode, c.typeCode);
        }
    }
}

TEST_F(ImageCatalog, ListsOnlyReadableFilesNamedBinInAnyCase) {
    WriteText(m_dir.File("a.bin"), kGood);
    WriteText(m_dir.File("B.BIN"), kGood);
    WriteText(m_dir.File("c.Bin"), kGood);
    WriteText(m_dir.File("d.bin.txt"), kGood);
    WriteText(m_dir.File("e.img"), kGood);
    WriteText(m_dir.File("locked.bin"), kGood);
    std::filesystem::create_directory(m_dir.File("folder.bin"));
    file_faults::FailOpen(m_dir.File("locked.bin"));
    EXPECT_EQ(FileNames(Scan()), (std::vector<std::string>{"a.bin", "B.BIN", "c.Bin"}));
}

TEST_F(ImageCatalog, EmptyOrMissingFolderGivesAnEmptyList) {
    EXPECT_TRUE(Scan().empty());
    CImageFile catalog;
    CImageEntryList list(3);
    EXPECT_EQ(catalog.Scan(list, (m_dir.File("missing")).c_str()), 0);
    EXPECT_TRUE(list.empty());
}

TEST_F(ImageCatalog, ReadErrorReachesTheCallerAndLeavesNothingOpen) {
    WriteText(m_dir.File("a.bin"), kGood);
    WriteText(m_dir.File("b.bin"), Image(0x30000, {{0x8000, kGood}}));
    file_faults::FailReadAt(m_dir.File("b.bin"), 0x8000);
    const size_t handles = winapi::HandleTable::Count();
    CImageFile catalog;
    CImageEntryList list;
    int cause = -1;
    try {
        catalog.Scan(list, m_dir.path().c_str());
    } catch (CFileException* e) {
        cause = e->m_cause;
        e->Delete();
    }
    EXPECT_EQ(cause, CFileException::hardIO);
    EXPECT_EQ(winapi::HandleTable::Count(), handles);  // the search was closed
    EXPECT_EQ(catalog.m_hFile, CFile::hFileNull);
}

TEST_F(ImageCatalog, WithoutAFolderScansTheProgramsOwnFolder) {
    WriteText(m_dir.File("fw.bin"), kGood);
    testsupport::SimMachineScope program(ProgramAt(m_dir.File("cdrwupdate")));
    CImageFile catalog;
    CImageEntryList list;
    EXPECT_EQ(catalog.Scan(list, nullptr), 1);
    EXPECT_EQ(catalog.Scan(list, ""), 1);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.front().path, m_dir.File("fw.bin"));
}

TEST(ImageCatalogModuleDirectory, IsTheProgramPathUpToItsLastSeparator) {
    struct Case {
        const char* program;
        const char* directory;
    };
    const Case cases[] = {
        {"/opt/tools/cdrwupdate", "/opt/tools"},
        {"/home/u/.local/bin/UPDATE.EXE", "/home/u/.local/bin"},
        {"/cdrwupdate", ""},  // the root: images are "" + "/" + name
        {"cdrwupdate", "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        testsupport::SimMachineScope program(ProgramAt(c.program));
        CString directory = "old";
        EXPECT_EQ(CImageFile::ModuleDirectory(directory), static_cast<int>(strlen(c.directory)));
        EXPECT_EQ(directory, c.directory);
    }
}

}  // namespace
