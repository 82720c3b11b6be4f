// Events, waits, Sleep and the tick count on the machine's clock.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/sim_fixture.h"
#include "winapi/windows.h"

namespace {

TEST(Clock, SleepAdvancesVirtualTimeAtOnce) {
    testsupport::SimMachineScope sim("");
    DWORD start = GetTickCount();
    Sleep(500);
    Sleep(3600000);  // an hour passes without waiting
    EXPECT_EQ(GetTickCount() - start, 3600500u);
}

TEST(Events, AutoResetEventWakesOneWaitAndResets) {
    testsupport::SimMachineScope sim("");
    HANDLE e = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(e));
    EXPECT_TRUE(ResetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(CloseHandle(e));
    EXPECT_FALSE(SetEvent(e));
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Events, ManualResetEventStaysSignalled) {
    testsupport::SimMachineScope sim("");
    HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetEvent(e);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e, INFINITE), WAIT_OBJECT_0);
    CloseHandle(e);
}

TEST(Events, WaitBlocksUntilAnotherThreadSignals) {
    for (DWORD timeout : {INFINITE, 0x300000u}) {
        testsupport::SimMachineScope sim("");
        HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        std::atomic<bool> set{false};
        DWORD before = GetTickCount();
        std::thread signaller([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            set = true;
            SetEvent(e);
        });
        EXPECT_EQ(WaitForSingleObject(e, timeout), WAIT_OBJECT_0);
        EXPECT_TRUE(set);                   // never earlier than the signal
        EXPECT_EQ(GetTickCount(), before);  // a signalled wait takes no virtual time
        signaller.join();
        CloseHandle(e);
    }
}

TEST(Events, RealClockTimesOut) {
    testsupport::SimMachineScope sim("[machine]\nclock = real\n");
    HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(e, 1), WAIT_TIMEOUT);
    CloseHandle(e);
}

TEST(Events, InjectedFaultsFailCreationAndWaits) {
    testsupport::SimMachineScope sim(
        "[machine]\nfault = create-event ERROR_NOT_ENOUGH_MEMORY nth 2\nfault = wait from 2\n");
    HANDLE first = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(CreateEventA(nullptr, FALSE, FALSE, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    HANDLE third = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_NE(third, nullptr);
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_OBJECT_0);
    SetEvent(first);
    EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_FAILED);  // signalled, but the wait fails
    EXPECT_EQ(WaitForSingleObject(first, INFINITE), WAIT_FAILED);
    CloseHandle(first);
    CloseHandle(third);
}

TEST(Events, FaultsCanBeAddedByATest) {
    testsupport::SimMachineScope sim("");
    sim->FailCreateEvent({machine::sim::Occurrence::Only, 1}, ERROR_GEN_FAILURE);
    EXPECT_EQ(CreateEventA(nullptr, FALSE, FALSE, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
    HANDLE e = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_NE(e, nullptr);
    CloseHandle(e);
}

}  // namespace
