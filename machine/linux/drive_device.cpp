#include "machine/linux/drive_device.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "machine/linux/sg_pass_through.h"
#include "winapi/ntddscsi.h"

namespace machine::linux_host {
namespace {

bool NodeExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool IsPermissionError(int err) { return err == EACCES || err == EPERM; }

int AccessMode(DWORD access) {
    return ((access & GENERIC_READ) ? R_OK : 0) | ((access & GENERIC_WRITE) ? W_OK : 0);
}

}  // namespace

DriveDevice::DriveDevice(std::shared_ptr<const HostContext> context, ScsiUnit unit, int port,
                         DWORD access)
    : m_context(std::move(context)),
      m_unit(std::move(unit)),
      m_port(port),
      m_access(access & (GENERIC_READ | GENERIC_WRITE)),
      m_blockNode(m_context->Node(m_unit.blockName)),
      m_genericNode(m_unit.genericName.empty() ? "" : m_context->Node(m_unit.genericName)) {}

DriveDevice::~DriveDevice() {
    if (m_genericFd >= 0) m_context->system->Close(m_genericFd);
}

DWORD DriveDevice::Open() {
    if (!NodeExists(m_blockNode)) {
        if (m_unit.IsCdRom()) m_context->report->MissingNode(m_unit, m_blockNode, m_blockNode);
        return ERROR_FILE_NOT_FOUND;
    }
    if (m_access == 0) return m_unit.IsCdRom() ? CheckUsable() : ERROR_SUCCESS;
    if (int rc = m_context->system->Access(m_blockNode, AccessMode(m_access)); rc != 0) {
        // The program asks for read and write first and then for read alone: only the
        // last refusal means the drive cannot be used.
        if (IsPermissionError(-rc) && !(m_access & GENERIC_WRITE)) {
            m_context->report->MissingPermission(m_unit, m_blockNode, m_blockNode, "read");
        }
        return ErrorFromErrno(-rc);
    }
    return OpenGenericNode();
}

DWORD DriveDevice::OpenGenericNode() {
    AccessReport& report = *m_context->report;
    if (m_genericNode.empty()) {
        report.NoGenericNode(m_unit, m_blockNode);
        return ERROR_NOT_SUPPORTED;
    }
    const int fd = m_context->system->Open(m_genericNode, O_RDWR | O_NONBLOCK);
    if (fd < 0) {
        if (IsPermissionError(-fd)) {
            report.MissingPermission(m_unit, m_blockNode, m_genericNode, "read and write");
        } else if (-fd == ENOENT) {
            report.MissingNode(m_unit, m_blockNode, m_genericNode);
        }
        return ErrorFromErrno(-fd);
    }
    m_genericFd = fd;
    return ERROR_SUCCESS;
}

DWORD DriveDevice::CheckUsable() {
    AccessReport& report = *m_context->report;
    HostSystem& system = *m_context->system;
    if (m_genericNode.empty()) {
        report.NoGenericNode(m_unit, m_blockNode);
        return ERROR_NOT_SUPPORTED;
    }
    if (!NodeExists(m_genericNode)) {
        report.MissingNode(m_unit, m_blockNode, m_genericNode);
        return ERROR_FILE_NOT_FOUND;
    }
    if (int rc = system.Access(m_blockNode, R_OK); rc != 0) {
        if (IsPermissionError(-rc)) {
            report.MissingPermission(m_unit, m_blockNode, m_blockNode, "read");
        }
        return ErrorFromErrno(-rc);
    }
    if (int rc = system.Access(m_genericNode, R_OK | W_OK); rc != 0) {
        if (IsPermissionError(-rc)) {
            report.MissingPermission(m_unit, m_blockNode, m_genericNode, "read and write");
        }
        return ErrorFromErrno(-rc);
    }
    return ERROR_SUCCESS;
}

DWORD DriveDevice::IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                             DWORD& returned) {
    returned = 0;
    switch (code) {
        case IOCTL_SCSI_GET_ADDRESS:
            return GetAddress(out, outSize, returned);
        case IOCTL_SCSI_PASS_THROUGH_DIRECT: {
            // As on Windows, a handle opened without access may ask only for the address.
            if (m_genericFd < 0) return ERROR_ACCESS_DENIED;
            UnitAddress address;
            address.pathId = static_cast<UCHAR>(m_unit.channel);
            address.targetId = static_cast<UCHAR>(m_unit.target);
            address.lun = static_cast<UCHAR>(m_unit.lun);
            int err = 0;
            DWORD rc = PassThroughDirect(*m_context->system, m_genericFd, address, in, inSize, out,
                                         outSize, returned, err);
            if (IsPermissionError(err)) {
                m_context->report->CommandRefused(m_unit, m_blockNode, m_genericNode, err);
            }
            return rc;
        }
        default:
            return ERROR_INVALID_FUNCTION;
    }
}

DWORD DriveDevice::GetAddress(void* out, DWORD outSize, DWORD& returned) const {
    if (!out || outSize < sizeof(SCSI_ADDRESS)) return ERROR_INSUFFICIENT_BUFFER;
    SCSI_ADDRESS address{};
    address.Length = sizeof address;
    address.PortNumber = static_cast<UCHAR>(m_port);
    address.PathId = static_cast<UCHAR>(m_unit.channel);
    address.TargetId = static_cast<UCHAR>(m_unit.target);
    address.Lun = static_cast<UCHAR>(m_unit.lun);
    std::memcpy(out, &address, sizeof address);
    returned = sizeof address;
    return ERROR_SUCCESS;
}

}  // namespace machine::linux_host
