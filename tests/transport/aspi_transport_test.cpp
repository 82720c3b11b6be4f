// The ASPI transport against the simulated WNASPI32.DLL: entry points, management
// requests, commands completed at once or from the module's own thread, time-outs.
#include "transport/aspi_transport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/sim_fixture.h"

namespace {

const char kMachine[] =
    "[machine]\n"
    "platform = 1\n"
    "[aspi]\n"
    "[adapter 0]\n"
    "scsi-id = 7\n"
    "manager = ASPI for WIN32\n"
    "identifier = SIM HOST\n"
    "max-targets = 16\n"
    "[drive cd]\n"
    "form = scsi\n"
    "medium = present\n"
    "aspi = adapter 0 target 1 lun 0\n";

std::string With(const std::string& lines) { return kMachine + lines + "\n"; }

// Reads what the transport keeps to itself.
class InspectedTransport : public CAspiTransport {
  public:
    using CAspiTransport::CAspiTransport;
    int AdapterCount() const { return m_adapterCount; }
};

// Loads the module for one test and frees it at the end, as its owner would.
class AspiTest : public ::testing::Test {
  protected:
    explicit AspiTest(const std::string& description = kMachine) : sim(description) {}
    void TearDown() override {
        if (module != nullptr) FreeLibrary(module);
    }

    AspiResultCode TestUnitReady(CAspiTransport& transport) {
        AspiRequest request;
        request.cdbLength = 6;
        return transport.Execute(request);
    }
    std::vector<machine::sim::AspiRecord> Sent() { return sim->AspiRequests(); }

    testsupport::SimMachineScope sim;
    HMODULE module = LoadLibraryA("WNASPI32.DLL");
};

TEST(AspiTransport, AdapterCountAndUsabilityFollowTheModule) {
    struct Case {
        const char* aspiLines;
        int adapterCount;
        int usable;
    };
    const Case cases[] = {
        {"", 1, 1},
        {"support-info = 0xE800", 0, 1},  // SS_NO_ADAPTERS
        {"support-info = 0x0102", 2, 1},
        {"support-info = 0x0402", 0, 1},      // SS_ERR with a count byte
        {"support-info = 0x12010103", 3, 1},  // bits above 15 are not looked at
        {"entry-points = none", 0, 0},
        {"entry-points = SendASPI32Command", 0, 0},
        {"entry-points = GetASPI32SupportInfo", 1, 0},
    };
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(std::string("[machine]\nplatform = 1\n[aspi]\n") +
                                         c.aspiLines + "\n[adapter 0]\n");
        HMODULE module = LoadLibraryA("WNASPI32.DLL");
        ASSERT_NE(module, nullptr);
        {
            InspectedTransport transport(module, 0, 0, 0);
            EXPECT_EQ(transport.AdapterCount(), c.adapterCount) << c.aspiLines;
            EXPECT_EQ(transport.IsUsable(), c.usable) << c.aspiLines;
        }
        // The transport never frees the module it was handed: this is the only free.
        EXPECT_TRUE(FreeLibrary(module)) << c.aspiLines;
    }
}

TEST(AspiTransport, WithoutAModuleNothingIsSent) {
    testsupport::SimMachineScope sim(kMachine);
    InspectedTransport transport(nullptr, 1, 0, 0);
    EXPECT_EQ(transport.IsUsable(), 0);
    EXPECT_EQ(transport.AdapterCount(), 0);

    BYTE answer[kHostAdapterInquirySize];
    std::memset(answer, 0xAA, sizeof(answer));
    EXPECT_EQ(transport.HostAdapterInquiry(answer), SS_ERR);
    EXPECT_EQ(answer[0], 0xAA);
    BYTE type = 0;
    EXPECT_EQ(transport.GetDeviceType(&type), SS_ERR);
    EXPECT_EQ(type, 0xFF);
    EXPECT_EQ(transport.AbortRequest(&type), SS_ERR);
    // A command that cannot be sent is not reported as done.
    BYTE inquiry[36];
    EXPECT_EQ(transport.Inquiry(inquiry, sizeof(inquiry)), 16);
    EXPECT_TRUE(sim->AspiRequests().empty());
}

class AspiWithoutSend : public AspiTest {
  protected:
    AspiWithoutSend() : AspiTest(With("[aspi]\nentry-points = GetASPI32SupportInfo")) {}
};

