// The simulated ASPI module: presence and entry points, host adapters, device types,
// commands completed at once, later from another thread, or never.
#include <gtest/gtest.h>

#include <string>

#include "tests/machine/aspi_support.h"
#include "tests/support/sim_fixture.h"

namespace {

using aspitest::Aspi;
using aspitest::Exec;

const char* const kWin98 = R"(
[machine]
platform = 1
[aspi]
[adapter 0]
scsi-id = 7
manager = ASPI for WIN32
identifier = ATAPI
max-targets = 8
[adapter 1]
max-targets = 32
[drive cd]
model = CD-R/RW KP2140A
revision = 1.10
aspi = adapter 0 target 1 lun 0
)";

TEST(SimAspi, ModuleIsThereOnlyWhenDescribed) {
    {
        testsupport::SimMachineScope sim("[machine]\nplatform = 1\n");
        EXPECT_EQ(LoadLibraryA("WNASPI32.DLL"), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    }
    testsupport::SimMachineScope sim(kWin98);
    for (const char* name :
         {"WNASPI32.DLL", "wnaspi32.dll", "WnAspi32", "C:\\WINDOWS\\SYSTEM\\wnaspi32.DLL"}) {
        HMODULE m = LoadLibraryA(name);
        EXPECT_NE(m, nullptr) << name;
        if (m) {
            EXPECT_TRUE(FreeLibrary(m));
        }
    }
}

TEST(SimAspi, EntryPointsCanBeLeftOut) {
    struct Case {
        const char* entryPoints;
        bool info, send;
    } cases[] = {{"both", true, true},
                 {"none", false, false},
                 {"GetASPI32SupportInfo", true, false},
                 {"SendASPI32Command", false, true}};
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(std::string("[aspi]\nentry-points = ") + c.entryPoints);
        Aspi aspi;
        ASSERT_NE(aspi.module, nullptr);
        EXPECT_EQ(aspi.info != nullptr, c.info) << c.entryPoints;
        EXPECT_EQ(aspi.send != nullptr, c.send) << c.entryPoints;
    }
}

TEST(SimAspi, SupportInfoCountsAdapters) {
    struct Case {
        const char* text;
        DWORD expected;
    } cases[] = {{"[aspi]\n", 0xE800},
                 {"[aspi]\n[adapter 0]\n[adapter 1]\n", 0x0102},
                 {"[aspi]\nadapters = 3\n", 0x0103},
                 {"[aspi]\nsupport-info = 0x0405\n", 0x0405}};
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(c.text);
        Aspi aspi;
        EXPECT_EQ(aspi.info(), c.expected) << c.text;
    }
}

SRB_HAInquiry HaInquiry(Aspi& aspi, BYTE ha) {
    SRB_HAInquiry srb;
    std::memset(&srb, 0, sizeof srb);
    srb.SRB_Cmd = SC_HA_INQUIRY;
    srb.SRB_HaId = ha;
    aspi.send(&srb);
    return srb;
}

TEST(SimAspi, HostAdapterInquiryReportsTheAdapter) {
    testsupport::SimMachineScope sim(
        kWin98 + std::string("[adapter 2]\nmax-targets = 0\ninquiry = fails\n"));
    Aspi aspi;
    SRB_HAInquiry a0 = HaInquiry(aspi, 0);
    ASSERT_EQ(a0.SRB_Status, SS_COMP);
    EXPECT_EQ(a0.HA_Count, 3);
    EXPECT_EQ(a0.HA_SCSI_ID, 7);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(a0.HA_ManagerId)), "ASPI for WIN32");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(a0.HA_Identifier)), "ATAPI");
    EXPECT_EQ(a0.HA_Unique[3], 8);
    EXPECT_EQ(HaInquiry(aspi, 1).HA_Unique[3], 32);  // reported as is, beyond 16 too
    EXPECT_NE(HaInquiry(aspi, 2).SRB_Status, SS_COMP);
    EXPECT_EQ(HaInquiry(aspi, 3).SRB_Status, SS_INVALID_HA);
}

TEST(SimAspi, DeviceTypeOfPresentAndMissingDevices) {
    testsupport::SimMachineScope sim(kWin98);
    Aspi aspi;
    auto query = [&](BYTE target, BYTE lun) {
        SRB_GDEVBlock srb;
        std::memset(&srb, 0, sizeof srb);
        srb.SRB_Cmd = SC_GET_DEV_TYPE;
        srb.SRB_Target = target;
        srb.SRB_Lun = lun;
        srb.SRB_DeviceType = 0xEE;
        DWORD status = aspi.send(&srb);
        EXPECT_EQ(status, srb.SRB_Status);
        return srb;
    };
    SRB_GDEVBlock present = query(1, 0);
    EXPECT_EQ(present.SRB_Status, SS_COMP);
    EXPECT_EQ(present.SRB_DeviceType, 5);
    EXPECT_EQ(query(2, 0).SRB_Status, SS_NO_DEVICE);
    EXPECT_EQ(query(1, 1).SRB_Status, SS_NO_DEVICE);
}

