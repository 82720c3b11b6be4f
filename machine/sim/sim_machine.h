// The simulated machine: everything a description names, behind the Machine seam, plus what
// tests need to look inside (drives, their command logs and flash, opened devices, power-off).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine/sim/description.h"
#include "machine/sim/drive.h"
#include "winapi/wnaspi32.h"

namespace machine::sim {

struct MachineState;

// One CreateFileA of a device path, or the closing of what it opened.
struct DeviceEvent {
    enum Kind { Open, Close } kind = Open;
    std::string path;
    DWORD access = 0;
    DWORD share = 0;
    DWORD error = ERROR_SUCCESS;  // Open: why it failed
};

// One request that reached SendASPI32Command.
struct AspiRecord {
    BYTE command = 0;
    BYTE adapter = 0;
    BYTE target = 0;
    BYTE lun = 0;
    BYTE flags = 0;
    std::vector<uint8_t> cdb;  // SC_EXEC_SCSI_CMD: the first SRB_CDBLen bytes
    DWORD bufferLength = 0;
    BYTE status = 0;  // SRB_Status when SendASPI32Command returned
};

class SimMachine : public Machine {
  public:
    // Null with `error` naming the line and the reason when the text is not a valid
    // description. Relative file names in it are taken from `baseDir`.
    static std::unique_ptr<SimMachine> FromText(const std::string& text, std::string& error,
                                                const std::string& baseDir = std::string());
    static std::unique_ptr<SimMachine> FromFile(const std::string& path, std::string& error);
    explicit SimMachine(std::shared_ptr<MachineState> state);
    ~SimMachine() override;

    // Machine.
    bool Version(OSVERSIONINFOA& info) override;
    std::unique_ptr<Device> OpenDevice(const std::string& path, DWORD access, DWORD share,
                                       DWORD& error) override;
    std::shared_ptr<Module> LoadModule(const std::string& name, DWORD& error) override;
    DWORD LogicalDrives() override;
    UINT DriveType(const std::string& rootPath) override;
    std::vector<std::string> DosDeviceNames() override;
    bool DosDeviceTarget(const std::string& name, std::string& target) override;
    std::string ModuleFileName() override;
    Clock& clock() override;
    bool MayPowerOff() override;
    bool PowerOff(UINT flags) override;
    DWORD CreateEventError() override;
    bool WaitFails() override;

    // For tests.
    const Description& description() const;
    std::shared_ptr<Drive> FindDrive(const std::string& name);
    std::shared_ptr<Drive> DriveOnPort(int port, int bus, int target, int lun);
    std::shared_ptr<Drive> DriveOnAspi(int adapter, int target, int lun);
    std::vector<std::shared_ptr<Drive>> Drives();
    std::vector<DeviceEvent> DeviceEvents();
    int OpenDevices();              // device handles opened and not yet closed
    std::vector<UINT> PowerOffs();  // the flags of every power-off that happened
    std::vector<AspiRecord> AspiRequests();
    // The module that the ASPI functions serve (null when WNASPI32.DLL is not loaded).
    std::shared_ptr<Module> LoadedAspiModule();
    void FailCreateEvent(Occurrence when, DWORD error = ERROR_NOT_ENOUGH_MEMORY);
    void FailWait(Occurrence when);
    // Advances a virtual clock (no effect on a real one).
    void AdvanceClock(uint64_t ms);

  private:
    std::shared_ptr<MachineState> m_state;
};

// Installs a machine for the lifetime of this object and puts the previous one back after.
class ScopedMachine {
  public:
    explicit ScopedMachine(std::unique_ptr<Machine> m);
    ~ScopedMachine();
    ScopedMachine(const ScopedMachine&) = delete;
    ScopedMachine& operator=(const ScopedMachine&) = delete;

  private:
    std::unique_ptr<Machine> m_previous;
};

}  // namespace machine::sim
