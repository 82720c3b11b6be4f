// Device enumeration through ASPI: adapters, targets and LUNs, in that order, filtered by
// device class.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "enum/aspi_scanner.h"
#include "enum/device_enumerator.h"
#include "tests/support/sim_fixture.h"

namespace {

struct Address {
    int adapter, target, lun;
    bool operator==(const Address& o) const {
        return adapter == o.adapter && target == o.target && lun == o.lun;
    }
};

std::ostream& operator<<(std::ostream& out, const Address& a) {
    return out << a.adapter << ":" << a.target << ":" << a.lun;
}

std::vector<Address> Addresses(const CDeviceRecordList& devices) {
    std::vector<Address> out;
    for (const DeviceRecord& d : devices) out.push_back({d.adapter, d.target, d.lun});
    return out;
}

// Enumerates the simulated machine's ASPI devices as discovery does.
std::vector<Address> Enumerate(DeviceTypeMask mask, CDeviceRecordList* keep = nullptr) {
    HMODULE module = LoadLibraryA("WNASPI32.DLL");
    CDeviceRecordList devices;
    CDeviceEnumerator enumerator(1);
    const int count = enumerator.Enumerate(devices, module, mask);
    EXPECT_EQ(count, static_cast<int>(devices.size()));
    if (module != nullptr) FreeLibrary(module);
    if (keep != nullptr) *keep = devices;
    return Addresses(devices);
}

// INQUIRY commands that reached adapter/target, by LUN, with CDB byte 1 as sent.
std::vector<std::pair<int, int>> InquiriesTo(testsupport::SimMachineScope& sim, int adapter,
                                             int target) {
    std::vector<std::pair<int, int>> out;
    for (const auto& r : sim->AspiRequests())
        if (r.command == SC_EXEC_SCSI_CMD && r.adapter == adapter && r.target == target &&
            !r.cdb.empty() && r.cdb[0] == 0x12)
            out.push_back({r.lun, r.cdb[1]});
    return out;
}

// Targets asked for their device type on one adapter, in order.
std::vector<int> DeviceTypeRequests(testsupport::SimMachineScope& sim, int adapter) {
    std::vector<int> out;
    for (const auto& r : sim->AspiRequests())
        if (r.command == SC_GET_DEV_TYPE && r.adapter == adapter) out.push_back(r.target);
    return out;
}

const char kBusyMachine[] =
    "[machine]\nplatform = 1\n[aspi]\n"
    "[adapter 0]\nscsi-id = 7\n"
    "[adapter 1]\nscsi-id = 7\n"
    // adapter 1 first in the text: order comes from the addresses
    "[drive late]\nform = scsi\naspi = adapter 1 target 2 lun 0\n"
    "[drive cd-lun1]\nform = scsi\naspi = adapter 0 target 0 lun 1\n"
    "[drive cd]\nform = scsi\naspi = adapter 0 target 0 lun 0\n"
    "[drive fixed]\nform = scsi\ndevice-type = 0\nrmb = no\naspi = adapter 0 target 3 lun 0\n"
    "[drive zip]\ndevice-type = 0\nrmb = yes\nansi = 0\naspi = adapter 0 target 4 lun 0\n"
    "[drive mo]\nform = scsi\ndevice-type = 7\naspi = adapter 0 target 5 lun 0\n"
    "[drive tape]\nform = scsi\ndevice-type = 1\naspi = adapter 0 target 6 lun 0\n";

TEST(AspiEnumeration, MaskSelectsByClassInAddressOrder) {
    testsupport::SimMachineScope sim(kBusyMachine);
    struct Case {
        DeviceTypeMask mask;
        std::vector<Address> found;
    };
    const Case cases[] = {
        {0x08, {{0, 0, 0}, {0, 0, 1}, {1, 2, 0}}},
        {0x02, {{0, 3, 0}}},
        {0x04, {}},  // the removable disk reports ANSI version 0
        {0x01, {{0, 5, 0}}},
        {0x0F, {{0, 0, 0}, {0, 0, 1}, {0, 3, 0}, {0, 5, 0}, {1, 2, 0}}},
        {0x10, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(Enumerate(c.mask), c.found) << "mask " << c.mask;
}

TEST(AspiEnumeration, RecordsCarryTheFirst44InquiryBytes) {
    testsupport::SimMachineScope sim(
        "[machine]\nplatform = 1\n[aspi]\n[adapter 0]\n"
        "[drive cd]\nform = scsi\ninquiry-length = 96\nvendor = ACME\nmodel = WRITER 8X\n"
        "aspi = adapter 0 target 2 lun 0\n");
    CDeviceRecordList devices;
    ASSERT_EQ(Enumerate(0x08, &devices), (std::vector<Address>{{0, 2, 0}}));
    const DeviceRecord& d = devices.front();
    EXPECT_EQ(d.inquiry[0], 5);
    EXPECT_EQ(d.inquiry[4], 91);  // additional length of 96 bytes
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(d.inquiry) + 8, 8), "ACME    ");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(d.inquiry) + 16, 16), "WRITER 8X       ");
    EXPECT_EQ(InquiriesTo(sim, 0, 2).front(), (std::pair<int, int>{0, 0}));
    for (const auto& r : sim->AspiRequests())
        if (r.command == SC_EXEC_SCSI_CMD) {
            EXPECT_EQ(r.cdb[4], 44);
        }
}