TEST(SimAspi, InquiryCompletesBeforeSendReturns) {
    testsupport::SimMachineScope sim(kWin98);
    Aspi aspi;
    BYTE data[44] = {};
    auto o = Exec(aspi, 0, 1, 0, {0x12, 0, 0, 0, 44, 0}, SRB_DIR_IN, data, sizeof data);
    EXPECT_EQ(o.sent, static_cast<DWORD>(SS_COMP));
    EXPECT_FALSE(o.waited);
    EXPECT_EQ(o.srb.SRB_Status, SS_COMP);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 16), 16), "CD-R/RW KP2140A ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data + 32), 4), "1.10");
    auto log = sim.drive("cd")->Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].via, machine::sim::Transport::Aspi);
    EXPECT_EQ(log[0].cdbLength, 6);
    EXPECT_EQ(log[0].cdb[4], 44);
}

TEST(SimAspi, NobodyAtTheTargetIsASelectionTimeout) {
    testsupport::SimMachineScope sim(kWin98);
    Aspi aspi;
    auto o = Exec(aspi, 0, 5, 0, {0x00, 0, 0, 0, 0, 0});
    EXPECT_EQ(o.srb.SRB_Status, SS_ERR);
    EXPECT_EQ(o.srb.SRB_HaStat, HASTAT_SEL_TO);
    EXPECT_EQ(Exec(aspi, 4, 1, 0, {0x00, 0, 0, 0, 0, 0}).srb.SRB_Status, SS_INVALID_HA);
}

TEST(SimAspi, MissingLunOfAPresentTargetReportsNoDevice) {
    testsupport::SimMachineScope sim(kWin98);
    Aspi aspi;
    BYTE data[36];
    std::memset(data, 0xAA, sizeof data);
    auto o = Exec(aspi, 0, 1, 3, {0x12, 0, 0, 0, 36, 0}, SRB_DIR_IN, data, sizeof data);
    EXPECT_EQ(o.srb.SRB_Status, SS_COMP);
    EXPECT_EQ(data[0], 0x7F);
    auto tur = Exec(aspi, 0, 1, 3, {0x00, 0, 0, 0, 0, 0});
    EXPECT_EQ(tur.srb.SRB_TargStat, 0x02);
    EXPECT_EQ(tur.srb.SenseArea[2], 5);
    EXPECT_EQ(tur.srb.SenseArea[12], 0x25);
}

TEST(SimAspi, ScsiOneTargetTakesItsLunFromTheCommandBlock) {
    testsupport::SimMachineScope sim(std::string(kWin98) + "scsi1 = yes\n");
    Aspi aspi;
    BYTE data[36] = {};
    // SRB_Lun says 1, but the CDB names LUN 0: the drive at LUN 0 answers.
    auto o = Exec(aspi, 0, 1, 1, {0x12, 0x00, 0, 0, 36, 0}, SRB_DIR_IN, data, sizeof data);
    EXPECT_EQ(o.srb.SRB_Status, SS_COMP);
    EXPECT_EQ(data[0], 5);
    auto log = sim.drive("cd")->Log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].srbLun, 1);
    EXPECT_EQ(log[0].lun, 0);
    // LUN 1 in CDB byte 1 reaches the missing LUN 1.
    Exec(aspi, 0, 1, 1, {0x12, 0x20, 0, 0, 36, 0}, SRB_DIR_IN, data, sizeof data);
    EXPECT_EQ(data[0], 0x7F);
    auto records = sim->AspiRequests();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().cdb[1], 0x20);
}

TEST(SimAspi, InjectedStatusesReachTheRequestBlock) {
    struct Case {
        const char* fault;
        BYTE status, haStat, targStat, senseKey, asc;
    } cases[] = {
        {"command 00 status 08", SS_ERR, 0, 0x08, 0, 0},
        {"command 00 status 0x18", SS_ERR, 0, 0x18, 0, 0},
        {"command 00 status 0x28", SS_ERR, 0, 0x28, 0, 0},
        {"command 00 sense 3/11/00", SS_ERR, 0, 0x02, 3, 0x11},
        {"command any sense B/47/00", SS_ERR, 0, 0x02, 0xB, 0x47},
        {"command 00 hastat 0x11", SS_ERR, 0x11, 0, 0, 0},
        {"command 12 sense 3/11/00", SS_COMP, 0, 0, 0, 0},  // another command: untouched
    };
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(std::string(kWin98) +
                                         "medium = present\nfault = " + c.fault + "\n");
        Aspi aspi;
        auto o = Exec(aspi, 0, 1, 0, {0x00, 0, 0, 0, 0, 0});
        EXPECT_EQ(o.srb.SRB_Status, c.status) << c.fault;
        EXPECT_EQ(o.srb.SRB_HaStat, c.haStat) << c.fault;
        EXPECT_EQ(o.srb.SRB_TargStat, c.targStat) << c.fault;
        EXPECT_EQ(o.srb.SenseArea[2] & 0x0F, c.senseKey) << c.fault;
        EXPECT_EQ(o.srb.SenseArea[12], c.asc) << c.fault;
    }
}

