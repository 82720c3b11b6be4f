#include "machine/linux/sg_pass_through.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "winapi/ntddscsi.h"

namespace machine::linux_host {
namespace {

// Host and driver bytes of sg_io_hdr (Linux's SCSI midlayer values).
constexpr unsigned kDidOk = 0x00;
constexpr unsigned kDidTimeOut = 0x03;
constexpr unsigned kDriverMask = 0x0F;
constexpr unsigned kDriverOk = 0x00;
constexpr unsigned kDriverTimeout = 0x06;
constexpr unsigned kDriverSense = 0x08;

constexpr size_t kMaxSense = 252;

int DirectionOf(UCHAR dataIn, ULONG length) {
    if (length == 0) return SG_DXFER_NONE;
    switch (dataIn) {
        case SCSI_IOCTL_DATA_OUT:
            return SG_DXFER_TO_DEV;
        case SCSI_IOCTL_DATA_IN:
            return SG_DXFER_FROM_DEV;
        default:
            // Unknown direction: the buffer goes out and whatever the device sends comes back.
            return SG_DXFER_TO_FROM_DEV;
    }
}

}  // namespace

DWORD ErrorFromErrno(int err) {
    switch (err) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
            return ERROR_FILE_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case EBUSY:
            return ERROR_SHARING_VIOLATION;
        case ENOMEDIUM:
            return ERROR_NOT_READY;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case EINVAL:
        case EMSGSIZE:
        case EFAULT:
        case ENOTTY:
            return ERROR_INVALID_PARAMETER;
        case ETIMEDOUT:
            return ERROR_SEM_TIMEOUT;
        default:
            return ERROR_IO_DEVICE;
    }
}

DWORD PassThroughDirect(HostSystem& system, int fd, const UnitAddress& address, const void* in,
                        DWORD inSize, void* out, DWORD outSize, DWORD& returned, int& sgErrno) {
    returned = 0;
    sgErrno = 0;
    if (!in || inSize < sizeof(SCSI_PASS_THROUGH_DIRECT) || !out ||
        outSize < sizeof(SCSI_PASS_THROUGH_DIRECT)) {
        return ERROR_INVALID_PARAMETER;
    }
    SCSI_PASS_THROUGH_DIRECT sptd;
    std::memcpy(&sptd, in, sizeof sptd);
    const size_t senseEnd = size_t{sptd.SenseInfoOffset} + sptd.SenseInfoLength;
    if (sptd.CdbLength == 0 || sptd.CdbLength > sizeof sptd.Cdb || sptd.DataIn > 2 ||
        (sptd.DataTransferLength > 0 && !sptd.DataBuffer) ||
        (sptd.SenseInfoLength > 0 && senseEnd > outSize)) {
        return ERROR_INVALID_PARAMETER;
    }

    unsigned char cdb[sizeof sptd.Cdb];
    std::memcpy(cdb, sptd.Cdb, sizeof cdb);
    unsigned char sense[kMaxSense] = {};
    sg_io_hdr_t hdr{};
    hdr.interface_id = 'S';
    hdr.dxfer_direction = DirectionOf(sptd.DataIn, sptd.DataTransferLength);
    hdr.cmd_len = sptd.CdbLength;
    hdr.mx_sb_len = static_cast<unsigned char>(std::min<size_t>(sptd.SenseInfoLength, kMaxSense));
    hdr.dxfer_len = sptd.DataTransferLength;
    hdr.dxferp = sptd.DataBuffer;
    hdr.cmdp = cdb;
    hdr.sbp = sense;
    const uint64_t timeoutMs = uint64_t{sptd.TimeOutValue} * 1000u;
    hdr.timeout =
        static_cast<unsigned>(std::min<uint64_t>(timeoutMs, std::numeric_limits<unsigned>::max()));

    if (int rc = system.SgIo(fd, hdr); rc < 0) {
        sgErrno = -rc;
        return ErrorFromErrno(-rc);
    }
    // The command never completed on the device: a port driver fails the request.
    const unsigned driver = hdr.driver_status & kDriverMask;
    if (hdr.host_status == kDidTimeOut || driver == kDriverTimeout) return ERROR_SEM_TIMEOUT;
    if (hdr.host_status != kDidOk || (driver != kDriverOk && driver != kDriverSense)) {
        return ERROR_IO_DEVICE;
    }

    const size_t senseLength = std::min<size_t>(hdr.sb_len_wr, hdr.mx_sb_len);
    const int resid = hdr.resid < 0 ? 0 : hdr.resid;
    sptd.ScsiStatus = hdr.status;
    sptd.PathId = address.pathId;
    sptd.TargetId = address.targetId;
    sptd.Lun = address.lun;
    sptd.DataTransferLength = sptd.DataTransferLength -
                              std::min<ULONG>(sptd.DataTransferLength, static_cast<ULONG>(resid));
    const UCHAR senseArea = sptd.SenseInfoLength;
    sptd.SenseInfoLength = static_cast<UCHAR>(senseLength);
    // The structure first: a sense area placed inside it must win.
    std::memcpy(out, &sptd, sizeof sptd);
    if (senseArea > 0) {
        unsigned char* area = static_cast<unsigned char*>(out) + sptd.SenseInfoOffset;
        std::memset(area, 0, senseArea);
        std::memcpy(area, sense, senseLength);
    }
    returned = static_cast<DWORD>(std::max<size_t>(
        sizeof sptd, senseArea > 0 ? size_t{sptd.SenseInfoOffset} + senseLength : 0));
    return ERROR_SUCCESS;
}

}  // namespace machine::linux_host
