// Discovery on simulated machines: which drives are listed, with which address, NT device
// path and type code, and which commands reach a drive on the way.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/drive_controller.h"
#include "tests/engine/engine_support.h"
#include "tests/support/sim_fixture.h"

namespace {

using Ops = std::vector<std::string>;

std::string Product(const DriveEntry& entry) {
    return std::string(reinterpret_cast<const char*>(entry.inquiry + 16), 16);
}

struct Association {
    const char* name;
    std::string paths;  // names and letter of the drive
    bool listed;
    int kind;
    int number;
};

// The physical-drive names are tried first, then the CD-ROM names, then the drive letters;
// within a kind the last matching name wins.
TEST(DiscoveryTest, NtDevicePathIsTiedByAddressInItsOrderOfPreference) {
    const Association cases[] = {
        {"physical drive before CD-ROM name and letter",
         "names = CdRom0 PhysicalDrive1\nletter = E", true, 1, 1},
        {"last of two physical drive names", "names = PhysicalDrive2 PhysicalDrive5", true, 1, 5},
        {"CD-ROM name before the letter", "names = CdRom0\nletter = E", true, 2, 0},
        {"last of two CD-ROM names", "names = CdRom0 CdRom12", true, 2, 12},
        {"drive letter E alone", "letter = E", true, 3, 4},
        {"no path at all", "", false, 0, 0},
    };
    for (const Association& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::SimMachineScope sim(R"(
[machine]
platform = 2
[drive other]
model = CD-R/RW KP2160A
nt = port 0 target 0 lun 0
names = CdRom7 PhysicalDrive0
letter = D
[drive cd]
nt = port 0 target 1 lun 0
)" + c.paths + "\n");
        CDriveController controller(2, nullptr, nullptr);
        EXPECT_EQ(controller.DiscoverDrives(), c.listed ? 2 : 1);
        ASSERT_EQ(controller.m_drives.size(), c.listed ? 2u : 1u);
        const DriveEntry& other = controller.m_drives.front();
        EXPECT_EQ(other.ntKind, 1);
        EXPECT_EQ(other.ntNumber, 0);
        if (!c.listed) continue;
        const DriveEntry& entry = controller.m_drives.back();
        EXPECT_EQ(entry.ntKind, c.kind);
        EXPECT_EQ(entry.ntNumber, c.number);
        EXPECT_EQ(entry.typeCode, "ABC123");  // read through the path it was tied to
    }
}

TEST(DiscoveryTest, AddressQueriesNeedNoAccessAndLettersOpenForReading) {
    testsupport::SimMachineScope sim(R"(
[machine]
platform = 2
[drive cd]
nt = port 0 target 1 lun 0
names = CdRom0
letter = E
protocol = none
)");
    CDriveController controller(2, nullptr, nullptr);
    CStringList names = {"CdRom0"};
    DriveEntry candidate;
    candidate.targetId = 1;
    EXPECT_EQ(controller.MatchDosDevices(names, kNtCdRom, candidate), 1);
    EXPECT_EQ(controller.AssociateNtDevice(candidate, CStringList()), 1);
    EXPECT_EQ(candidate.ntKind, kNtDriveLetter);

    std::vector<machine::sim::DeviceEvent> opens;
    for (const auto& e : sim->DeviceEvents()) {
        if (e.kind == machine::sim::DeviceEvent::Open) opens.push_back(e);
    }
    ASSERT_EQ(opens.size(), 2u);
    EXPECT_EQ(opens[0].path, "\\\\.\\CdRom0");
    EXPECT_EQ(opens[0].access, 0u);
    EXPECT_EQ(opens[0].share, static_cast<DWORD>(FILE_SHARE_READ));
    EXPECT_EQ(opens[1].path, "\\\\.\\E:");
    EXPECT_EQ(opens[1].access, GENERIC_READ);
    EXPECT_EQ(opens[1].share, static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_WRITE));
    EXPECT_EQ(sim->OpenDevices(), 0);
}

TEST(DiscoveryTest, DriveWhoseAddressCannotBeReadIsLeftOut) {
    testsupport::SimMachineScope sim(R"(
[machine]
platform = 2
[drive cd]
nt = port 0 target 1 lun 0
names = CdRom0
letter = E
fault = address 1
)");
    CDriveController controller(2, nullptr, nullptr);
    EXPECT_EQ(controller.DiscoverDrives(), 0);
    EXPECT_TRUE(sim.drive("cd")->Log().empty());
}

struct TypeCodeCase {
    const char* name;
    std::string flashBytes;  // at the type-code offset 4
    std::string faults;
    bool listed;
    std::string typeCode;
    Ops ops;
};

const Ops kTypeCodeRead = {"00", "E4+", "E3", "E4-"};

