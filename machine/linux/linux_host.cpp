// The Linux host: the NT family, real time. Devices are added as the host learns them.
#include "machine/linux/linux_host.h"

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace machine {
namespace {

class RealClock : public Clock {
public:
    void Sleep(DWORD ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    uint64_t NowMs() override {
        using namespace std::chrono;
        return static_cast<uint64_t>(
            duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    }
};

class LinuxHost : public Machine {
public:
    bool Version(OSVERSIONINFOA& info) override {
        info.dwMajorVersion = 5;
        info.dwMinorVersion = 1;
        info.dwBuildNumber = 2600;
        info.dwPlatformId = VER_PLATFORM_WIN32_NT;
        std::memset(info.szCSDVersion, 0, sizeof info.szCSDVersion);
        return true;
    }
    std::unique_ptr<Device> OpenDevice(const std::string&, DWORD, DWORD, DWORD& error) override {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    std::shared_ptr<Module> LoadModule(const std::string&, DWORD& error) override {
        error = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    DWORD LogicalDrives() override { return 0; }
    UINT DriveType(const std::string&) override { return DRIVE_NO_ROOT_DIR; }
    std::vector<std::string> DosDeviceNames() override { return {}; }
    std::string ModuleFileName() override {
        char buf[4096];
        ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
    }
    Clock& clock() override { return m_clock; }
    bool MayPowerOff() override { return false; }
    bool PowerOff(UINT) override { return false; }

private:
    RealClock m_clock;
};

}  // namespace

std::unique_ptr<Machine> CreateLinuxHost() { return std::make_unique<LinuxHost>(); }

}  // namespace machine
