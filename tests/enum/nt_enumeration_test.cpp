// Device enumeration through the NT SCSI port drivers: \\.\Scsi0:, \\.\Scsi1:, ... and the
// inquiry data each port lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enum/device_enumerator.h"
#include "tests/support/sim_fixture.h"

namespace {

struct Address {
    int port, target, lun;
    bool operator==(const Address& o) const {
        return port == o.port && target == o.target && lun == o.lun;
    }
};

std::ostream& operator<<(std::ostream& out, const Address& a) {
    return out << a.port << ":" << a.target << ":" << a.lun;
}

std::vector<Address> Enumerate(DeviceTypeMask mask, CDeviceRecordList* keep = nullptr,
                               PlatformId platform = 2) {
    CDeviceRecordList devices;
    CDeviceEnumerator enumerator(platform);
    const int count = enumerator.Enumerate(devices, nullptr, mask);
    EXPECT_EQ(count, static_cast<int>(devices.size()));
    std::vector<Address> out;
    for (const DeviceRecord& d : devices) out.push_back({d.adapter, d.target, d.lun});
    if (keep != nullptr) *keep = devices;
    return out;
}

const char kPorts[] =
    "[machine]\nplatform = 2\n"
    "[drive p1-late]\nnt = port 1 target 0\n"
    "[drive p0-b]\nnt = port 0 target 4 lun 1\n"
    "[drive p0-a]\nnt = port 0 target 2\n"
    "[drive p0-disk]\nform = scsi\ndevice-type = 0\nrmb = no\nnt = port 0 target 0\n"
    "[drive p0-zip]\ndevice-type = 0\nrmb = yes\nansi = 0\nnt = port 0 target 1\n"
    "[drive p0-bus1]\nnt = port 0 bus 1 target 3\n"
    "[drive p1-mo]\nform = scsi\ndevice-type = 7\nnt = port 1 target 6\n";

TEST(NtEnumeration, PortOrderThenChainOrderFilteredByClass) {
    testsupport::SimMachineScope sim(kPorts);
    struct Case {
        DeviceTypeMask mask;
        std::vector<Address> found;
    };
    // Within a port the driver's chain decides; here it follows the description. The device
    // on the second bus of port 0 is never listed.
    const Case cases[] = {
        {0x08, {{0, 4, 1}, {0, 2, 0}, {1, 0, 0}}},
        {0x02, {{0, 0, 0}}},
        {0x04, {{0, 1, 0}}},  // no ANSI-version condition on this path
        {0x01, {{1, 6, 0}}},
        {0, {{0, 4, 1}, {0, 2, 0}, {0, 0, 0}, {0, 1, 0}, {1, 0, 0}, {1, 6, 0}}},
    };
    for (const Case& c : cases) EXPECT_EQ(Enumerate(c.mask), c.found) << "mask " << c.mask;
}

TEST(NtEnumeration, PortsAreOpenedWithoutAccessAndAllClosed) {
    testsupport::SimMachineScope sim(kPorts);
    Enumerate(0x08);
    std::vector<std::string> opened;
    for (const auto& e : sim->DeviceEvents()) {
        if (e.kind != machine::sim::DeviceEvent::Open) continue;
        opened.push_back(e.path);
        EXPECT_EQ(e.access, 0u);
        EXPECT_EQ(e.share, FILE_SHARE_READ);
    }
    EXPECT_EQ(opened,
              (std::vector<std::string>{"\\\\.\\Scsi0:", "\\\\.\\Scsi1:", "\\\\.\\Scsi2:"}));
    EXPECT_EQ(sim->OpenDevices(), 0);
}

TEST(NtEnumeration, TheFirstPortThatDoesNotOpenEndsTheSearch) {
    struct Case {
        const char* machine;
        std::vector<Address> found;
    };
    const Case cases[] = {
        {"[drive a]\nnt = port 1 target 0\n", {}},  // no port 0
        {"[drive a]\nnt = port 0 target 0\n[drive b]\nnt = port 2 target 0\n", {{0, 0, 0}}},
        {"[port 0]\nfault = open 5\n[drive a]\nnt = port 1 target 0\n", {}},
        // A port whose inquiry data cannot be read contributes nothing; the next still counts.
        {"[port 0]\nfault = inquiry-data 1117\n[drive a]\nnt = port 0 target 0\n"
         "[drive b]\nnt = port 1 target 3\n",
         {{1, 3, 0}}},
        {"[port 0]\n[drive b]\nnt = port 1 target 3\n", {{1, 3, 0}}},  // a port without devices
    };
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(std::string("[machine]\nplatform = 2\n") + c.machine);
        EXPECT_EQ(Enumerate(0x08), c.found) << c.machine;
        EXPECT_EQ(sim->OpenDevices(), 0);
    }
}

