#include "machine/linux/inquiry_layout.h"

#include <algorithm>
#include <cstring>

#include "winapi/ntddscsi.h"

namespace machine::linux_host {
namespace {

constexpr size_t kEntryAlignment = 8;

size_t AlignUp(size_t n) { return (n + kEntryAlignment - 1) / kEntryAlignment * kEntryAlignment; }

size_t ReportedLength(const LogicalUnitInfo& u) {
    return std::min(u.inquiry.size(), kReportedInquiryLength);
}

size_t EntrySize(const LogicalUnitInfo& u) {
    return AlignUp(offsetof(SCSI_INQUIRY_DATA, InquiryData) + ReportedLength(u));
}

template <typename T>
void Put(uint8_t* base, size_t offset, const T& value) {
    std::memcpy(base + offset, &value, sizeof value);
}

}  // namespace

DWORD LayOutInquiryData(const std::vector<LogicalUnitInfo>& units, void* out, DWORD size,
                        DWORD& returned) {
    returned = 0;
    size_t buses = 1;
    for (const LogicalUnitInfo& u : units) buses = std::max<size_t>(buses, u.bus + 1u);
    const size_t header =
        AlignUp(offsetof(SCSI_ADAPTER_BUS_INFO, BusData) + buses * sizeof(SCSI_BUS_DATA));
    size_t total = header;
    for (const LogicalUnitInfo& u : units) total += EntrySize(u);
    if (!out || size < total) return ERROR_INSUFFICIENT_BUFFER;

    uint8_t* base = static_cast<uint8_t*>(out);
    std::memset(base, 0, total);
    base[offsetof(SCSI_ADAPTER_BUS_INFO, NumberOfBuses)] = static_cast<UCHAR>(buses);
    size_t offset = header;
    for (size_t bus = 0; bus < buses; ++bus) {
        SCSI_BUS_DATA data{};
        // Linux does not tell the initiator's own id.
        data.InitiatorBusId = 0xFF;
        size_t previous = 0;
        for (const LogicalUnitInfo& u : units) {
            if (u.bus != bus) continue;
            if (data.NumberOfLogicalUnits == 0) {
                data.InquiryDataOffset = static_cast<ULONG>(offset);
            } else {
                Put(base, previous + offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset),
                    static_cast<ULONG>(offset));
            }
            ++data.NumberOfLogicalUnits;
            base[offset + offsetof(SCSI_INQUIRY_DATA, PathId)] = u.bus;
            base[offset + offsetof(SCSI_INQUIRY_DATA, TargetId)] = u.target;
            base[offset + offsetof(SCSI_INQUIRY_DATA, Lun)] = u.lun;
            base[offset + offsetof(SCSI_INQUIRY_DATA, DeviceClaimed)] = u.claimed ? 1 : 0;
            Put(base, offset + offsetof(SCSI_INQUIRY_DATA, InquiryDataLength),
                static_cast<ULONG>(ReportedLength(u)));
            std::memcpy(base + offset + offsetof(SCSI_INQUIRY_DATA, InquiryData), u.inquiry.data(),
                        ReportedLength(u));
            previous = offset;
            offset += EntrySize(u);
        }
        Put(base, offsetof(SCSI_ADAPTER_BUS_INFO, BusData) + bus * sizeof(SCSI_BUS_DATA), data);
    }
    returned = static_cast<DWORD>(total);
    return ERROR_SUCCESS;
}

}  // namespace machine::linux_host
