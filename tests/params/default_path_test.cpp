#include <gtest/gtest.h>

#include "params/param_file.h"
#include "tests/winapi/profile_files.h"

namespace {

TEST(ParamFileDefaultPath, ReplacesTheProgramFilesOwnExtension) {
    struct Case {
        const char* program;
        const char* expected;
    };
    const Case cases[] = {
        {"/opt/tools/UPDATE.EXE", "/opt/tools/UPDATE.INI"},
        {"/opt/tools/cdrwupdate", "/opt/tools/cdrwupdate.INI"},
        // A dot in a folder name is not the program's extension.
        {"/home/u/.local/bin/cdrwupdate", "/home/u/.local/bin/cdrwupdate.INI"},
        {"/opt/v1.2/update.bin.exe", "/opt/v1.2/update.bin.INI"},
        {"/opt/tools/.update", "/opt/tools/.update.INI"},
        {"update.exe", "update.INI"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        testsupport::SimMachineScope program(ProgramAt(c.program));
        EXPECT_EQ(CProfileFile::DefaultPath(), c.expected);
        EXPECT_EQ(CParamFile().GetPath(), c.expected);
    }
}

TEST(ParamFileDefaultPath, GivenPathIsUsedAsItStands) {
    testsupport::SimMachineScope program(ProgramAt("/opt/tools/UPDATE.EXE"));
    EXPECT_EQ(CParamFile("/etc/drives.ini").GetPath(), "/etc/drives.ini");
    CParamFile file;
    file.SetPath("other.ini");
    EXPECT_EQ(file.GetPath(), "other.ini");
}

TEST(ParamFileDefaultPath, LoadsTheFileBesideTheProgram) {
    testsupport::TempDir dir;
    WriteText(dir.File("cdrwupdate.INI"), "[Beside]\nMODELNAME=x\n");
    testsupport::SimMachineScope program(ProgramAt(dir.File("cdrwupdate")));
    CParamFile file;
    CDriveParamList list;
    EXPECT_TRUE(file.Load(list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.front().productName, "Beside");
}

}  // namespace
