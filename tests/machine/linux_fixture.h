// Small sysfs and /dev trees in a temporary folder, and system calls that tests control, for
// the Linux host's tests.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "machine/linux/host_system.h"
#include "machine/linux/linux_host.h"

namespace linux_test {

// 36 bytes of standard INQUIRY data (longer with `extra` vendor bytes, as some kernels keep).
std::vector<uint8_t> Inquiry(uint8_t type, const std::string& vendor, const std::string& product,
                             const std::string& revision, size_t extra = 0);

struct DeviceSpec {
    std::string address;           // "H:C:T:L"
    std::vector<uint8_t> inquiry;  // empty: the kernel shows no inquiry attribute
    std::string block;             // "sr0", "sda" or empty
    std::string generic;           // "sg0" or empty (sg not loaded)
    bool claimed = true;
    bool nodes = true;  // whether /dev holds the block and generic nodes
};

class HostTree {
  public:
    HostTree();
    ~HostTree();
    HostTree(const HostTree&) = delete;
    HostTree& operator=(const HostTree&) = delete;

    std::string sysfs() const { return m_root + "/sys"; }
    std::string dev() const { return m_root + "/dev"; }
    std::string Node(const std::string& name) const { return dev() + "/" + name; }

    void AddHost(int host);
    void AddDevice(const DeviceSpec& spec);
    void SetInquiry(const std::string& address, const std::vector<uint8_t>& inquiry);

  private:
    std::string m_root;
};

// Real calls on the fixture's files, except what a test refuses or answers itself.
class FakeSystem : public machine::linux_host::HostSystem {
  public:
    struct OpenCall {
        std::string path;
        int flags;
    };
    struct AccessCall {
        std::string path;
        int mode;
    };
    struct SgCall {
        std::string path;
        sg_io_hdr_t header;
        std::vector<uint8_t> cdb;
    };

    int Open(const std::string& path, int flags) override;
    void Close(int fd) override;
    int Access(const std::string& path, int mode) override;
    int SgIo(int fd, sg_io_hdr_t& header) override;
    int Run(const std::vector<std::string>& argv) override;
    bool Findable(const std::string& program) override;

    std::map<std::string, int> refuseOpen;    // path -> errno for open
    std::map<std::string, int> refuseAccess;  // path -> errno for faccessat
    // Answers SG_IO; by default GOOD with all data transferred.
    std::function<int(const std::string& path, sg_io_hdr_t&)> answer;
    std::vector<OpenCall> opens;
    std::vector<AccessCall> accesses;
    std::vector<SgCall> commands;
    std::vector<std::vector<std::string>> runs;
    int runStatus = 0;
    std::vector<std::string> programs;  // what Findable finds
    int openDescriptors = 0;

  private:
    std::map<int, std::string> m_paths;
};

struct HostUnderTest {
    std::shared_ptr<FakeSystem> system = std::make_shared<FakeSystem>();
    std::vector<std::string> lines;  // diagnostics written
    std::unique_ptr<machine::Machine> host;
};

// A Linux host on the tree, with a fake system and its diagnostics captured.
std::unique_ptr<HostUnderTest> MakeHost(const HostTree& tree,
                                        std::vector<std::string> powerOff = {"poweroff-cmd"});

}  // namespace linux_test
