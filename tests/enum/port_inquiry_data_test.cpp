// What a port driver's inquiry-data answer yields, including answers that are damaged.
#include "enum/port_inquiry_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "winapi/ntddscsi.h"

namespace {

// Lays out an IOCTL_SCSI_GET_INQUIRY_DATA answer the way a port driver does.
class PortAnswer {
  public:
    explicit PortAnswer(int buses) {
        bytes_.resize(offsetof(SCSI_ADAPTER_BUS_INFO, BusData) + buses * sizeof(SCSI_BUS_DATA));
        bytes_[offsetof(SCSI_ADAPTER_BUS_INFO, NumberOfBuses)] = static_cast<BYTE>(buses);
    }

    // Appends an entry (unlinked) and returns its offset.
    size_t Entry(BYTE target, BYTE lun, std::vector<BYTE> inquiry) {
        const size_t offset = bytes_.size();
        SCSI_INQUIRY_DATA head = {};
        head.TargetId = target;
        head.Lun = lun;
        head.InquiryDataLength = static_cast<ULONG>(inquiry.size());
        bytes_.resize(offset + offsetof(SCSI_INQUIRY_DATA, InquiryData) + inquiry.size());
        std::memcpy(&bytes_[offset], &head, offsetof(SCSI_INQUIRY_DATA, InquiryData));
        if (!inquiry.empty()) {
            std::memcpy(&bytes_[offset + offsetof(SCSI_INQUIRY_DATA, InquiryData)], inquiry.data(),
                        inquiry.size());
        }
        return offset;
    }
    void BusStart(int bus, ULONG offset) {
        Put(offsetof(SCSI_ADAPTER_BUS_INFO, BusData) + bus * sizeof(SCSI_BUS_DATA) +
                offsetof(SCSI_BUS_DATA, InquiryDataOffset),
            offset);
    }
    void Next(size_t entry, ULONG offset) {
        Put(entry + offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset), offset);
    }
    void InquiryLength(size_t entry, ULONG length) {
        Put(entry + offsetof(SCSI_INQUIRY_DATA, InquiryDataLength), length);
    }
    void Buses(BYTE count) { bytes_[offsetof(SCSI_ADAPTER_BUS_INFO, NumberOfBuses)] = count; }
    size_t size() const { return bytes_.size(); }

    // Reads only the first `reported` bytes, from an allocation of exactly that size, so
    // that a read past them is caught.
    CDeviceRecordList Read(size_t reported, DeviceTypeMask mask = 0, BYTE port = 3) const {
        std::vector<BYTE> answer(bytes_.begin(), bytes_.begin() + reported);
        CDeviceRecordList devices;
        AppendPortDevices(answer.data(), answer.size(), port, mask, devices);
        return devices;
    }
    CDeviceRecordList Read() const { return Read(size()); }

  private:
    void Put(size_t at, ULONG value) { std::memcpy(&bytes_[at], &value, sizeof(value)); }
    std::vector<BYTE> bytes_;
};

// Peripheral type, RMB and ANSI version, then a recognisable product byte.
std::vector<BYTE> Inquiry(BYTE type, bool removable, BYTE ansi, size_t length = 36) {
    std::vector<BYTE> data(std::max<size_t>(length, 3), 0);
    data[0] = type;
    data[1] = removable ? 0x80 : 0x00;
    data[2] = ansi;
    for (size_t i = 3; i < data.size(); ++i) data[i] = static_cast<BYTE>(0xA0 + i);
    data.resize(length);
    return data;
}

struct Address {
    BYTE adapter, target, lun;
};

std::vector<Address> Addresses(const CDeviceRecordList& devices) {
    std::vector<Address> out;
    for (const DeviceRecord& d : devices) out.push_back({d.adapter, d.target, d.lun});
    return out;
}

void ExpectAddresses(const CDeviceRecordList& devices, std::vector<Address> expected) {
    const std::vector<Address> got = Addresses(devices);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].adapter, expected[i].adapter) << "record " << i;
        EXPECT_EQ(got[i].target, expected[i].target) << "record " << i;
        EXPECT_EQ(got[i].lun, expected[i].lun) << "record " << i;
    }
}

TEST(PortInquiryData, FollowsTheFirstBusChainInItsOrderWithThePortAsAdapter) {
    PortAnswer answer(2);
    const size_t a = answer.Entry(4, 0, Inquiry(5, true, 2));
    const size_t b = answer.Entry(1, 1, Inquiry(5, true, 2));
    const size_t otherBus = answer.Entry(2, 0, Inquiry(5, true, 2));
    answer.BusStart(0, static_cast<ULONG>(b));
    answer.Next(b, static_cast<ULONG>(a));
    answer.BusStart(1, static_cast<ULONG>(otherBus));

    ExpectAddresses(answer.Read(), {{3, 1, 1}, {3, 4, 0}});
}

TEST(PortInquiryData, KeepsAtMost44InquiryBytesAndZeroFillsShorterData) {
    struct Case {
        size_t length;
        size_t copied;
    };
    for (const Case c : {Case{36, 36}, Case{44, 44}, Case{96, 44}, Case{0, 0}}) {
        PortAnswer answer(1);
        const std::vector<BYTE> inquiry = Inquiry(5, false, 2, c.length);
        answer.BusStart(0, static_cast<ULONG>(answer.Entry(0, 0, inquiry)));
        const CDeviceRecordList devices = answer.Read();
        ASSERT_EQ(devices.size(), 1u) << "length " << c.length;
        const DeviceRecord& d = devices.front();
        for (size_t i = 0; i < sizeof(d.inquiry); ++i) {
            const BYTE expected = i < c.copied ? inquiry[i] : 0;
            EXPECT_EQ(d.inquiry[i], expected) << "length " << c.length << " byte " << i;
        }
    }
}

