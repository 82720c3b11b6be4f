#include "transport/pass_through_device.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr UCHAR kSenseLength = 14;

// The request travels with its sense area in one block that is both input and output of
// the I/O control; the filler keeps the sense area where SenseInfoOffset says.
struct PassThroughBlock {
    SCSI_PASS_THROUGH_DIRECT spt;
    ULONG filler;
    UCHAR sense[kSenseLength];
    UCHAR spare[2];
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44, "32-bit structure length");
static_assert(offsetof(PassThroughBlock, sense) == 48, "32-bit sense offset");
static_assert(sizeof(PassThroughBlock) == 64, "32-bit block size");
#endif

constexpr UCHAR kStatusGood = 0x00;
constexpr UCHAR kStatusCheckCondition = 0x02;
constexpr UCHAR kStatusBusy = 0x08;

PassThroughResultCode ForSenseKey(UCHAR senseKey) {
    switch (senseKey) {
        case 0x0:  // NO SENSE
        case 0x1:  // RECOVERED ERROR
            return kPassThroughGood;
        case 0x2:
            return kPassThroughNotReady;
        case 0x3:
            return kPassThroughMediumError;
        case 0x4:
            return kPassThroughHardwareError;
        case 0x5:
            return kPassThroughIllegalRequest;
        case 0x6:
            return kPassThroughUnitAttention;
        case 0x7:
            return kPassThroughDataProtect;
        default:
            return kPassThroughOtherFailure;
    }
}

}  // namespace

CPassThroughDevice::CPassThroughDevice(HANDLE handle) : CDeviceHandle(handle) {}

CPassThroughDevice::~CPassThroughDevice() = default;

PassThroughResultCode CPassThroughDevice::ExecutePassThrough(PassThroughRequest& request) {
    PassThroughBlock block;
    std::memset(&block, 0, sizeof(block));
    SCSI_PASS_THROUGH_DIRECT& spt = block.spt;
    spt.Length = sizeof(SCSI_PASS_THROUGH_DIRECT);
    spt.PathId = request.pathId;
    spt.TargetId = request.targetId;
    spt.Lun = request.lun;
    spt.CdbLength = request.cdbLength;
    spt.SenseInfoLength = kSenseLength;
    spt.DataIn = request.dataDirection;
    spt.DataTransferLength = request.dataTransferLength;
    spt.TimeOutValue = request.timeout;
    spt.DataBuffer = request.dataBuffer;
    spt.SenseInfoOffset = offsetof(PassThroughBlock, sense);
    std::memcpy(spt.Cdb, request.cdb, sizeof(spt.Cdb));

    DWORD returned = 0;
    if (Control(IOCTL_SCSI_PASS_THROUGH_DIRECT, &block, sizeof(block), &block, sizeof(block),
                &returned, nullptr) != 0) {
        return kPassThroughControlFailed;
    }

    request.pathId = spt.PathId;
    request.targetId = spt.TargetId;
    request.lun = spt.Lun;
    request.scsiStatus = spt.ScsiStatus;
    request.senseKey = block.sense[2] & 0x0F;
    request.asc = block.sense[12];
    request.ascq = block.sense[13];

    switch (spt.ScsiStatus) {
        case kStatusGood:
            return kPassThroughGood;
        case kStatusCheckCondition:
            return ForSenseKey(request.senseKey);
        case kStatusBusy:
            return kPassThroughBusy;
        default:
            return kPassThroughOtherFailure;
    }
}

DWORD CPassThroughDevice::QueryPort(DWORD code, LPVOID buffer, DWORD size, int* bytesOut) {
    DWORD returned = 0;
    const DWORD error = ControlOut(code, buffer, size, &returned);
    if (bytesOut != nullptr) {
        *bytesOut = static_cast<int>(returned);
    }
    return error;
}

DWORD CPassThroughDevice::GetInquiryData(LPVOID buffer, DWORD size, int* bytesOut) {
    return QueryPort(IOCTL_SCSI_GET_INQUIRY_DATA, buffer, size, bytesOut);
}

DWORD CPassThroughDevice::GetScsiAddress(LPVOID buffer, DWORD size, int* bytesOut) {
    return QueryPort(IOCTL_SCSI_GET_ADDRESS, buffer, size, bytesOut);
}
