#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "params/param_file.h"
#include "tests/winapi/profile_files.h"

namespace {

std::vector<std::string> ProductNames(const CDriveParamList& list) {
    std::vector<std::string> names;
    for (const DriveParam& p : list) {
        names.push_back(p.productName);
    }
    return names;
}

// Loads a file holding `text` and returns its entries.
CDriveParamList LoadText(const std::string& text) {
    testsupport::TempDir dir;
    WriteText(dir.File("params.ini"), text);
    CParamFile file(dir.File("params.ini"));
    CDriveParamList list;
    file.Load(list);
    EXPECT_EQ(file.GetStatus(), 0);
    return list;
}

TEST(ParamFileLoad, ReadsSectionsInFileOrder) {
    testsupport::TempDir dir;
    WriteText(dir.File("params.ini"),
              "[NXB-B]\n"
              "MODELNAME=CD-R/RW KP2160S\n"
              "ATAPI=FALSE\n"
              "TC_ENABLE=TRUE\n"
              "TC_OFFSET=20004\n"
              "[NXB-A]\n"
              "MODELNAME=CD-R/RW KP2140A\n"
              "ATAPI=TRUE\n"
              "TC_ENABLE=FALSE\n"
              "TC_OFFSET=8004\n");
    CParamFile file(dir.File("params.ini"));
    CDriveParamList list;
    list.push_back(DriveParam());  // replaced, not added to
    EXPECT_TRUE(file.Load(list));
    ASSERT_EQ(ProductNames(list), (std::vector<std::string>{"NXB-B", "NXB-A"}));
    const DriveParam& b = list.front();
    EXPECT_EQ(b.modelName, "CD-R/RW KP2160S");
    EXPECT_EQ(b.atapi, 0);
    EXPECT_EQ(b.typeCodeEnable, 1);
    EXPECT_EQ(b.typeCodeOffset, 0x20004u);
    const DriveParam& a = list.back();
    EXPECT_EQ(a.modelName, "CD-R/RW KP2140A");
    EXPECT_EQ(a.atapi, 1);
    EXPECT_EQ(a.typeCodeEnable, 0);
    EXPECT_EQ(a.typeCodeOffset, 0x8004u);
}

TEST(ParamFileLoad, ValuesAreReadStrictly) {
    struct Case {
        const char* what;
        const char* lines;  // the section's keys
        int atapi;
        int typeCodeEnable;
        uint32_t offset;
        const char* model;
    };
    const Case cases[] = {
        {"flags exactly TRUE", "ATAPI=TRUE\nTC_ENABLE=TRUE\n", 1, 1, 4, ""},
        {"lower-case values are not TRUE", "ATAPI=true\nTC_ENABLE=True\n", 0, 0, 4, ""},
        {"anything else is not TRUE", "ATAPI=1\nTC_ENABLE=YES\n", 0, 0, 4, ""},
        {"lower-case key ignored", "atapi=FALSE\nTc_Enable=FALSE\n", 1, 1, 4, ""},
        {"unknown key ignored", "SPEED=FALSE\n", 1, 1, 4, ""},
        {"offset plain", "TC_OFFSET=20004\n", 1, 1, 0x20004, ""},
        {"offset with H", "TC_OFFSET=20004H\n", 1, 1, 0x20004, ""},
        {"offset with 0x", "TC_OFFSET=0x20004\n", 1, 1, 0, ""},
        {"offset of nine digits", "TC_OFFSET=123456789\n", 1, 1, 0x23456789, ""},
        {"offset empty", "TC_OFFSET=\n", 1, 1, 0, ""},
        {"model name as written", "MODELNAME=DVD/CDRW KP5?70\n", 1, 1, 4, "DVD/CDRW KP5?70"},
        {"model name in quotes keeps its blanks", "MODELNAME=\" KP 2 \"\n", 1, 1, 4, " KP 2 "},
        {"empty model name", "MODELNAME=\n", 1, 1, 4, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CDriveParamList list = LoadText(std::string("[X]\n") + c.lines);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list.front().atapi, c.atapi);
        EXPECT_EQ(list.front().typeCodeEnable, c.typeCodeEnable);
        EXPECT_EQ(list.front().typeCodeOffset, c.offset);
        EXPECT_EQ(list.front().modelName, c.model);
    }
}

TEST(ParamFileLoad, MissingFileGivesAnEmptyList) {
    testsupport::TempDir dir;
    CParamFile file(dir.File("none.ini"));
    CDriveParamList list(2);
    EXPECT_FALSE(file.Load(list));
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(file.GetStatus(), 0);
}

TEST(ParamFileLoad, SectionWithoutKeysIsAnEntry) {
    const CDriveParamList list = LoadText("; hand-written\n[Bare]\n");
    ASSERT_EQ(ProductNames(list), std::vector<std::string>{"Bare"});
    EXPECT_EQ(list.front().modelName, "");
}

}  // namespace
