// \\.\ScsiN: on Linux: the N-th SCSI host, answering IOCTL_SCSI_GET_INQUIRY_DATA.
#pragma once

#include <memory>
#include <vector>

#include "machine/linux/host_context.h"
#include "machine/linux/scsi_topology.h"
#include "machine/machine.h"

namespace machine::linux_host {

class ScsiPortDevice : public Device {
  public:
    ScsiPortDevice(std::shared_ptr<const HostContext> context, std::vector<ScsiUnit> units);
    DWORD IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                    DWORD& returned) override;

  private:
    // The kernel's copy of the standard INQUIRY data, else a fresh INQUIRY through the
    // device's generic node; empty when neither can be had.
    std::vector<uint8_t> InquiryOf(const ScsiUnit& unit);

    std::shared_ptr<const HostContext> m_context;
    std::vector<ScsiUnit> m_units;
};

}  // namespace machine::linux_host