TEST_F(AspiWithoutSend, ManagementRequestsReturn4WithoutSending) {
    CAspiTransport transport(module, 1, 0, 0);
    BYTE answer[kHostAdapterInquirySize] = {};
    EXPECT_EQ(transport.HostAdapterInquiry(answer), SS_ERR);
    BYTE type = 0;
    EXPECT_EQ(transport.GetDeviceType(&type), SS_ERR);
    EXPECT_EQ(type, 0xFF);
    EXPECT_EQ(transport.AbortRequest(answer), SS_ERR);
    EXPECT_EQ(TestUnitReady(transport), 16);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(AspiTest, HostAdapterInquiryHandsBackFiftyBytesOnlyWhenItCompletes) {
    CAspiTransport transport(module, 0, 0, 0);
    BYTE answer[kHostAdapterInquirySize];
    std::memset(answer, 0xAA, sizeof(answer));
    ASSERT_EQ(transport.HostAdapterInquiry(answer), SS_COMP);
    EXPECT_EQ(answer[0], 1);  // HA_Count
    EXPECT_EQ(answer[1], 7);  // HA_SCSI_ID
    EXPECT_EQ(std::string(reinterpret_cast<char*>(answer) + 2, 14), "ASPI for WIN32");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(answer) + 18, 8), "SIM HOST");
    EXPECT_EQ(answer[34 + 3], 16);  // HA_Unique byte 3: maximum targets

    std::memset(answer, 0xAA, sizeof(answer));
    transport.SetAddress(3, 0, 0);  // no such adapter
    EXPECT_EQ(transport.HostAdapterInquiry(answer), SS_INVALID_HA);
    for (BYTE b : answer) EXPECT_EQ(b, 0xAA);

    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].command, SC_HA_INQUIRY);
    EXPECT_EQ(sent[0].adapter, 0);
    EXPECT_EQ(sent[1].adapter, 3);
}

TEST_F(AspiTest, GetDeviceTypeLeaves0xFFUnlessItCompletes) {
    CAspiTransport transport(module, 0, 0, 0);
    struct Case {
        int target, lun;
        BYTE status, type;
    };
    for (const Case c :
         {Case{1, 0, SS_COMP, 5}, Case{2, 0, SS_NO_DEVICE, 0xFF}, Case{1, 4, SS_NO_DEVICE, 0xFF}}) {
        transport.SetAddress(0, c.target, c.lun);
        BYTE type = 0x42;
        EXPECT_EQ(transport.GetDeviceType(&type), c.status) << c.target << "/" << c.lun;
        EXPECT_EQ(type, c.type) << c.target << "/" << c.lun;
        const auto last = Sent().back();
        EXPECT_EQ(last.command, SC_GET_DEV_TYPE);
        EXPECT_EQ(last.target, c.target);
        EXPECT_EQ(last.lun, c.lun);
    }
}

TEST_F(AspiTest, AddressKeepsOnlyTheLowEightBits) {
    CAspiTransport transport(module, 0x102, 0x203, 0x304);
    BYTE target = 0, adapter = 0, lun = 0;
    transport.GetAddress(&target, &adapter, &lun);
    EXPECT_EQ(target, 2);
    EXPECT_EQ(adapter, 3);
    EXPECT_EQ(lun, 4);
    transport.SetAddress(0x100, 0x101, 0x1FF);
    transport.GetAddress(&target, nullptr, nullptr);
    transport.GetAddress(nullptr, &adapter, &lun);
    EXPECT_EQ(target, 1);
    EXPECT_EQ(adapter, 0);
    EXPECT_EQ(lun, 0xFF);
}

// The drive's own answers travel through the module into the result code and sense data.
TEST(AspiTransport, DriveAnswersBecomeResultCodesAndSense) {
    struct Case {
        const char* fault;
        int target;  // where the command goes
        AspiResultCode code;
        BYTE key, asc, ascq;
    };
    const Case cases[] = {
        {"", 1, 0, 0, 0, 0},
        {"fault = command 00 sense 1/5D/00", 1, 0, 1, 0x5D, 0},
        {"fault = command 00 sense 2/04/01", 1, 50, 2, 0x04, 0x01},
        {"fault = command 00 sense B/47/00", 1, 57, 0xB, 0x47, 0},
        {"fault = command 00 sense 9/00/00", 1, -1, 9, 0, 0},
        {"fault = command 00 status 8", 1, 48, 0, 0, 0},
        {"fault = command 00 status 0x18", 1, 49, 0, 0, 0},
        {"fault = command 00 hastat 0x11", 1, 32, 0, 0, 0},
        {"", 4, 32, 0, 0, 0},  // nobody at the target: selection time-out
    };
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(With(c.fault));
        HMODULE module = LoadLibraryA("WNASPI32.DLL");
        {
            CAspiTransport transport(module, c.target, 0, 0);
            AspiRequest request;
            request.cdbLength = 6;
            EXPECT_EQ(transport.Execute(request), c.code) << c.fault << " at " << c.target;
            BYTE sense[SENSE_LEN];
            ASSERT_EQ(transport.CopySense(sense, SENSE_LEN), SENSE_LEN);
            EXPECT_EQ(sense[2] & 0x0F, c.key) << c.fault;
            EXPECT_EQ(sense[12], c.asc) << c.fault;
            EXPECT_EQ(sense[13], c.ascq) << c.fault;
        }
        FreeLibrary(module);
    }
}

