// Who closes a device handle: the object that opened it, never one that was handed it.
#include "transport/device_handle.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "machine/sim/sim_machine.h"
#include "tests/support/sim_fixture.h"
#include "tests/transport/wrapped_machine.h"

namespace {

const char kMachine[] =
    "[machine]\n"
    "platform = 2\n"
    "[drive cd]\n"
    "nt = port 0 target 1\n"
    "names = CdRom0\n"
    "letter = E\n";

using Journal = std::shared_ptr<std::vector<std::string>>;

// Notes when a device is flushed and when it goes away.
class JournalDevice : public machine::Device {
  public:
    JournalDevice(std::unique_ptr<machine::Device> inner, Journal journal)
        : m_inner(std::move(inner)), m_journal(std::move(journal)) {}
    ~JournalDevice() override { m_journal->push_back("close"); }
    DWORD IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                    DWORD& returned) override {
        return m_inner->IoControl(code, in, inSize, out, outSize, returned);
    }
    DWORD Flush() override {
        m_journal->push_back("flush");
        return m_inner->Flush();
    }

  private:
    std::unique_ptr<machine::Device> m_inner;
    Journal m_journal;
};

class JournalMachine : public WrappedMachine {
  public:
    JournalMachine(Journal journal) : WrappedMachine(kMachine), m_journal(std::move(journal)) {}
    std::unique_ptr<machine::Device> OpenDevice(const std::string& path, DWORD access, DWORD share,
                                                DWORD& error) override {
        auto device = WrappedMachine::OpenDevice(path, access, share, error);
        if (!device) return device;
        m_journal->push_back("open " + path);
        return std::make_unique<JournalDevice>(std::move(device), m_journal);
    }

  private:
    Journal m_journal;
};

class DeviceHandleOwnership : public ::testing::Test {
  protected:
    Journal journal = std::make_shared<std::vector<std::string>>();
    machine::sim::ScopedMachine scope{std::make_unique<JournalMachine>(journal)};

    HANDLE OpenOwnHandle() {
        return CreateFileA("\\\\.\\CdRom0", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           0, nullptr);
    }
};

TEST_F(DeviceHandleOwnership, AnOpenedHandleIsFlushedThenClosed) {
    {
        CDeviceHandle device;
        int error = -1;
        EXPECT_EQ(device.Open("\\\\.\\CdRom0", GENERIC_READ, &error), 1);
        EXPECT_EQ(error, 0);
        EXPECT_EQ(device.IsOpen(), 1);
    }
    EXPECT_EQ(*journal, (std::vector<std::string>{"open \\\\.\\CdRom0", "flush", "close"}));
}

TEST_F(DeviceHandleOwnership, AHandedHandleIsNeverFlushedNorClosed) {
    HANDLE mine = OpenOwnHandle();
    ASSERT_NE(mine, INVALID_HANDLE_VALUE);
    { CDeviceHandle constructed(mine); }
    {
        CDeviceHandle attached;
        attached.Attach(mine);
        EXPECT_EQ(attached.IsOpen(), 1);
    }
    EXPECT_EQ(*journal, std::vector<std::string>{"open \\\\.\\CdRom0"});
    EXPECT_TRUE(CloseHandle(mine));  // still ours to close
}

TEST_F(DeviceHandleOwnership, AFailedOpenOwnsNothingAndReportsTheError) {
    CDeviceHandle device;
    int error = 0;
    EXPECT_EQ(device.Open("\\\\.\\CdRom7", GENERIC_READ, &error), 0);
    EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(device.IsOpen(), 0);
    EXPECT_EQ(device.Open("\\\\.\\CdRom7", GENERIC_READ), 0);  // no error output wanted
}

// Replacing a handle the object opened itself must neither leak it nor, later, close the
// replacement that belongs to the caller.
TEST_F(DeviceHandleOwnership, ReplacingAnOwnedHandleReleasesItFirst) {
    HANDLE mine = OpenOwnHandle();
    ASSERT_NE(mine, INVALID_HANDLE_VALUE);
    {
        CDeviceHandle device;
        ASSERT_EQ(device.Open("\\\\.\\E:", GENERIC_READ), 1);
        ASSERT_EQ(device.Open("\\\\.\\CdRom0", GENERIC_READ), 1);
        device.Attach(mine);
    }
    EXPECT_EQ(*journal,
              (std::vector<std::string>{"open \\\\.\\CdRom0", "open \\\\.\\E:", "flush", "close",
                                        "open \\\\.\\CdRom0", "flush", "close"}));
    EXPECT_TRUE(CloseHandle(mine));
}

TEST(DeviceHandle, OpenDriveLetterOpensTheLettersDeviceSharedForReadAndWrite) {
    testsupport::SimMachineScope sim(kMachine);
    {
        CDeviceHandle device;
        int error = -1;
        EXPECT_EQ(device.OpenDriveLetter('E', GENERIC_READ, &error), 1);
        EXPECT_EQ(error, 0);
        CDeviceHandle missing;
        EXPECT_EQ(missing.OpenDriveLetter('Q', GENERIC_READ | GENERIC_WRITE, &error), 0);
        EXPECT_EQ(error, ERROR_FILE_NOT_FOUND);
    }
    const auto events = sim->DeviceEvents();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].path, "\\\\.\\E:");
    EXPECT_EQ(events[0].access, GENERIC_READ);
    EXPECT_EQ(events[0].share, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_EQ(events[1].path, "\\\\.\\Q:");
    EXPECT_EQ(events[1].access, GENERIC_READ | GENERIC_WRITE);
    EXPECT_EQ(events[1].share, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_EQ(events[2].kind, machine::sim::DeviceEvent::Close);
    EXPECT_EQ(sim->OpenDevices(), 0);
}

}  // namespace
