// IOCTL_SCSI_GET_INQUIRY_DATA's answer, laid out as Windows lays it out: one
// SCSI_ADAPTER_BUS_INFO with a SCSI_BUS_DATA per bus, then per bus a chain of
// SCSI_INQUIRY_DATA entries linked by offsets from the start of the buffer.
#pragma once

#include <cstdint>
#include <vector>

#include "winapi/windows.h"

namespace machine::linux_host {

// Windows' port drivers report the 36 bytes of standard INQUIRY data.
constexpr size_t kReportedInquiryLength = 36;

struct LogicalUnitInfo {
    uint8_t bus = 0;
    uint8_t target = 0;
    uint8_t lun = 0;
    bool claimed = false;
    std::vector<uint8_t> inquiry;  // at most kReportedInquiryLength bytes are reported
};

// `units` in ascending bus, target, LUN order. Returns ERROR_SUCCESS with `returned` set,
// or ERROR_INSUFFICIENT_BUFFER when `size` cannot hold the whole answer.
DWORD LayOutInquiryData(const std::vector<LogicalUnitInfo>& units, void* out, DWORD size,
                        DWORD& returned);

}  // namespace machine::linux_host
