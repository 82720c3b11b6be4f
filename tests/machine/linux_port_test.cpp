// SCSI hosts as Windows ports: numbering, and the inquiry data each port reports.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/machine/linux_fixture.h"
#include "winapi/ntddscsi.h"

namespace linux_test {
namespace {

struct Entry {
    int bus, target, lun;
    bool claimed;
    std::vector<uint8_t> inquiry;
};

template <typename T>
T At(const std::vector<uint8_t>& buf, size_t offset) {
    T v;
    EXPECT_LE(offset + sizeof v, buf.size());
    std::memcpy(&v, buf.data() + offset, sizeof v);
    return v;
}

// Walks one bus's chain the way a Windows caller does.
std::vector<Entry> Chain(const std::vector<uint8_t>& buf, int bus) {
    std::vector<Entry> entries;
    const size_t busData = offsetof(SCSI_ADAPTER_BUS_INFO, BusData) + bus * sizeof(SCSI_BUS_DATA);
    const auto data = At<SCSI_BUS_DATA>(buf, busData);
    size_t offset = data.InquiryDataOffset;
    while (offset != 0 && entries.size() <= data.NumberOfLogicalUnits) {
        const auto head = At<SCSI_INQUIRY_DATA>(buf, offset);
        const uint8_t* bytes = buf.data() + offset + offsetof(SCSI_INQUIRY_DATA, InquiryData);
        entries.push_back({head.PathId, head.TargetId, head.Lun, head.DeviceClaimed != 0,
                           std::vector<uint8_t>(bytes, bytes + head.InquiryDataLength)});
        offset = head.NextInquiryDataOffset;
    }
    EXPECT_EQ(entries.size(), data.NumberOfLogicalUnits);
    return entries;
}

std::vector<uint8_t> InquiryDataOf(machine::Machine& host, int port, DWORD size = 10240,
                                   DWORD* error = nullptr) {
    DWORD openError = 0;
    auto device =
        host.OpenDevice("\\\\.\\Scsi" + std::to_string(port) + ":", 0, FILE_SHARE_READ, openError);
    EXPECT_TRUE(device) << "port " << port;
    if (!device) return {};
    std::vector<uint8_t> buf(size, 0xCC);
    DWORD returned = 0;
    DWORD rc =
        device->IoControl(IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, buf.data(), size, returned);
    if (error) *error = rc;
    if (rc != ERROR_SUCCESS) return {};
    EXPECT_LE(returned, size);
    buf.resize(returned);
    return buf;
}

std::vector<uint8_t> First36(const std::vector<uint8_t>& inquiry) {
    return std::vector<uint8_t>(inquiry.begin(), inquiry.begin() + 36);
}

TEST(LinuxPorts, HostsAreNumberedInAscendingOrderWithoutGaps) {
    HostTree tree;
    tree.AddHost(5);
    tree.AddHost(0);
    tree.AddHost(12);
    tree.AddHost(2);
    tree.AddDevice({"2:0:1:0", Inquiry(5, "", "ON-HOST-2", "1.00"), "sr0", "sg0"});
    tree.AddDevice({"12:0:3:0", Inquiry(5, "", "ON-HOST-12", "1.00"), "sr1", "sg1"});
    auto h = MakeHost(tree);

    const struct {
        int port;
        const char* product;  // empty: no device
    } cases[] = {{0, ""}, {1, "ON-HOST-2"}, {2, ""}, {3, "ON-HOST-12"}};
    for (const auto& c : cases) {
        std::vector<Entry> entries = Chain(InquiryDataOf(*h->host, c.port), 0);
        if (*c.product == '\0') {
            EXPECT_TRUE(entries.empty()) << "port " << c.port;
            continue;
        }
        ASSERT_EQ(entries.size(), 1u) << "port " << c.port;
        std::string product(entries[0].inquiry.begin() + 16, entries[0].inquiry.begin() + 32);
        EXPECT_EQ(product.substr(0, product.find_last_not_of(' ') + 1), c.product);
    }
    DWORD error = 0;
    EXPECT_FALSE(h->host->OpenDevice("\\\\.\\Scsi4:", 0, FILE_SHARE_READ, error));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(LinuxPorts, InquiryDataListsEveryDeviceOfThePortPerBus) {
    HostTree tree;
    tree.AddHost(0);
    tree.AddHost(1);
    const auto cd = Inquiry(5, "", "CDRW-DRIVE", "1.10", 60);  // kernel keeps 96 bytes
    const auto disk = Inquiry(0, "ATA", "SOME DISK", "0001");
    const auto tape = Inquiry(1, "TAPE", "STREAMER", "9");
    tree.AddDevice({"1:0:4:0", tape, "", "sg5", false});
    tree.AddDevice({"1:0:1:0", cd, "sr0", "sg1"});
    tree.AddDevice({"1:1:0:2", disk, "sda", "sg2"});
    tree.AddDevice({"1:0:1:1", disk, "sdb", "sg3"});
    tree.AddDevice({"0:0:0:0", disk, "sdc", "sg0"});
    auto h = MakeHost(tree);

    const std::vector<uint8_t> buf = InquiryDataOf(*h->host, 1);
    ASSERT_FALSE(buf.empty());
    EXPECT_EQ(buf[offsetof(SCSI_ADAPTER_BUS_INFO, NumberOfBuses)], 2);

    std::vector<Entry> bus0 = Chain(buf, 0);
    ASSERT_EQ(bus0.size(), 3u);
    const struct {
        int target, lun;
        bool claimed;
        std::vector<uint8_t> inquiry;
    } want0[] = {{1, 0, true, First36(cd)}, {1, 1, true, disk}, {4, 0, false, tape}};
    for (size_t i = 0; i < bus0.size(); ++i) {
        EXPECT_EQ(bus0[i].bus, 0);
        EXPECT_EQ(bus0[i].target, want0[i].target) << i;
        EXPECT_EQ(bus0[i].lun, want0[i].lun) << i;
        EXPECT_EQ(bus0[i].claimed, want0[i].claimed) << i;
        EXPECT_EQ(bus0[i].inquiry, want0[i].inquiry) << i;
    }
    std::vector<Entry> bus1 = Chain(buf, 1);
    ASSERT_EQ(bus1.size(), 1u);
    EXPECT_EQ(bus1[0].bus, 1);
    EXPECT_EQ(bus1[0].target, 0);
    EXPECT_EQ(bus1[0].lun, 2);
}

TEST(LinuxPorts, APortWithoutDevicesHasOneEmptyBus) {
    HostTree tree;
    tree.AddHost(0);
    auto h = MakeHost(tree);
    const std::vector<uint8_t> buf = InquiryDataOf(*h->host, 0);
    ASSERT_GE(buf.size(), sizeof(SCSI_ADAPTER_BUS_INFO));
    EXPECT_EQ(buf[0], 1);
    const auto bus = At<SCSI_BUS_DATA>(buf, offsetof(SCSI_ADAPTER_BUS_INFO, BusData));
    EXPECT_EQ(bus.NumberOfLogicalUnits, 0);
    EXPECT_EQ(bus.InquiryDataOffset, 0u);
}

TEST(LinuxPorts, ABufferTooSmallForTheAnswerFails) {
    HostTree tree;
    tree.AddHost(0);
    tree.AddDevice({"0:0:0:0", Inquiry(5, "", "A", "1"), "sr0", "sg0"});
    tree.AddDevice({"0:0:1:0", Inquiry(5, "", "B", "1"), "sr1", "sg1"});
    auto h = MakeHost(tree);
    const size_t needed = InquiryDataOf(*h->host, 0).size();
    DWORD error = 0;
    EXPECT_TRUE(InquiryDataOf(*h->host, 0, static_cast<DWORD>(needed - 1), &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST(LinuxPorts, WithoutTheKernelsCopyAnInquiryGoesThroughTheGenericNode) {
    HostTree tree;
    tree.AddHost(0);
    const auto answer = Inquiry(5, "", "FRESH", "2.00");
    tree.AddDevice({"0:0:0:0", {}, "sr0", "sg0"});
    tree.AddDevice({"0:0:1:0", {}, "sr1", "sg1"});  // its INQUIRY fails
    tree.AddDevice({"0:0:2:0", {}, "sr2", ""});     // no generic node: nothing to ask
    auto h = MakeHost(tree);
    h->system->answer = [&](const std::string& path, sg_io_hdr_t& hdr) {
        hdr.host_status = 0;
        hdr.driver_status = 0;
        hdr.resid = 0;
        if (path != tree.Node("sg0")) return -EIO;
        hdr.status = 0;
        std::memcpy(hdr.dxferp, answer.data(), std::min<size_t>(hdr.dxfer_len, answer.size()));
        return 0;
    };

    std::vector<Entry> entries = Chain(InquiryDataOf(*h->host, 0), 0);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].target, 0);
    EXPECT_EQ(entries[0].inquiry, answer);
    ASSERT_FALSE(h->system->commands.empty());
    const auto& sent = h->system->commands.front();
    EXPECT_EQ(sent.cdb, (std::vector<uint8_t>{0x12, 0, 0, 0, 36, 0}));
    EXPECT_EQ(sent.header.dxfer_direction, SG_DXFER_FROM_DEV);
    EXPECT_EQ(sent.header.dxfer_len, 36u);
    EXPECT_EQ(h->system->openDescriptors, 0);
}

TEST(LinuxPorts, InquiryDataIsReadAgainForEveryQuery) {
    // After a firmware update the kernel's copy may change at a rescan; nothing is kept.
    HostTree tree;
    tree.AddHost(0);
    tree.AddDevice({"0:0:0:0", Inquiry(5, "", "DRIVE", "1.00"), "sr0", "sg0"});
    auto h = MakeHost(tree);
    EXPECT_EQ(Chain(InquiryDataOf(*h->host, 0), 0).at(0).inquiry, Inquiry(5, "", "DRIVE", "1.00"));
    tree.SetInquiry("0:0:0:0", Inquiry(5, "", "DRIVE", "2.00"));
    EXPECT_EQ(Chain(InquiryDataOf(*h->host, 0), 0).at(0).inquiry, Inquiry(5, "", "DRIVE", "2.00"));
}

TEST(LinuxPorts, DevicesWhoseAddressDoesNotFitTheStructuresAreLeftOut) {
    HostTree tree;
    tree.AddHost(0);
    tree.AddDevice({"0:0:300:0", Inquiry(5, "", "FAR-TARGET", "1"), "sr0", "sg0"});
    tree.AddDevice({"0:0:44:0", Inquiry(5, "", "NEAR", "1"), "sr1", "sg1"});
    tree.AddDevice({"0:0:1:256", Inquiry(5, "", "FAR-LUN", "1"), "sr2", "sg2"});
    auto h = MakeHost(tree);
    std::vector<Entry> entries = Chain(InquiryDataOf(*h->host, 0), 0);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].target, 44);
    DWORD error = 0;
    EXPECT_FALSE(h->host->OpenDevice("\\\\.\\CdRom0", GENERIC_READ, FILE_SHARE_READ, error));
}

TEST(LinuxPorts, OtherControlsOnAPortAreRefused) {
    HostTree tree;
    tree.AddHost(0);
    auto h = MakeHost(tree);
    DWORD error = 0, returned = 0;
    auto port = h->host->OpenDevice("\\\\.\\Scsi0:", 0, FILE_SHARE_READ, error);
    ASSERT_TRUE(port);
    SCSI_ADDRESS address{};
    EXPECT_EQ(
        port->IoControl(IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &address, sizeof address, returned),
        static_cast<DWORD>(ERROR_INVALID_FUNCTION));
}

}  // namespace
}  // namespace linux_test
