#include "tests/machine/linux_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace linux_test {
namespace {

void MakeDirs(const std::string& path) { std::filesystem::create_directories(path); }

void WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

void RemoveTree(const std::string& path) {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string Field(const std::string& text, size_t width) {
    std::string f = text.substr(0, width);
    f.resize(width, ' ');
    return f;
}

}  // namespace

std::vector<uint8_t> Inquiry(uint8_t type, const std::string& vendor, const std::string& product,
                             const std::string& revision, size_t extra) {
    std::vector<uint8_t> data(36 + extra, 0);
    data[0] = type;
    data[1] = type == 5 ? 0x80 : 0x00;  // removable medium for CD-ROM drives
    data[2] = 0x05;
    data[3] = 0x32;
    data[4] = static_cast<uint8_t>(data.size() - 5);
    const std::string ident = Field(vendor, 8) + Field(product, 16) + Field(revision, 4);
    std::copy(ident.begin(), ident.end(), data.begin() + 8);
    for (size_t i = 36; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i);
    return data;
}

HostTree::HostTree() {
    char pattern[] = "/tmp/cdrw-linux-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    m_root = pattern;
    MakeDirs(sysfs() + "/class/scsi_host");
    MakeDirs(sysfs() + "/class/scsi_device");
    MakeDirs(dev());
}

HostTree::~HostTree() { RemoveTree(m_root); }

void HostTree::AddHost(int host) {
    MakeDirs(sysfs() + "/class/scsi_host/host" + std::to_string(host));
}

void HostTree::AddDevice(const DeviceSpec& spec) {
    const std::string device = sysfs() + "/class/scsi_device/" + spec.address + "/device";
    MakeDirs(device);
    if (!spec.inquiry.empty()) SetInquiry(spec.address, spec.inquiry);
    if (spec.claimed) MakeDirs(device + "/driver");
    if (!spec.block.empty()) {
        MakeDirs(device + "/block/" + spec.block);
        if (spec.nodes) WriteFile(Node(spec.block), "");
    }
    if (!spec.generic.empty()) {
        MakeDirs(device + "/scsi_generic/" + spec.generic);
        if (spec.nodes) WriteFile(Node(spec.generic), "");
    }
}

void HostTree::SetInquiry(const std::string& address, const std::vector<uint8_t>& inquiry) {
    WriteFile(sysfs() + "/class/scsi_device/" + address + "/device/inquiry",
              std::string(inquiry.begin(), inquiry.end()));
}

int FakeSystem::Open(const std::string& path, int flags) {
    opens.push_back({path, flags});
    auto refused = refuseOpen.find(path);
    if (refused != refuseOpen.end()) return -refused->second;
    // The fixture's nodes are plain files: open them for reading whatever was asked.
    const int fd = HostSystem::Open(path, O_RDONLY);
    if (fd >= 0) {
        m_paths[fd] = path;
        ++openDescriptors;
    }
    return fd;
}

void FakeSystem::Close(int fd) {
    m_paths.erase(fd);
    --openDescriptors;
    HostSystem::Close(fd);
}

int FakeSystem::Access(const std::string& path, int mode) {
    accesses.push_back({path, mode});
    auto refused = refuseAccess.find(path);
    if (refused != refuseAccess.end()) return -refused->second;
    return HostSystem::Access(path, mode);
}

int FakeSystem::SgIo(int fd, sg_io_hdr_t& header) {
    const std::string path = m_paths.count(fd) ? m_paths[fd] : std::string();
    commands.push_back(
        {path, header, std::vector<uint8_t>(header.cmdp, header.cmdp + header.cmd_len)});
    if (answer) return answer(path, header);
    header.status = 0;
    header.host_status = 0;
    header.driver_status = 0;
    header.sb_len_wr = 0;
    header.resid = 0;
    return 0;
}

int FakeSystem::Run(const std::vector<std::string>& argv) {
    runs.push_back(argv);
    return runStatus;
}

bool FakeSystem::Findable(const std::string& program) {
    return std::find(programs.begin(), programs.end(), program) != programs.end();
}

std::unique_ptr<HostUnderTest> MakeHost(const HostTree& tree, std::vector<std::string> powerOff) {
    auto h = std::make_unique<HostUnderTest>();
    machine::LinuxHostOptions options;
    options.sysfsRoot = tree.sysfs();
    options.devRoot = tree.dev();
    options.powerOffCommand = std::move(powerOff);
    options.system = h->system;
    std::vector<std::string>* lines = &h->lines;
    options.diagnostics = [lines](const std::string& line) { lines->push_back(line); };
    h->host = machine::CreateLinuxHost(std::move(options));
    return h;
}

}  // namespace linux_test