TEST(DiscoveryTest, TypeCodeMustBeSixPrintableCharacters) {
    const TypeCodeCase cases[] = {
        {"six printable", "ABC123", "", true, "ABC123", kTypeCodeRead},
        {"blank and tilde are printable", " ~!AZ~", "", true, " ~!AZ~", kTypeCodeRead},
        {"five printable and a zero byte", std::string("ABCDE\0", 6), "", false, "", kTypeCodeRead},
        {"a control character first",
         "\x1F"
         "BC123",
         "", false, "", kTypeCodeRead},
        {"DEL", "ABC12\x7F", "", false, "", kTypeCodeRead},
        {"a byte above 0x7E", "ABC12\x80", "", false, "", kTypeCodeRead},
        {"write mode refused",
         "ABC123",
         "fault = command E4 sense 5/24/00 nth 1",
         false,
         "",
         {"00", "E4+"}},
        {"read refused", "ABC123", "fault = command E3 sense 5/21/00", false, "", kTypeCodeRead},
    };
    for (const TypeCodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempDir dir;
        std::vector<uint8_t> flash(0x100, 0xFF);
        std::copy(c.flashBytes.begin(), c.flashBytes.end(), flash.begin() + 4);
        dir.Write("flash.bin", flash);
        testsupport::SimMachineScope sim(
            "[machine]\nplatform = 2\n[drive cd]\nnt = port 0 target 1 lun 0\nnames = CdRom0\n"
            "flash-size = 0x100\nflash-file = " +
            dir.File("flash.bin") + "\n" + c.faults + "\n");
        CDriveController controller(2, nullptr, nullptr);

        EXPECT_EQ(controller.DiscoverDrives(), c.listed ? 1 : 0);
        if (c.listed) {
            EXPECT_EQ(controller.m_drives.front().typeCode, c.typeCode);
        }
        EXPECT_EQ(enginetest::Opcodes(sim.drive("cd")->Log()), c.ops);
        EXPECT_FALSE(sim.drive("cd")->InWriteMode());
    }
}

TEST(DiscoveryTest, TypeCodeNotEnabledSendsNoCommand) {
    testsupport::SimMachineScope sim(R"(
[machine]
platform = 2
[drive dvd]
model = DVD/CDRW KP5470
nt = port 0 target 1 lun 0
names = CdRom0
)");
    CDriveController controller(2, nullptr, nullptr);
    ASSERT_EQ(controller.DiscoverDrives(), 1);
    const DriveEntry& entry = controller.m_drives.front();
    EXPECT_EQ(entry.typeCode, "");
    EXPECT_EQ(entry.typeCodeOffset, 0x8004u);
    EXPECT_TRUE(sim.drive("dvd")->Log().empty());
}

TEST(DiscoveryTest, ParameterFileEntryOverridesTheBuiltInRow) {
    testsupport::SimMachineScope sim(R"(
[machine]
platform = 2
[drive cd]
model = CD-R/RW KP2160A
nt = port 0 target 1 lun 0
names = CdRom0
)");
    CDriveParamList file = {{"WILD", "CD-R/RW KP21?0A", 0x8004, 0, 0}};
    CDriveController controller(2, nullptr, &file);
    ASSERT_EQ(controller.DiscoverDrives(), 1);
    const DriveEntry& entry = controller.m_drives.front();
    EXPECT_EQ(entry.atapi, 0);
    EXPECT_EQ(entry.typeCodeOffset, 0x8004u);
    EXPECT_EQ(entry.typeCode, "");
    EXPECT_TRUE(sim.drive("cd")->Log().empty());
}

TEST(DiscoveryTest, RediscoveryStartsFromAnEmptyList) {
    testsupport::SimMachineScope sim(R"(
[machine]
platform = 2
[drive cd]
nt = port 0 target 1 lun 0
names = CdRom0
)");
    CDriveController controller(2, nullptr, nullptr);
    EXPECT_EQ(controller.DiscoverDrives(), 1);
    EXPECT_EQ(controller.DiscoverDrives(), 1);
    EXPECT_EQ(controller.m_drives.size(), 1u);
}

TEST(DiscoveryTest, WithoutWnaspi32NothingIsFound) {
    testsupport::SimMachineScope sim(R"(
[machine]
platform = 1
[drive cd]
aspi = adapter 0 target 1 lun 0
)");
    CDriveController controller(1, nullptr, nullptr);
    EXPECT_EQ(controller.DiscoverDrives(), 0);
}

// The ten built-in models, five behind the NT port driver and five behind ASPI, with
// drives around them that must not be listed. Each platform lists exactly its five, in
// enumeration order.
const char* const kTenModels = R"(
[machine]
platform = 2
[aspi]
[adapter 0]
[adapter 1]

[drive kp2140a]
model = CD-R/RW KP2140A
type-code = T2140A
nt = port 0 target 0 lun 0
names = CdRom0
[drive kp2140s]
model = CD-R/RW KP2140S
form = scsi
type-code = T2140S
nt = port 0 target 3 lun 0
names = PhysicalDrive2
[drive kp2163a]
model = CD-R/RW KP2163A
type-code = T2163A
type-code-offset = 0x20004
nt = port 1 target 0 lun 0
letter = F
[drive kp5230]
model = DVD/CDRW KP5230
type-code = T5230X
type-code-offset = 0x8004
nt = port 1 target 1 lun 0
names = CdRom1 CdRom4
[drive kp318s]
model = CD-R/RW KP318S
form = scsi
type-code = T318SX
nt = port 1 target 5 lun 1
names = CdRom2
letter = G

