// The Linux host: the NT family, SCSI hosts as ports, /dev/srN as CdRomN, SCSI disks as
// PhysicalDriveN, no drive letters, real time, power-off through the service manager.
#include "machine/linux/linux_host.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "machine/linux/device_path.h"
#include "machine/linux/drive_device.h"
#include "machine/linux/host_context.h"
#include "machine/linux/scsi_port_device.h"
#include "machine/linux/scsi_topology.h"
#include "winapi/security.h"

namespace machine {
namespace {

using namespace linux_host;

class RealClock : public Clock {
  public:
    void Sleep(DWORD ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    uint64_t NowMs() override {
        using namespace std::chrono;
        return static_cast<uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

std::string JoinCommand(const std::vector<std::string>& argv) {
    std::string text;
    for (const std::string& a : argv) text += (text.empty() ? "" : " ") + a;
    return text;
}

class LinuxHost : public Machine {
  public:
    explicit LinuxHost(LinuxHostOptions options) : m_powerOff(std::move(options.powerOffCommand)) {
        auto context = std::make_shared<HostContext>();
        context->sysfsRoot = std::move(options.sysfsRoot);
        context->devRoot = std::move(options.devRoot);
        context->system =
            options.system ? std::move(options.system) : std::make_shared<HostSystem>();
        auto sink =
            options.diagnostics ? std::move(options.diagnostics) : [](const std::string& line) {
                std::fprintf(stderr, "%s\n", line.c_str());
            };
        context->report = std::make_shared<AccessReport>(std::move(sink));
        m_context = std::move(context);
    }

    bool Version(OSVERSIONINFOA& info) override {
        // An NT version the program knows; it looks only at the platform id.
        info.dwMajorVersion = 5;
        info.dwMinorVersion = 1;
        info.dwBuildNumber = 2600;
        info.dwPlatformId = VER_PLATFORM_WIN32_NT;
        std::memset(info.szCSDVersion, 0, sizeof info.szCSDVersion);
        return true;
    }

    std::unique_ptr<Device> OpenDevice(const std::string& path, DWORD access, DWORD,
                                       DWORD& error) override {
        const DevicePath parsed = ParseDevicePath(path);
        // The machine's devices are read again at every open, so a drive plugged in or
        // removed meanwhile is seen as Windows would see it.
        const ScsiTopology topo = ReadScsiTopology(m_context->sysfsRoot);
        error = ERROR_FILE_NOT_FOUND;
        const ScsiUnit* unit = nullptr;
        switch (parsed.kind) {
            case DevicePath::kScsiPort: {
                if (parsed.number >= static_cast<int>(topo.hosts.size())) return nullptr;
                std::vector<ScsiUnit> units;
                for (const ScsiUnit* u : topo.UnitsOfPort(parsed.number)) units.push_back(*u);
                error = ERROR_SUCCESS;
                return std::make_unique<ScsiPortDevice>(m_context, std::move(units));
            }
            case DevicePath::kCdRom:
                unit = topo.CdRom(parsed.number);
                break;
            case DevicePath::kPhysicalDrive: {
                const auto disks = topo.Disks();
                if (parsed.number < static_cast<int>(disks.size())) {
                    unit = disks[static_cast<size_t>(parsed.number)];
                }
                break;
            }
            default:
                // Drive letters do not exist here.
                break;
        }
        if (!unit) return nullptr;
        auto device =
            std::make_unique<DriveDevice>(m_context, *unit, topo.PortOf(unit->host), access);
        error = device->Open();
        if (error != ERROR_SUCCESS) return nullptr;
        return device;
    }

    std::shared_ptr<Module> LoadModule(const std::string&, DWORD& error) override {
        error = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }

    DWORD LogicalDrives() override { return 0; }
    UINT DriveType(const std::string&) override { return DRIVE_NO_ROOT_DIR; }

    std::vector<std::string> DosDeviceNames() override {
        const ScsiTopology topo = ReadScsiTopology(m_context->sysfsRoot);
        std::vector<std::string> names;
        for (const ScsiUnit& u : topo.units) {
            if (u.IsCdRom()) names.push_back("CdRom" + u.blockName.substr(2));
        }
        const auto disks = topo.Disks();
        for (size_t i = 0; i < disks.size(); ++i) {
            names.push_back("PhysicalDrive" + std::to_string(i));
        }
        return names;
    }

    std::string ModuleFileName() override {
        char buf[4096];
        const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }

    Clock& clock() override { return m_clock; }

    bool MayPowerOff() override {
        return !m_powerOff.empty() && m_context->system->Findable(m_powerOff.front());
    }

    bool PowerOff(UINT flags) override {
        if (m_powerOff.empty() || !(flags & (EWX_SHUTDOWN | EWX_POWEROFF)) ||
            (flags & EWX_REBOOT)) {
            return false;
        }
        const int status = m_context->system->Run(m_powerOff);
        if (status == 0) return true;
        m_context->report->PowerOffFailed(JoinCommand(m_powerOff), status);
        return false;
    }

  private:
    std::shared_ptr<const HostContext> m_context;
    std::vector<std::string> m_powerOff;
    RealClock m_clock;
};

}  // namespace

std::unique_ptr<Machine> CreateLinuxHost() { return CreateLinuxHost(LinuxHostOptions{}); }

std::unique_ptr<Machine> CreateLinuxHost(LinuxHostOptions options) {
    return std::make_unique<LinuxHost>(std::move(options));
}

}  // namespace machine