TEST(NtEnumeration, InquiryBytesAreCutAt44AndZeroFilledBelow) {
    testsupport::SimMachineScope sim(
        "[machine]\nplatform = 2\n"
        "[drive short]\ninquiry = 05 80 00 32 1F 00 00 00 41 42\nnt = port 0 target 0\n"
        "[drive usual]\nmodel = CDW-36\nnt = port 0 target 1\n"
        "[drive long]\ninquiry-length = 96\nrevision = 2.0A\nnt = port 0 target 2\n");
    CDeviceRecordList devices;
    ASSERT_EQ(Enumerate(0x08, &devices).size(), 3u);
    auto it = devices.begin();
    const DeviceRecord& shortOne = *it++;
    const DeviceRecord& usual = *it++;
    const DeviceRecord& longOne = *it;

    const BYTE tenBytes[10] = {0x05, 0x80, 0x00, 0x32, 0x1F, 0, 0, 0, 0x41, 0x42};
    for (int i = 0; i < kInquirySize; ++i)
        EXPECT_EQ(shortOne.inquiry[i], i < 10 ? tenBytes[i] : 0) << "byte " << i;

    EXPECT_EQ(std::string(reinterpret_cast<const char*>(usual.inquiry) + 16, 16),
              "CDW-36          ");
    for (int i = 36; i < kInquirySize; ++i) EXPECT_EQ(usual.inquiry[i], 0) << "byte " << i;

    EXPECT_EQ(longOne.inquiry[4], 91);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(longOne.inquiry) + 32, 4), "2.0A");
}

// A port driver's answer whose chain comes back on itself, then one whose chain points past
// the bytes it returned: both end without reading beyond the answer.
TEST(NtEnumeration, DamagedPortAnswersEndTheirChain) {
    // SCSI_ADAPTER_BUS_INFO with one bus whose chain starts at 12, then SCSI_INQUIRY_DATA
    // entries of 12 header bytes and 36 inquiry bytes each.
    const std::string busInfo = "01 00 00 00 02 07 00 00 0C 00 00 00";
    std::string inquiry = "05 80 02 02 1F";
    for (int i = 5; i < 36; ++i) inquiry += " 00";
    // target 1 at 12 -> target 2 at 60 -> back to 12
    const std::string looping = busInfo + " 00 01 00 00 24 00 00 00 3C 00 00 00 " + inquiry +
                                " 00 02 00 00 24 00 00 00 0C 00 00 00 " + inquiry;
    // target 1 at 12 -> 0x100, past the 60 bytes returned
    const std::string beyond = busInfo + " 00 01 00 00 24 00 00 00 00 01 00 00 " + inquiry;

    struct Case {
        const char* name;
        std::string busInfo;
        std::vector<Address> found;
    };
    const Case cases[] = {
        {"loop", looping, {{0, 1, 0}, {0, 2, 0}}},
        {"next beyond the answer", beyond, {{0, 1, 0}}},
    };
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(
            "[machine]\nplatform = 2\n[port 0]\nbus-info = " + c.busInfo + "\n");
        // Mask 0, so that a phantom entry read from beyond the answer would show.
        EXPECT_EQ(Enumerate(0), c.found) << c.name;
    }
}

TEST(NtEnumeration, OtherPlatformsListNothingAndZeroAsksTheProbe) {
    struct Case {
        const char* machinePlatform;
        PlatformId given;
        size_t found;
    };
    const Case cases[] = {
        {"2", 0, 1},  // the probe says NT
        {"2", 3, 0},
        {"3", 0, 0},
        {"fail", 0, 0},
    };
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(std::string("[machine]\nplatform = ") + c.machinePlatform +
                                         "\n[drive a]\nnt = port 0 target 0\n");
        EXPECT_EQ(Enumerate(0x08, nullptr, c.given).size(), c.found)
            << c.machinePlatform << " given " << c.given;
    }
}

}  // namespace
