// SCSI commands and port queries through the NT SCSI port driver's I/O controls.
#pragma once

#include "transport/device_handle.h"
#include "winapi/ntddscsi.h"

// One command for ExecutePassThrough. The controller sets only the CDB, the data buffer,
// its length and the direction; the opened device path already names the device.
struct PassThroughRequest {
    UCHAR pathId = 0;
    UCHAR targetId = 0;
    UCHAR lun = 0;
    UCHAR cdbLength = 6;
    PVOID dataBuffer = nullptr;
    ULONG dataTransferLength = 0;
    ULONG timeout = 10;                                 // seconds
    UCHAR dataDirection = SCSI_IOCTL_DATA_UNSPECIFIED;  // SCSI_IOCTL_DATA_OUT/IN/UNSPECIFIED
    UCHAR cdb[16] = {};
    // Written back by ExecutePassThrough when the I/O control succeeded.
    UCHAR scsiStatus = 0;
    UCHAR senseKey = 0;  // sense byte 2, low four bits
    UCHAR asc = 0;       // sense byte 12
    UCHAR ascq = 0;      // sense byte 13
};

// The raw outcome of ExecutePassThrough.
using PassThroughResultCode = int;

constexpr PassThroughResultCode kPassThroughGood = 0;
constexpr PassThroughResultCode kPassThroughControlFailed = 16;
constexpr PassThroughResultCode kPassThroughOtherFailure = 32;
constexpr PassThroughResultCode kPassThroughBusy = 64;
constexpr PassThroughResultCode kPassThroughNotReady = 0x8010;
constexpr PassThroughResultCode kPassThroughMediumError = 0x8020;
constexpr PassThroughResultCode kPassThroughHardwareError = 0x8030;
constexpr PassThroughResultCode kPassThroughUnitAttention = 0x8040;
constexpr PassThroughResultCode kPassThroughDataProtect = 0x8050;
constexpr PassThroughResultCode kPassThroughIllegalRequest = 0x8070;

class CPassThroughDevice : public CDeviceHandle {
  public:
    explicit CPassThroughDevice(HANDLE handle = INVALID_HANDLE_VALUE);
    ~CPassThroughDevice() override;

    PassThroughResultCode ExecutePassThrough(PassThroughRequest& request);
    // Both return 0 or the Win32 error; `bytesOut` (optional) receives the reported count.
    DWORD GetInquiryData(LPVOID buffer, DWORD size, int* bytesOut = nullptr);
    DWORD GetScsiAddress(LPVOID buffer, DWORD size, int* bytesOut = nullptr);

  private:
    DWORD QueryPort(DWORD code, LPVOID buffer, DWORD size, int* bytesOut);
};