TEST_F(AspiTest, AnAdapterThatDoesNotExistGives16) {
    CAspiTransport transport(module, 1, 5, 0);
    EXPECT_EQ(TestUnitReady(transport), 16);  // SS_INVALID_HA
}

class AspiSense : public AspiTest {
  protected:
    AspiSense() : AspiTest(With("fault = command 00 sense 3/11/05 nth 1")) {}
};

TEST_F(AspiSense, CopySenseHandsBackAtMostFourteenBytes) {
    CAspiTransport transport(module, 1, 0, 0);
    ASSERT_EQ(TestUnitReady(transport), 51);
    struct Case {
        int max, copied;
    };
    for (const Case c : {Case{20, 14}, Case{14, 14}, Case{8, 8}, Case{0, 0}, Case{-3, 0}}) {
        BYTE sense[24];
        std::memset(sense, 0xEE, sizeof(sense));
        EXPECT_EQ(transport.CopySense(sense, c.max), c.copied) << c.max;
        for (int i = 0; i < 24; ++i) {
            const BYTE expected = i >= c.copied ? 0xEE
                                  : i == 0      ? 0x70
                                  : i == 2      ? 0x03
                                  : i == 7      ? 10
                                  : i == 12     ? 0x11
                                  : i == 13     ? 0x05
                                                : 0;
            EXPECT_EQ(sense[i], expected) << "max " << c.max << " byte " << i;
        }
    }
}

TEST_F(AspiSense, ACommandWithoutSenseLeavesFourteenZeroBytes) {
    CAspiTransport transport(module, 1, 0, 0);
    ASSERT_EQ(TestUnitReady(transport), 51);
    ASSERT_EQ(TestUnitReady(transport), 0);
    BYTE sense[SENSE_LEN];
    std::memset(sense, 0xEE, sizeof(sense));
    ASSERT_EQ(transport.CopySense(sense, SENSE_LEN), SENSE_LEN);
    for (BYTE b : sense) EXPECT_EQ(b, 0);
}

TEST_F(AspiSense, AFailedEventCreationSendsNothingAndKeepsTheLastOutcome) {
    CAspiTransport transport(module, 1, 0, 0);
    ASSERT_EQ(TestUnitReady(transport), 51);
    const size_t sentBefore = Sent().size();
    sim->FailCreateEvent({machine::sim::Occurrence::Only, 1});  // counted from now
    EXPECT_EQ(TestUnitReady(transport), 129);
    EXPECT_EQ(Sent().size(), sentBefore);
    BYTE sense[SENSE_LEN];
    transport.CopySense(sense, SENSE_LEN);
    EXPECT_EQ(sense[2], 0x03);
    EXPECT_EQ(sense[12], 0x11);
    EXPECT_EQ(TestUnitReady(transport), 0);  // the next event can be created again
}

class AspiScsi1 : public AspiTest {
  protected:
    AspiScsi1()
        : AspiTest(With("[drive old]\nform = scsi\nscsi1 = yes\nansi = 1\nmedium = present\n"
                        "aspi = adapter 0 target 2 lun 3")) {}
};

