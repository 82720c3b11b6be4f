// What the simulated machine's parts share: its description, clock, drives and records.
// Opened devices and the ASPI module keep it alive, so they outlive a replaced machine safely.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine/sim/description.h"
#include "machine/sim/drive.h"
#include "machine/sim/sim_machine.h"

namespace machine::sim {

struct MachineState {
    Description desc;
    std::unique_ptr<Clock> clock;                // declared before the drives, which use it
    std::vector<std::shared_ptr<Drive>> drives;  // in description order

    std::mutex lock;  // guards everything below
    std::vector<DeviceEvent> events;
    int openDevices = 0;
    std::vector<UINT> powerOffs;
    std::vector<MachineFault> createEventFaults;
    std::vector<int> createEventCounts;
    std::vector<MachineFault> waitFaults;
    std::vector<int> waitCounts;
    std::weak_ptr<Module> aspiModule;  // loaded now (a real module goes when freed)
    std::vector<AspiRecord> aspiRecords;

    std::shared_ptr<Drive> DriveNamed(const std::string& name) const;
    // The drive at a port address, or null.
    std::shared_ptr<Drive> DriveOnPort(int port, int bus, int target, int lun) const;
    std::shared_ptr<Drive> DriveOnAspi(int adapter, int target, int lun) const;
    bool PortExists(int port) const;
    const PortSpec* PortSpecFor(int port) const;
    void RecordOpen(const std::string& path, DWORD access, DWORD share, DWORD error);
    void RecordClose(const std::string& path);
};

// Faults that name an occurrence: counts this call and says whether one of them hits.
const MachineFault* NextFault(std::vector<MachineFault>& faults, std::vector<int>& counts);

// The NT devices behind device paths.
std::unique_ptr<Device> OpenNtDevice(const std::shared_ptr<MachineState>& state,
                                     const std::string& path, DWORD access, DWORD share,
                                     DWORD& error);

// The ASPI module (WNASPI32.DLL) of a description that has one.
std::shared_ptr<Module> CreateAspiModule(const std::shared_ptr<MachineState>& state);
// The module that the exported functions serve: the active simulated machine's, if loaded.
std::shared_ptr<Module> LoadedAspiModule();

}  // namespace machine::sim
