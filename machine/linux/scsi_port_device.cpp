#include "machine/linux/scsi_port_device.h"

#include <fcntl.h>

#include "machine/linux/inquiry_layout.h"
#include "winapi/ntddscsi.h"

namespace machine::linux_host {
namespace {

constexpr unsigned kInquiryTimeoutMs = 10000;

std::vector<uint8_t> SendInquiry(HostSystem& system, int fd) {
    unsigned char cdb[6] = {0x12, 0, 0, 0, kReportedInquiryLength, 0};
    unsigned char sense[32] = {};
    std::vector<uint8_t> data(kReportedInquiryLength);
    sg_io_hdr_t hdr{};
    hdr.interface_id = 'S';
    hdr.dxfer_direction = SG_DXFER_FROM_DEV;
    hdr.cmd_len = sizeof cdb;
    hdr.cmdp = cdb;
    hdr.mx_sb_len = sizeof sense;
    hdr.sbp = sense;
    hdr.dxfer_len = static_cast<unsigned>(data.size());
    hdr.dxferp = data.data();
    hdr.timeout = kInquiryTimeoutMs;
    if (system.SgIo(fd, hdr) != 0 || hdr.status != 0 || hdr.host_status != 0 ||
        (hdr.driver_status & 0x0F) != 0) {
        return {};
    }
    const size_t resid = hdr.resid > 0 ? static_cast<size_t>(hdr.resid) : 0;
    data.resize(data.size() - std::min(resid, data.size()));
    return data;
}

}  // namespace

ScsiPortDevice::ScsiPortDevice(std::shared_ptr<const HostContext> context,
                               std::vector<ScsiUnit> units)
    : m_context(std::move(context)), m_units(std::move(units)) {}

DWORD ScsiPortDevice::IoControl(DWORD code, const void*, DWORD, void* out, DWORD outSize,
                                DWORD& returned) {
    returned = 0;
    if (code != IOCTL_SCSI_GET_INQUIRY_DATA) return ERROR_INVALID_FUNCTION;
    std::vector<LogicalUnitInfo> infos;
    for (const ScsiUnit& unit : m_units) {
        LogicalUnitInfo info;
        info.inquiry = InquiryOf(unit);
        if (info.inquiry.empty()) continue;
        info.bus = static_cast<uint8_t>(unit.channel);
        info.target = static_cast<uint8_t>(unit.target);
        info.lun = static_cast<uint8_t>(unit.lun);
        info.claimed = unit.claimed;
        infos.push_back(std::move(info));
    }
    return LayOutInquiryData(infos, out, outSize, returned);
}

std::vector<uint8_t> ScsiPortDevice::InquiryOf(const ScsiUnit& unit) {
    std::string cached;
    if (ReadWholeFile(unit.deviceDir + "/inquiry", cached) && !cached.empty()) {
        return std::vector<uint8_t>(cached.begin(), cached.end());
    }
    if (unit.genericName.empty()) return {};
    HostSystem& system = *m_context->system;
    const std::string node = m_context->Node(unit.genericName);
    int fd = system.Open(node, O_RDWR | O_NONBLOCK);
    // INQUIRY is allowed on a node opened for reading only.
    if (fd < 0) fd = system.Open(node, O_RDONLY | O_NONBLOCK);
    if (fd < 0) return {};
    std::vector<uint8_t> data = SendInquiry(system, fd);
    system.Close(fd);
    return data;
}

}  // namespace machine::linux_host