TEST_F(AspiScsi1, ScsiLevelDecidesWhetherCdbByteOneCarriesTheLun) {
    CAspiTransport transport(module, 2, 0, 3);
    struct Case {
        int ansiVersion, scsi2;
        BYTE byte1In, byte1Sent;
    };
    const Case cases[] = {
        {0, 0, 0x1F, 0x7F}, {1, 0, 0x1F, 0x7F}, {1, 0, 0xE5, 0x65},
        {2, 1, 0x1F, 0x1F}, {3, 1, 0xE5, 0xE5}, {7, 1, 0x00, 0x00},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(transport.SetScsiLevel(c.ansiVersion), c.scsi2);
        AspiRequest request;
        request.cdbLength = 6;
        request.cdb[1] = c.byte1In;
        transport.Execute(request);
        const auto last = Sent().back();
        ASSERT_EQ(last.cdb.size(), 6u);
        EXPECT_EQ(last.cdb[1], c.byte1Sent) << "ansi " << c.ansiVersion;
        EXPECT_EQ(last.lun, 3);                // the request block names the LUN either way
        EXPECT_EQ(request.cdb[1], c.byte1In);  // the caller's CDB is not touched
    }
}

// The module completes these from a thread of its own and signals the request's event.
class AspiAsync : public AspiTest {
  protected:
    AspiAsync()
        : AspiTest(With("completion = async\ncompletion-delay-ms = 40\n"
                        "fault = command 00 sense 6/29/00 nth 2")) {}
};

TEST_F(AspiAsync, LaterCompletionsAreWaitedForAndRead) {
    CAspiTransport transport(module, 1, 0, 0);
    for (int round = 0; round < 3; ++round) {
        BYTE inquiry[44];
        std::memset(inquiry, 0, sizeof(inquiry));
        EXPECT_EQ(transport.Inquiry(inquiry, sizeof(inquiry)), 0);
        EXPECT_EQ(inquiry[0], 5);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(inquiry) + 16, 15), "CD-R/RW KP2140A");

        const AspiResultCode expected = round == 1 ? 54 : 0;
        EXPECT_EQ(TestUnitReady(transport), expected) << round;
    }
    BYTE sense[SENSE_LEN];
    transport.CopySense(sense, SENSE_LEN);
    EXPECT_EQ(sense[2], 0);  // the last command returned none
    for (const auto& r : Sent()) {
        EXPECT_EQ(r.command, SC_EXEC_SCSI_CMD);
        EXPECT_EQ(r.status, SS_PENDING);
    }
}

// A drive that never answers holds the command for the whole wait, then it is aborted.
TEST(AspiTransport, ACommandThatNeverCompletesIsAbortedAfterTheWait) {
    for (const char* completion : {"sync", "async"}) {
        testsupport::SimMachineScope sim(With(std::string("completion = ") + completion +
                                              "\nfault = command 00 no-answer nth 1"));
        HMODULE module = LoadLibraryA("WNASPI32.DLL");
        {
            CAspiTransport transport(module, 1, 0, 0);
            const DWORD before = GetTickCount();
            AspiRequest request;
            request.cdbLength = 6;
            EXPECT_EQ(transport.Execute(request), 16) << completion;
            EXPECT_EQ(GetTickCount() - before, 0x300000u) << completion;

            const auto sent = sim->AspiRequests();
            ASSERT_EQ(sent.size(), 2u) << completion;
            EXPECT_EQ(sent[0].command, SC_EXEC_SCSI_CMD);
            EXPECT_EQ(sent[1].command, SC_ABORT_SRB);
            EXPECT_EQ(sent[1].adapter, 0);
            EXPECT_EQ(sent[1].status, SS_COMP);  // the module found it and let it go

            EXPECT_EQ(transport.Execute(request), 0) << completion;  // the drive answers again
        }
        FreeLibrary(module);
    }
}

// When the wait itself fails the request is still the module's; it is aborted so that the
// module never completes it into a block that no longer exists.
class AspiFailedWait : public AspiTest {
  protected:
    AspiFailedWait() : AspiTest(With("completion = async\ncompletion-delay-ms = 10")) {}
};

TEST_F(AspiFailedWait, APendingRequestGives16AndIsAborted) {
    sim->FailWait({machine::sim::Occurrence::Only, 1});
    {
        CAspiTransport transport(module, 1, 0, 0);
        BYTE inquiry[44];
        std::memset(inquiry, 0, sizeof(inquiry));
        EXPECT_EQ(transport.Inquiry(inquiry, sizeof(inquiry)), 16);
        const auto sent = Sent();
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[1].command, SC_ABORT_SRB);
        EXPECT_EQ(inquiry[0], 0);  // nothing arrived

        EXPECT_EQ(transport.Inquiry(inquiry, sizeof(inquiry)), 0);
        EXPECT_EQ(inquiry[0], 5);
    }
    FreeLibrary(module);
    module = nullptr;
    // Only the second INQUIRY ever reached the drive.
    EXPECT_EQ(sim.drive("cd")->Log().size(), 1u);
}

}  // namespace