[drive kp2160a]
model = CD-R/RW KP2160A
type-code = T2160A
aspi = adapter 0 target 0 lun 0
[drive kp2160s]
model = CD-R/RW KP2160S
form = scsi
type-code = T2160S
aspi = adapter 0 target 2 lun 0
[drive kp2180a]
model = CD-R/RW KP2180A
type-code = T2180A
aspi = adapter 1 target 1 lun 0
[drive kp2320a]
model = CD-R/RW KP2320A
type-code = T2320A
aspi = adapter 1 target 1 lun 1
[drive kp5470]
model = DVD/CDRW KP5470
type-code-offset = 0x8004
aspi = adapter 1 target 4 lun 0

[drive branded]
vendor = KPX
model = CD-R/RW KP2140A
nt = port 0 target 4 lun 0
names = CdRom3
[drive unknown]
model = CD-R/RW KP9999A
nt = port 1 target 2 lun 0
names = CdRom5
[drive unreachable]
model = CD-R/RW KP2180A
nt = port 1 target 3 lun 0
[drive disk]
model = CD-R/RW KP2320A
device-type = 0
rmb = yes
nt = port 0 target 5 lun 0
names = PhysicalDrive0
aspi = adapter 0 target 5 lun 0
[drive silent]
model = CD-R/RW KP2140A
protocol = none
aspi = adapter 1 target 6 lun 0
[drive wrongform]
model = CD-R/RW KP2140A
form = scsi
aspi = adapter 0 target 3 lun 0
)";

struct Listed {
    std::string product;
    int adapter, target, lun;
    int kind, number;
    std::string typeCode;
    int atapi;
};

void ExpectListed(const CDriveEntryList& drives, const std::vector<Listed>& expected) {
    ASSERT_EQ(drives.size(), expected.size());
    auto entry = drives.begin();
    for (const Listed& e : expected) {
        SCOPED_TRACE(e.product);
        EXPECT_EQ(Product(*entry), e.product);
        EXPECT_EQ(entry->hostAdapter, e.adapter);
        EXPECT_EQ(entry->targetId, e.target);
        EXPECT_EQ(entry->lun, e.lun);
        EXPECT_EQ(entry->ntKind, e.kind);
        EXPECT_EQ(entry->ntNumber, e.number);
        EXPECT_EQ(entry->typeCode, e.typeCode);
        EXPECT_EQ(entry->atapi, e.atapi);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(entry->inquiry + 8), 8), "        ");
        ++entry;
    }
}

TEST(DiscoveryTest, TenBuiltInModelsOnBothTransports) {
    testsupport::SimMachineScope sim(kTenModels);

    CDriveController nt(2, nullptr, nullptr);
    EXPECT_EQ(nt.DiscoverDrives(), 5);
    ExpectListed(nt.m_drives, {
                                  {"CD-R/RW KP2140A ", 0, 0, 0, 2, 0, "T2140A", 1},
                                  {"CD-R/RW KP2140S ", 0, 3, 0, 1, 2, "T2140S", 0},
                                  {"CD-R/RW KP2163A ", 1, 0, 0, 3, 5, "T2163A", 1},
                                  {"DVD/CDRW KP5230 ", 1, 1, 0, 2, 4, "T5230X", 1},
                                  {"CD-R/RW KP318S  ", 1, 5, 1, 2, 2, "T318SX", 0},
                              });

    // The Windows 98 family opens no device path and reads no MS-DOS names.
    const size_t deviceEvents = sim->DeviceEvents().size();
    CDriveController aspi(1, nullptr, nullptr);
    EXPECT_EQ(aspi.DiscoverDrives(), 5);
    EXPECT_EQ(sim->DeviceEvents().size(), deviceEvents);
    ExpectListed(aspi.m_drives, {
                                    {"CD-R/RW KP2160A ", 0, 0, 0, 0, -1, "T2160A", 1},
                                    {"CD-R/RW KP2160S ", 0, 2, 0, 0, -1, "T2160S", 0},
                                    {"CD-R/RW KP2180A ", 1, 1, 0, 0, -1, "T2180A", 1},
                                    {"CD-R/RW KP2320A ", 1, 1, 1, 0, -1, "T2320A", 1},
                                    {"DVD/CDRW KP5470 ", 1, 4, 0, 0, -1, "", 1},
                                });

    for (const char* name : {"kp2140a", "kp2160s", "kp5230", "kp2320a"}) {
        EXPECT_FALSE(sim.drive(name)->InWriteMode()) << name;
    }
    // Drives that are not listed, and one without a type code, get no command of
    // discovery's own; the ASPI scan's INQUIRY is enumeration's.
    for (const char* name : {"branded", "unknown", "unreachable", "disk", "kp5470"}) {
        Ops ops = enginetest::Opcodes(sim.drive(name)->Log());
        ops.erase(std::remove(ops.begin(), ops.end(), "12"), ops.end());
        EXPECT_TRUE(ops.empty()) << name;
    }
}

}  // namespace