TEST(AspiEnumeration, TargetCountIsNormalised) {
    struct Case {
        int reported;
        int scanned;  // targets 0 .. scanned-1
    };
    for (const Case c : {Case{0, 8}, Case{12, 12}, Case{16, 16}, Case{32, 16}, Case{255, 16}}) {
        testsupport::SimMachineScope sim(
            "[machine]\nplatform = 1\n[aspi]\n[adapter 0]\nscsi-id = 7\nmax-targets = " +
            std::to_string(c.reported) +
            "\n[drive a]\nform = scsi\naspi = adapter 0 target 0 lun 0\n"
            "[drive last]\nform = scsi\naspi = adapter 0 target " +
            std::to_string(c.scanned - 1) +
            " lun 0\n"
            "[drive beyond]\nform = scsi\naspi = adapter 0 target " +
            std::to_string(c.scanned) + " lun 0\n");
        EXPECT_EQ(Enumerate(0x08), (std::vector<Address>{{0, 0, 0}, {0, c.scanned - 1, 0}}))
            << "reported " << c.reported;

        // Pruning stops at target 0; the scan asks every target up to the count.
        std::vector<int> expected = {0};
        for (int t = 0; t < c.scanned; ++t) expected.push_back(t);
        EXPECT_EQ(DeviceTypeRequests(sim, 0), expected) << "reported " << c.reported;
    }
}

