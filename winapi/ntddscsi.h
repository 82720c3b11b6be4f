// The SCSI port interface of Windows NT: I/O control codes and published structures.
#pragma once

#include "winapi/windef.h"

#define IOCTL_SCSI_PASS_THROUGH_DIRECT 0x0004D014u
#define IOCTL_SCSI_GET_INQUIRY_DATA 0x0004100Cu
#define IOCTL_SCSI_GET_ADDRESS 0x00041018u

#define SCSI_IOCTL_DATA_OUT 0
#define SCSI_IOCTL_DATA_IN 1
#define SCSI_IOCTL_DATA_UNSPECIFIED 2

struct SCSI_PASS_THROUGH_DIRECT {
    USHORT Length;
    UCHAR ScsiStatus;
    UCHAR PathId;
    UCHAR TargetId;
    UCHAR Lun;
    UCHAR CdbLength;
    UCHAR SenseInfoLength;
    UCHAR DataIn;
    ULONG DataTransferLength;
    ULONG TimeOutValue;
    PVOID DataBuffer;
    ULONG SenseInfoOffset;
    UCHAR Cdb[16];
};

struct SCSI_ADDRESS {
    ULONG Length;
    UCHAR PortNumber;
    UCHAR PathId;
    UCHAR TargetId;
    UCHAR Lun;
};

struct SCSI_BUS_DATA {
    UCHAR NumberOfLogicalUnits;
    UCHAR InitiatorBusId;
    ULONG InquiryDataOffset;
};

struct SCSI_ADAPTER_BUS_INFO {
    UCHAR NumberOfBuses;
    SCSI_BUS_DATA BusData[1];
};

struct SCSI_INQUIRY_DATA {
    UCHAR PathId;
    UCHAR TargetId;
    UCHAR Lun;
    BOOLEAN DeviceClaimed;
    ULONG InquiryDataLength;
    ULONG NextInquiryDataOffset;
    UCHAR InquiryData[1];
};

static_assert(sizeof(SCSI_ADDRESS) == 8, "SCSI_ADDRESS is 8 bytes");
static_assert(sizeof(SCSI_BUS_DATA) == 8, "SCSI_BUS_DATA is 8 bytes");
static_assert(offsetof(SCSI_INQUIRY_DATA, InquiryData) == 12, "inquiry bytes follow 12 bytes");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SCSI_PASS_THROUGH_DIRECT) == 44, "32-bit layout is 44 bytes");
#endif