TEST(SimAspi, FaultHitsOnlyTheNamedOccurrence) {
    testsupport::SimMachineScope sim(std::string(kWin98) +
                                     "medium = present\nfault = command 00 status 08 nth 2\n");
    Aspi aspi;
    BYTE seen[4];
    for (BYTE& s : seen) s = Exec(aspi, 0, 1, 0, {0x00, 0, 0, 0, 0, 0}).srb.SRB_TargStat;
    EXPECT_EQ(seen[0], 0);
    EXPECT_EQ(seen[1], 0x08);
    EXPECT_EQ(seen[2], 0);
    EXPECT_EQ(seen[3], 0);
}

TEST(SimAspi, AsynchronousCompletionSignalsTheEventFromAnotherThread) {
    testsupport::SimMachineScope sim(std::string(kWin98) +
                                     "completion = async\ncompletion-delay-ms = 20\n");
    Aspi aspi;
    for (int i = 0; i < 5; ++i) {
        BYTE data[36] = {};
        auto o = Exec(aspi, 0, 1, 0, {0x12, 0, 0, 0, 36, 0}, SRB_DIR_IN, data, sizeof data);
        EXPECT_EQ(o.sent, static_cast<DWORD>(SS_PENDING));
        EXPECT_TRUE(o.waited);
        EXPECT_EQ(o.wait, WAIT_OBJECT_0);
        EXPECT_EQ(o.srb.SRB_Status, SS_COMP);
        EXPECT_EQ(data[0], 5);
    }
}

TEST(SimAspi, AsynchronousCompletionCanBeChosenPerCommand) {
    testsupport::SimMachineScope sim(std::string(kWin98) +
                                     "medium = present\ncompletion = async 00\n");
    Aspi aspi;
    BYTE data[36] = {};
    EXPECT_EQ(Exec(aspi, 0, 1, 0, {0x00, 0, 0, 0, 0, 0}).sent, static_cast<DWORD>(SS_PENDING));
    EXPECT_EQ(Exec(aspi, 0, 1, 0, {0x12, 0, 0, 0, 36, 0}, SRB_DIR_IN, data, 36).sent,
              static_cast<DWORD>(SS_COMP));
}

TEST(SimAspi, NeverCompletingCommandTimesOutInVirtualTimeAndIsAborted) {
    for (const char* completion : {"sync", "async"}) {
        testsupport::SimMachineScope sim(std::string(kWin98) + "completion = " + completion +
                                         "\nfault = command 00 no-answer\n");
        Aspi aspi;
        DWORD before = GetTickCount();
        auto o = Exec(aspi, 0, 1, 0, {0x00, 0, 0, 0, 0, 0});
        EXPECT_EQ(o.sent, static_cast<DWORD>(SS_PENDING)) << completion;
        EXPECT_EQ(o.wait, WAIT_TIMEOUT) << completion;
        EXPECT_EQ(GetTickCount() - before, aspitest::kTimeout) << completion;
        EXPECT_EQ(o.abortStatus, SS_COMP) << completion;
        EXPECT_EQ(o.srb.SRB_Status, SS_ABORTED) << completion;
    }
}

TEST(SimAspi, AbortOfAnUnknownRequestFails) {
    testsupport::SimMachineScope sim(kWin98);
    Aspi aspi;
    SRB_ExecSCSICmd never;
    SRB_Abort abort;
    std::memset(&abort, 0, sizeof abort);
    abort.SRB_Cmd = SC_ABORT_SRB;
    abort.SRB_ToAbort = &never;
    EXPECT_EQ(aspi.send(&abort), static_cast<DWORD>(SS_ABORT_FAIL));
}

TEST(SimAspi, FailedWaitLeavesTheRequestPending) {
    testsupport::SimMachineScope sim(std::string(kWin98) + "completion = async\n");
    sim->FailWait({machine::sim::Occurrence::Only, 1});
    Aspi aspi;
    auto o = Exec(aspi, 0, 1, 0, {0x00, 0, 0, 0, 0, 0});
    EXPECT_EQ(o.wait, WAIT_FAILED);
    EXPECT_EQ(o.srb.SRB_Status, SS_PENDING);
    EXPECT_EQ(Exec(aspi, 0, 1, 0, {0x00, 0, 0, 0, 0, 0}).wait, WAIT_OBJECT_0);
}

}  // namespace
