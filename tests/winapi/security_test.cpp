// The shutdown privilege and ExitWindowsEx on both Windows families.
#include <gtest/gtest.h>

#include "tests/support/sim_fixture.h"
#include "winapi/windows.h"

namespace {

// Opens the process token and asks for the shutdown privilege; the last error tells
// whether it was granted.
BOOL EnableShutdown() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return FALSE;
    TOKEN_PRIVILEGES tp = {};
    tp.PrivilegeCount = 1;
    BOOL ok = LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid);
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (ok) ok = AdjustTokenPrivileges(token, FALSE, &tp, 0, nullptr, nullptr);
    DWORD error = GetLastError();
    CloseHandle(token);
    SetLastError(error);
    return ok;
}

TEST(Shutdown, NtWithThePrivilegePowersOff) {
    testsupport::SimMachineScope sim("[machine]\nplatform = 2\npower-off = allowed\n");
    EXPECT_FALSE(ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0));  // not enabled yet
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
    ASSERT_TRUE(EnableShutdown());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0));
    EXPECT_EQ(sim->PowerOffs(), std::vector<UINT>{9});
}

TEST(Shutdown, NtWithoutThePrivilegeDoesNothing) {
    testsupport::SimMachineScope sim("[machine]\nplatform = 2\npower-off = denied\n");
    EXPECT_TRUE(EnableShutdown());  // succeeds, but assigns nothing
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ALL_ASSIGNED));
    EXPECT_FALSE(ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
    EXPECT_TRUE(sim->PowerOffs().empty());
}

TEST(Shutdown, Windows98NeedsNoPrivilegeAndHasNoTokens) {
    testsupport::SimMachineScope sim("[machine]\nplatform = 1\n");
    HANDLE token;
    EXPECT_FALSE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    EXPECT_TRUE(ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0));
    EXPECT_EQ(sim->PowerOffs(), std::vector<UINT>{9});
}

TEST(Shutdown, AFailingRequestIsNotRecorded) {
    testsupport::SimMachineScope sim("[machine]\nplatform = 1\npower-off = fails\n");
    EXPECT_FALSE(ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0));
    EXPECT_TRUE(sim->PowerOffs().empty());
}

TEST(Shutdown, PrivilegeLookupAndTokenChecks) {
    testsupport::SimMachineScope sim("[machine]\nplatform = 2\n");
    LUID luid;
    EXPECT_FALSE(LookupPrivilegeValueA(nullptr, "SeDebugPrivilegeX", &luid));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SUCH_PRIVILEGE));
    HANDLE queryOnly;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &queryOnly));
    TOKEN_PRIVILEGES tp = {};
    tp.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &tp.Privileges[0].Luid);
    tp.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    EXPECT_FALSE(AdjustTokenPrivileges(queryOnly, FALSE, &tp, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(queryOnly);
    EXPECT_FALSE(ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF, 0));
}

}  // namespace
