#include "enum/port_inquiry_data.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "winapi/ntddscsi.h"

namespace {

// The driver's offsets need not be aligned, so fields are copied out, never referenced.
template <class T>
T FieldAt(const BYTE* data, size_t offset) {
    T value;
    std::memcpy(&value, data + offset, sizeof(value));
    return value;
}

}  // namespace

void AppendPortDevices(const BYTE* data, size_t size, BYTE port, DeviceTypeMask mask,
                       CDeviceRecordList& devices) {
    constexpr size_t kBusDataStart = offsetof(SCSI_ADAPTER_BUS_INFO, BusData);
    if (size < kBusDataStart + sizeof(SCSI_BUS_DATA)) {
        return;
    }
    const size_t buses = FieldAt<UCHAR>(data, offsetof(SCSI_ADAPTER_BUS_INFO, NumberOfBuses));
    const size_t headerSize = kBusDataStart + buses * sizeof(SCSI_BUS_DATA);
    if (buses == 0 || headerSize > size) {
        return;
    }

    // Only the first bus is listed: the port number alone cannot tell buses apart.
    constexpr size_t kEntryHeader = offsetof(SCSI_INQUIRY_DATA, InquiryData);
    size_t offset =
        FieldAt<ULONG>(data, kBusDataStart + offsetof(SCSI_BUS_DATA, InquiryDataOffset));
    std::set<size_t> seen;
    while (offset != 0) {
        if (offset < headerSize || offset > size || size - offset < kEntryHeader ||
            !seen.insert(offset).second) {
            return;
        }
        const BYTE* entry = data + offset;
        const size_t inquiryLength =
            FieldAt<ULONG>(entry, offsetof(SCSI_INQUIRY_DATA, InquiryDataLength));
        if (inquiryLength > size - offset - kEntryHeader) {
            return;
        }
        DeviceRecord record;
        std::memset(&record, 0, sizeof(record));
        record.adapter = port;
        record.target = FieldAt<UCHAR>(entry, offsetof(SCSI_INQUIRY_DATA, TargetId));
        record.lun = FieldAt<UCHAR>(entry, offsetof(SCSI_INQUIRY_DATA, Lun));
        std::memcpy(record.inquiry, entry + kEntryHeader,
                    std::min<size_t>(inquiryLength, sizeof(record.inquiry)));
        if (MaskSelectsDevice(mask, record.inquiry, false)) {
            devices.push_back(record);
        }
        offset = FieldAt<ULONG>(entry, offsetof(SCSI_INQUIRY_DATA, NextInquiryDataOffset));
    }
}