TEST(AspiEnumeration, AdaptersWithoutAnotherAnsweringTargetArePruned) {
    testsupport::SimMachineScope sim(
        "[machine]\nplatform = 1\n[aspi]\n"
        "[adapter 0]\nscsi-id = 7\n"      // only its own id answers
        "[adapter 1]\nscsi-id = 6\n"      // its own id and another
        "[adapter 2]\ninquiry = fails\n"  // does not answer the inquiry
        "[adapter 3]\nscsi-id = 7\n"      // nothing at all
        "[drive self0]\nform = scsi\naspi = adapter 0 target 7 lun 0\n"
        "[drive self1]\nform = scsi\naspi = adapter 1 target 6 lun 0\n"
        "[drive other1]\nform = scsi\naspi = adapter 1 target 5 lun 0\n"
        "[drive silent]\nform = scsi\naspi = adapter 2 target 0 lun 0\n");
    // Once kept, an adapter's own id is scanned like any target.
    EXPECT_EQ(Enumerate(0x08), (std::vector<Address>{{1, 5, 0}, {1, 6, 0}}));
    // Pruning never asks the adapter's own id.
    const std::vector<int> asked0 = DeviceTypeRequests(sim, 0);
    EXPECT_EQ(asked0, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_TRUE(DeviceTypeRequests(sim, 2).empty());
}

TEST(AspiEnumeration, LunScanStopsAtNoDeviceOrAFailedInquiry) {
    const char* machine =
        "[machine]\nplatform = 1\n[aspi]\n[adapter 0]\nscsi-id = 7\n"
        // target 0: LUN 0 only
        "[drive t0]\nform = scsi\naspi = adapter 0 target 0 lun 0\n"
        // target 1: a tape at LUN 1 is passed over, the CD-ROM behind it found
        "[drive t1l0]\nform = scsi\naspi = adapter 0 target 1 lun 0\n"
        "[drive t1l1]\nform = scsi\ndevice-type = 1\naspi = adapter 0 target 1 lun 1\n"
        "[drive t1l2]\nform = scsi\naspi = adapter 0 target 1 lun 2\n"
        // target 2: the INQUIRY of LUN 1 fails, so LUN 2 is never reached
        "[drive t2l0]\nform = scsi\naspi = adapter 0 target 2 lun 0\n"
        "[drive t2l1]\nform = scsi\naspi = adapter 0 target 2 lun 1\n"
        "fault = command 12 sense 5/24/00\n"
        "[drive t2l2]\nform = scsi\naspi = adapter 0 target 2 lun 2\n";
    testsupport::SimMachineScope sim(machine);
    EXPECT_EQ(Enumerate(0x08), (std::vector<Address>{{0, 0, 0}, {0, 1, 0}, {0, 1, 2}, {0, 2, 0}}));
    EXPECT_EQ(InquiriesTo(sim, 0, 0).size(), 2u);  // LUN 1 said "no device"
    EXPECT_EQ(InquiriesTo(sim, 0, 1).size(), 4u);
    EXPECT_EQ(InquiriesTo(sim, 0, 2).size(), 2u);
}

TEST(AspiEnumeration, MaskZeroListsEveryLunUpTo15) {
    testsupport::SimMachineScope sim(
        "[machine]\nplatform = 1\n[aspi]\n[adapter 0]\nscsi-id = 7\n"
        "[drive cd]\nform = scsi\naspi = adapter 0 target 3 lun 0\n");
    CDeviceRecordList devices;
    const std::vector<Address> found = Enumerate(0, &devices);
    ASSERT_EQ(found.size(), 16u);
    for (int lun = 0; lun < 16; ++lun) EXPECT_EQ(found[lun], (Address{0, 3, lun}));
    EXPECT_EQ(devices.front().inquiry[0], 5);
    EXPECT_EQ(devices.back().inquiry[0], 0x7F);  // no logical unit there
}

TEST(AspiEnumeration, FurtherLunsOfAScsi1DeviceCarryTheLunInCdbByteOne) {
    struct Case {
        const char* drives;
        std::vector<std::pair<int, int>> inquiries;  // LUN, CDB byte 1
        std::vector<Address> found;
    };
    const Case cases[] = {
        // An ATAPI CD-ROM reports ANSI version 0.
        {"[drive cd]\naspi = adapter 0 target 1 lun 0\n", {{0, 0x00}, {1, 0x20}}, {{0, 1, 0}}},
        {"[drive cd]\nform = scsi\naspi = adapter 0 target 1 lun 0\n",
         {{0, 0x00}, {1, 0x00}},
         {{0, 1, 0}}},
        // A SCSI-1 target finds its LUN only in the CDB.
        {"[drive a]\nform = scsi\nansi = 1\nscsi1 = yes\naspi = adapter 0 target 1 lun 0\n"
         "[drive b]\nform = scsi\nansi = 1\nscsi1 = yes\naspi = adapter 0 target 1 lun 1\n",
         {{0, 0x00}, {1, 0x20}, {2, 0x40}},
         {{0, 1, 0}, {0, 1, 1}}},
    };
    for (const Case& c : cases) {
        testsupport::SimMachineScope sim(
            std::string("[machine]\nplatform = 1\n[aspi]\n[adapter 0]\nscsi-id = 7\n") + c.drives);
        EXPECT_EQ(Enumerate(0x08), c.found) << c.drives;
        EXPECT_EQ(InquiriesTo(sim, 0, 1), c.inquiries) << c.drives;
    }
}

TEST(AspiEnumeration, NoUsableModuleFindsNothing) {
    struct Case {
        const char* aspi;  // empty: no ASPI module at all
    };
    for (const Case c : {Case{""}, Case{"[aspi]\nentry-points = none\n"},
                         Case{"[aspi]\nentry-points = GetASPI32SupportInfo\n"},
                         Case{"[aspi]\nsupport-info = 0xE800\n"}}) {
        testsupport::SimMachineScope sim(std::string("[machine]\nplatform = 1\n") + c.aspi +
                                         "[adapter 0]\n[drive cd]\naspi = adapter 0 target 0\n");
        CDeviceRecordList devices(3);  // emptied even when nothing is found
        HMODULE module = LoadLibraryA("WNASPI32.DLL");
        CDeviceEnumerator enumerator(1);
        EXPECT_EQ(enumerator.Enumerate(devices, module, 0x08), 0) << c.aspi;
        EXPECT_TRUE(devices.empty());
        if (module != nullptr) FreeLibrary(module);
    }
}

TEST(AspiScanner, PrunesAGivenListOrItsOwn) {
    testsupport::SimMachineScope sim(
        "[machine]\nplatform = 1\n[aspi]\n[adapter 0]\nscsi-id = 7\n[adapter 1]\nscsi-id = 7\n"
        "[drive self]\nform = scsi\naspi = adapter 0 target 7 lun 0\n"
        "[drive cd]\nform = scsi\naspi = adapter 1 target 2 lun 0\n");
    HMODULE module = LoadLibraryA("WNASPI32.DLL");
    {
        CAspiScanner scanner(module);
        EXPECT_EQ(scanner.ScanHostAdapters(), 2);

        HostAdapterRecord empty = {};
        empty.adapterIndex = 0;
        empty.HA_SCSI_ID = 7;
        empty.HA_Unique[3] = 8;
        HostAdapterRecord busy = empty;
        busy.adapterIndex = 1;
        CHostAdapterList given = {empty, busy};
        scanner.PruneEmptyAdapters(&given);
        ASSERT_EQ(given.size(), 1u);
        EXPECT_EQ(given.front().adapterIndex, 1);

        CDeviceRecordList devices(1);                      // appended to, not emptied
        EXPECT_EQ(scanner.ScanDevices(devices, 0x08), 3);  // not pruned yet: the adapter's own id
        EXPECT_EQ(Addresses(devices), (std::vector<Address>{{0, 0, 0}, {0, 7, 0}, {1, 2, 0}}));
        scanner.PruneEmptyAdapters();
        CDeviceRecordList again;
        EXPECT_EQ(scanner.ScanDevices(again, 0x08), 1);
        EXPECT_EQ(Addresses(again), (std::vector<Address>{{1, 2, 0}}));
    }
    FreeLibrary(module);
}

}  // namespace
