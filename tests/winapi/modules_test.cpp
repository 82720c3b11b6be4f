// LoadLibraryA, GetProcAddress, FreeLibrary and GetModuleFileNameA.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/sim_fixture.h"
#include "winapi/windows.h"

namespace {

TEST(Modules, LoadsAreCountedAndNamesMatchWithoutCase) {
    testsupport::SimMachineScope sim("[aspi]\n");
    HMODULE first = LoadLibraryA("WNASPI32.DLL");
    ASSERT_NE(first, nullptr);
    HMODULE second = LoadLibraryA("wnaspi32");
    EXPECT_EQ(second, first);
    EXPECT_TRUE(FreeLibrary(first));
    EXPECT_NE(GetProcAddress(second, "SendASPI32Command"), nullptr);  // still loaded once
    EXPECT_TRUE(FreeLibrary(second));
    EXPECT_EQ(GetProcAddress(first, "SendASPI32Command"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FreeLibrary(first));
    EXPECT_FALSE(CloseHandle(first));  // modules are freed, never closed
}

TEST(Modules, MissingModulesAndEntryPoints) {
    testsupport::SimMachineScope sim("[aspi]\n");
    EXPECT_EQ(LoadLibraryA("KERNEL32.DLL"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadLibraryA(""), nullptr);
    HMODULE m = LoadLibraryA("WNASPI32.DLL");
    EXPECT_EQ(GetProcAddress(m, "sendaspi32command"), nullptr);  // entry points keep their case
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    FreeLibrary(m);
}

TEST(Modules, AModuleOfAReplacedMachineIsNotHandedOut) {
    testsupport::SimMachineScope first("[aspi]\nadapters = 1\n");
    HMODULE kept = LoadLibraryA("WNASPI32.DLL");
    {
        testsupport::SimMachineScope second("[aspi]\nadapters = 2\n");
        HMODULE fresh = LoadLibraryA("WNASPI32.DLL");
        EXPECT_NE(fresh, kept);
        auto info = reinterpret_cast<GetASPI32SupportInfoProc>(
            reinterpret_cast<void (*)()>(GetProcAddress(fresh, "GetASPI32SupportInfo")));
        EXPECT_EQ(info() & 0xFF, 2u);
        FreeLibrary(fresh);
    }
    FreeLibrary(kept);
}

TEST(Modules, ProgramPathComesFromTheMachine) {
    testsupport::SimMachineScope sim("[machine]\nprogram = /opt/tool/CDRWUPD.EXE\n");
    char buf[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameA(nullptr, buf, sizeof buf), 21u);
    EXPECT_STREQ(buf, "/opt/tool/CDRWUPD.EXE");
}

TEST(Modules, ProgramPathDefaultsToTheExecutable) {
    testsupport::SimMachineScope sim("");
    char buf[4096];
    DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
    ASSERT_GT(n, 0u);
    EXPECT_NE(std::string(buf).find("test_winapi"), std::string::npos) << buf;
}

TEST(Modules, ProgramPathIsCutToTheBuffer) {
    testsupport::SimMachineScope sim("[machine]\nprogram = /abc/def.exe\n");  // 12 characters
    struct Case {
        DWORD size;
        DWORD result;
        const char* text;
        DWORD error;  // 0: not set
    } cases[] = {{13, 12, "/abc/def.exe", 0},
                 {12, 12, "/abc/def.ex", ERROR_INSUFFICIENT_BUFFER},
                 {2, 2, "/", ERROR_INSUFFICIENT_BUFFER},
                 {1, 1, "", ERROR_INSUFFICIENT_BUFFER},
                 {0, 0, nullptr, ERROR_INSUFFICIENT_BUFFER}};
    for (const Case& c : cases) {
        char buf[16];
        std::memset(buf, 'x', sizeof buf);
        SetLastError(0);
        EXPECT_EQ(GetModuleFileNameA(nullptr, buf, c.size), c.result) << c.size;
        if (c.text != nullptr) {
            EXPECT_STREQ(buf, c.text) << c.size;
        } else {
            EXPECT_EQ(buf[0], 'x') << c.size;
        }
        EXPECT_EQ(GetLastError(), c.error) << c.size;
    }
}

TEST(Modules, ModulePathOfTheAspiModule) {
    testsupport::SimMachineScope sim("[aspi]\npath = C:\\WIN\\WNASPI32.DLL\n");
    HMODULE m = LoadLibraryA("wnaspi32.dll");
    char buf[MAX_PATH];
    EXPECT_GT(GetModuleFileNameA(m, buf, sizeof buf), 0u);
    EXPECT_STREQ(buf, "C:\\WIN\\WNASPI32.DLL");
    FreeLibrary(m);
    EXPECT_EQ(GetModuleFileNameA(m, buf, sizeof buf), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

}  // namespace