TEST(PortInquiryData, ClassifiesDirectAccessDevicesByRemovableBitAlone) {
    // The port drivers' data is taken as it is: no ANSI-version condition here.
    struct Case {
        std::vector<BYTE> inquiry;
        DeviceTypeMask mask;
        bool selected;
    };
    const Case cases[] = {
        {Inquiry(0, false, 0), 0x02, true},    {Inquiry(0, false, 0), 0x04, false},
        {Inquiry(0, true, 0), 0x04, true},     {Inquiry(0, true, 0), 0x02, false},
        {Inquiry(5, true, 0), 0x08, true},     {Inquiry(5, true, 0), 0x07, false},
        {Inquiry(7, false, 2), 0x01, true},    {Inquiry(1, false, 2), 0x0F, false},
        {Inquiry(0x1F, false, 0), 0, true},    {Inquiry(0x1F, false, 0), 0xFFFF, false},
        {Inquiry(0x25, false, 2), 0x08, true},  // qualifier bits do not hide the type
    };
    for (const Case& c : cases) {
        PortAnswer answer(1);
        answer.BusStart(0, static_cast<ULONG>(answer.Entry(0, 0, c.inquiry)));
        EXPECT_EQ(answer.Read(answer.size(), c.mask).size(), c.selected ? 1u : 0u)
            << "type " << int(c.inquiry[0]) << " rmb " << int(c.inquiry[1]) << " mask " << c.mask;
    }
}

// A damaged chain ends where it leaves the answer or turns back; what came before stays.
TEST(PortInquiryData, EndsTheChainWhereTheDriverDataIsDamaged) {
    struct Case {
        const char* name;
        int listed;  // entries listed from a chain first -> second -> third
        void (*damage)(PortAnswer&, size_t first, size_t second, size_t third, size_t& reported);
    };
    const Case cases[] = {
        {"intact", 3, [](PortAnswer&, size_t, size_t, size_t, size_t&) {}},
        {"start beyond the answer", 0,
         [](PortAnswer& a, size_t, size_t, size_t, size_t& reported) {
             a.BusStart(0, static_cast<ULONG>(reported + 100));
         }},
        {"start inside the bus header", 0,
         [](PortAnswer& a, size_t, size_t, size_t, size_t&) { a.BusStart(0, 1); }},
        {"next beyond the reported bytes", 1,
         [](PortAnswer&, size_t, size_t second, size_t, size_t& reported) {
             reported = second;  // the driver filled less than the chain claims
         }},
        {"entry header cut off", 1,
         [](PortAnswer&, size_t, size_t second, size_t, size_t& reported) {
             reported = second + 6;
         }},
        {"inquiry bytes run past the end", 2,
         [](PortAnswer& a, size_t, size_t, size_t third, size_t&) { a.InquiryLength(third, 37); }},
        {"inquiry length near 4 GiB", 1,
         [](PortAnswer& a, size_t, size_t second, size_t, size_t&) {
             a.InquiryLength(second, 0xFFFFFFF8u);
         }},
        {"back to the first entry", 3,
         [](PortAnswer& a, size_t first, size_t, size_t third, size_t&) {
             a.Next(third, static_cast<ULONG>(first));
         }},
        {"entry pointing at itself", 2,
         [](PortAnswer& a, size_t, size_t second, size_t, size_t&) {
             a.Next(second, static_cast<ULONG>(second));
         }},
        {"answer shorter than the bus header", 0,
         [](PortAnswer&, size_t, size_t, size_t, size_t& reported) { reported = 5; }},
        {"nothing reported", 0,
         [](PortAnswer&, size_t, size_t, size_t, size_t& reported) { reported = 0; }},
    };
    for (const Case& c : cases) {
        PortAnswer answer(1);
        const size_t first = answer.Entry(0, 0, Inquiry(5, true, 2));
        const size_t second = answer.Entry(1, 0, Inquiry(5, true, 2));
        const size_t third = answer.Entry(2, 0, Inquiry(5, true, 2));
        answer.BusStart(0, static_cast<ULONG>(first));
        answer.Next(first, static_cast<ULONG>(second));
        answer.Next(second, static_cast<ULONG>(third));
        size_t reported = answer.size();
        c.damage(answer, first, second, third, reported);

        const CDeviceRecordList devices = answer.Read(reported);
        ASSERT_EQ(static_cast<int>(devices.size()), c.listed) << c.name;
        int target = 0;
        for (const DeviceRecord& d : devices) EXPECT_EQ(d.target, target++) << c.name;
    }
}

TEST(PortInquiryData, EntriesAtUnalignedOffsetsAreRead) {
    PortAnswer answer(1);
    const size_t first = answer.Entry(0, 0, Inquiry(5, true, 2, 5));  // odd length
    const size_t second = answer.Entry(6, 2, Inquiry(5, true, 2, 36));
    ASSERT_NE(second % 4, 0u);
    answer.BusStart(0, static_cast<ULONG>(first));
    answer.Next(first, static_cast<ULONG>(second));
    ExpectAddresses(answer.Read(), {{3, 0, 0}, {3, 6, 2}});
}

TEST(PortInquiryData, AnAnswerWithoutBusesListsNothing) {
    PortAnswer answer(1);
    answer.BusStart(0, static_cast<ULONG>(answer.Entry(0, 0, Inquiry(5, true, 2))));
    answer.Buses(0);
    EXPECT_TRUE(answer.Read().empty());
}

}  // namespace
