// The few system calls the Linux host makes, behind one class so that tests can refuse an
// open, answer SG_IO or record a command instead of running it. The base class makes the
// real calls.
#pragma once

#include <scsi/sg.h>

#include <string>
#include <vector>

namespace machine::linux_host {

class HostSystem {
  public:
    virtual ~HostSystem() = default;
    // open(2): the descriptor, or -errno.
    virtual int Open(const std::string& path, int flags);
    virtual void Close(int fd);
    // faccessat(2) with the effective ids: 0, or -errno.
    virtual int Access(const std::string& path, int mode);
    // ioctl(SG_IO): 0, or -errno.
    virtual int SgIo(int fd, sg_io_hdr_t& header);
    // Runs a command and waits for it: its exit status, or -1 when it could not be started
    // or did not exit normally.
    virtual int Run(const std::vector<std::string>& argv);
    // Whether `program` names an executable, directly or through PATH.
    virtual bool Findable(const std::string& program);
};

}  // namespace machine::linux_host
