// The one seam between the Windows-services layer and whatever answers it: the simulated
// machine (tests, demo) or the Linux host. Only winapi/ includes this header; the program's
// own code never does. Tests may, to build and inspect a simulated machine.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "winapi/windows.h"

namespace machine {

// An opened device path: what CreateFileA on \\.\... hands back.
class Device {
  public:
    virtual ~Device() = default;
    // Answers one I/O control; returns ERROR_SUCCESS or the Win32 error of the failure.
    virtual DWORD IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                            DWORD& returned) = 0;
    virtual DWORD Flush() { return ERROR_SUCCESS; }
};

// A loaded module (only the ASPI module is ever loaded by the program).
class Module {
  public:
    virtual ~Module() = default;
    virtual FARPROC Proc(const std::string& name) = 0;  // null when the module lacks it
    // What GetModuleFileNameA reports for it; empty: the name it was loaded by.
    virtual std::string Path() { return std::string(); }
};

// Something a thread can wait on (events, completions). The clock decides how a timed wait
// passes: a real clock waits, a virtual clock advances at once when nothing can signal.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual void Sleep(DWORD ms) = 0;
    virtual uint64_t NowMs() = 0;
    // Waits on `cv` (with `lock` held) until `ready()` holds or `ms` pass (INFINITE: no
    // limit); true when ready. `hopeless()` says nobody will ever make it ready: a virtual
    // clock then lets the time-out pass at once instead of blocking. The default waits for
    // real. Whoever makes `ready()` or `hopeless()` true notifies `cv` under the lock.
    virtual bool WaitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                           DWORD ms, const std::function<bool()>& ready,
                           const std::function<bool()>& hopeless);
};

class Machine {
  public:
    virtual ~Machine() = default;

    // GetVersionExA: false makes the query fail.
    virtual bool Version(OSVERSIONINFOA& info) = 0;
    // CreateFileA on a device path (\\.\CdRom0, \\.\Scsi0:, \\.\E:, \\.\PhysicalDrive1).
    // Null with `error` set when the path does not open.
    virtual std::unique_ptr<Device> OpenDevice(const std::string& path, DWORD access, DWORD share,
                                               DWORD& error) = 0;
    // LoadLibraryA: null with `error` set when there is no such module.
    virtual std::shared_ptr<Module> LoadModule(const std::string& name, DWORD& error) = 0;
    virtual DWORD LogicalDrives() = 0;
    virtual UINT DriveType(const std::string& rootPath) = 0;
    // QueryDosDeviceA without a name: every MS-DOS device name, in order.
    virtual std::vector<std::string> DosDeviceNames() = 0;
    // GetModuleFileNameA for the program's own module.
    virtual std::string ModuleFileName() = 0;
    virtual Clock& clock() = 0;
    // ExitWindowsEx: whether the caller may, and the request itself (recorded by the
    // simulated machine, passed to the service manager by the Linux host).
    virtual bool MayPowerOff() = 0;
    virtual bool PowerOff(UINT flags) = 0;

    // QueryDosDeviceA with a name: its target; false when there is no such name.
    virtual bool DosDeviceTarget(const std::string& name, std::string& target) {
        (void)name;
        (void)target;
        return false;
    }
    // Injected faults: the error CreateEventA fails with (ERROR_SUCCESS: it succeeds), and
    // whether a wait fails (WAIT_FAILED). Each call counts as one occurrence.
    virtual DWORD CreateEventError() { return ERROR_SUCCESS; }
    virtual bool WaitFails() { return false; }

    // The process token's shutdown privilege, once AdjustTokenPrivileges has enabled it.
    bool ShutdownPrivilegeEnabled() const { return m_shutdownEnabled; }
    void EnableShutdownPrivilege(bool on) { m_shutdownEnabled = on; }

  private:
    std::atomic<bool> m_shutdownEnabled{false};
};

// The machine that answers now: the simulated machine named by CDRWUPDATE_MACHINE, else the
// Linux host. Created on first use.
Machine& Active();
// Replaces the active machine (tests, demo). Null returns to the default choice.
void Install(std::unique_ptr<Machine> m);
// As Install, but hands back the machine it replaced (null when none was created yet), so
// that it can be put back later.
std::unique_ptr<Machine> Replace(std::unique_ptr<Machine> m);
// Grows with every Install or Replace, so that what was taken from an earlier machine (a
// loaded module) can be told apart from what the active one gives.
uint64_t Generation();

}  // namespace machine
