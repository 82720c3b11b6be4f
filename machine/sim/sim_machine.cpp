#include "machine/sim/sim_machine.h"

#include <unistd.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>

#include "machine/sim/clocks.h"
#include "machine/sim/machine_state.h"
#include "machine/sim/text_values.h"

namespace machine::sim {

// ---- MachineState

std::shared_ptr<Drive> MachineState::DriveNamed(const std::string& name) const {
    for (const auto& d : drives)
        if (d->spec().name == name) return d;
    return nullptr;
}

std::shared_ptr<Drive> MachineState::DriveOnPort(int port, int bus, int target, int lun) const {
    for (const auto& d : drives) {
        const DriveSpec& s = d->spec();
        if (s.onPort && s.nt.port == port && s.nt.bus == bus && s.nt.target == target &&
            s.nt.lun == lun)
            return d;
    }
    return nullptr;
}

std::shared_ptr<Drive> MachineState::DriveOnAspi(int adapter, int target, int lun) const {
    for (const auto& d : drives) {
        const DriveSpec& s = d->spec();
        if (s.onAspi && s.aspi.adapter == adapter && s.aspi.target == target && s.aspi.lun == lun)
            return d;
    }
    return nullptr;
}

const PortSpec* MachineState::PortSpecFor(int port) const {
    for (const PortSpec& p : desc.ports)
        if (p.number == port) return &p;
    return nullptr;
}

bool MachineState::PortExists(int port) const {
    if (PortSpecFor(port)) return true;
    for (const auto& d : drives)
        if (d->spec().onPort && d->spec().nt.port == port) return true;
    return false;
}

void MachineState::RecordOpen(const std::string& path, DWORD access, DWORD share, DWORD error) {
    std::lock_guard<std::mutex> hold(lock);
    events.push_back({DeviceEvent::Open, path, access, share, error});
    if (error == ERROR_SUCCESS) ++openDevices;
}

void MachineState::RecordClose(const std::string& path) {
    std::lock_guard<std::mutex> hold(lock);
    events.push_back({DeviceEvent::Close, path, 0, 0, ERROR_SUCCESS});
    --openDevices;
}

const MachineFault* NextFault(std::vector<MachineFault>& faults, std::vector<int>& counts) {
    const MachineFault* hit = nullptr;
    counts.resize(faults.size(), 0);
    for (size_t i = 0; i < faults.size(); ++i)
        if (faults[i].when.Matches(++counts[i]) && hit == nullptr) hit = &faults[i];
    return hit;
}

// ---- SimMachine

std::unique_ptr<SimMachine> SimMachine::FromText(const std::string& text, std::string& error,
                                                 const std::string& baseDir) {
    auto state = std::make_shared<MachineState>();
    if (!ParseDescription(text, baseDir, state->desc, error)) return nullptr;
    if (state->desc.virtualClock)
        state->clock = std::make_unique<VirtualClock>();
    else
        state->clock = std::make_unique<RealClock>();
    for (const DriveSpec& spec : state->desc.drives) {
        auto drive = std::make_shared<Drive>(spec, *state->clock);
        std::string flashError = drive->FlashFileError();
        if (!flashError.empty()) {
            error =
                "drive '" + spec.name + "' (line " + std::to_string(spec.line) + "): " + flashError;
            return nullptr;
        }
        state->drives.push_back(std::move(drive));
    }
    state->createEventFaults = state->desc.createEventFaults;
    state->waitFaults = state->desc.waitFaults;
    return std::make_unique<SimMachine>(std::move(state));
}

std::unique_ptr<SimMachine> SimMachine::FromFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot be read";
        return nullptr;
    }
    std::stringstream text;
    text << in.rdbuf();
    size_t slash = path.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    return FromText(text.str(), error, dir);
}

SimMachine::SimMachine(std::shared_ptr<MachineState> state) : m_state(std::move(state)) {}

SimMachine::~SimMachine() = default;

bool SimMachine::Version(OSVERSIONINFOA& info) {
    const Description& d = m_state->desc;
    if (d.versionFails) return false;
    info.dwPlatformId = d.platformId;
    if (d.versionGiven) {
        info.dwMajorVersion = d.major;
        info.dwMinorVersion = d.minor;
        info.dwBuildNumber = d.build;
    } else if (d.platformId == VER_PLATFORM_WIN32_WINDOWS) {
        info.dwMajorVersion = 4;  // Windows 98 Second Edition
        info.dwMinorVersion = 10;
        info.dwBuildNumber = 0x040A08AE;
    } else {
        info.dwMajorVersion = 5;  // Windows XP
        info.dwMinorVersion = 1;
        info.dwBuildNumber = 2600;
    }
    std::string csd = d.servicePack.substr(0, sizeof info.szCSDVersion - 1);
    std::memset(info.szCSDVersion, 0, sizeof info.szCSDVersion);
    std::memcpy(info.szCSDVersion, csd.data(), csd.size());
    return true;
}

std::unique_ptr<Device> SimMachine::OpenDevice(const std::string& path, DWORD access, DWORD share,
                                               DWORD& error) {
    return OpenNtDevice(m_state, path, access, share, error);
}

std::shared_ptr<Module> SimMachine::LoadModule(const std::string& name, DWORD& error) {
    if (!m_state->desc.aspi.present || Lower(name) != "wnaspi32.dll") {
        error = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    std::lock_guard<std::mutex> hold(m_state->lock);
    std::shared_ptr<Module> module = m_state->aspiModule.lock();
    if (!module) {
        module = CreateAspiModule(m_state);
        m_state->aspiModule = module;
    }
    return module;
}

std::shared_ptr<Module> SimMachine::LoadedAspiModule() {
    std::lock_guard<std::mutex> hold(m_state->lock);
    return m_state->aspiModule.lock();
}

std::vector<AspiRecord> SimMachine::AspiRequests() {
    std::lock_guard<std::mutex> hold(m_state->lock);
    return m_state->aspiRecords;
}

DWORD SimMachine::LogicalDrives() {
    DWORD mask = 0;
    for (const LetterSpec& l : m_state->desc.letters) mask |= 1u << (l.letter - 'A');
    return mask;
}

UINT SimMachine::DriveType(const std::string& rootPath) {
    // "E:\" (or "E:") names drive E; anything else is no root directory.
    std::string p = rootPath;
    if (p.size() == 3 && p[2] == '\\') p.pop_back();
    if (p.size() != 2 || p[1] != ':') return DRIVE_NO_ROOT_DIR;
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(p[0])));
    for (const LetterSpec& l : m_state->desc.letters)
        if (l.letter == c) return l.type;
    return DRIVE_NO_ROOT_DIR;
}

std::vector<std::string> SimMachine::DosDeviceNames() {
    std::vector<std::string> names;
    for (const DosNameSpec& n : m_state->desc.dosNames) names.push_back(n.name);
    return names;
}

bool SimMachine::DosDeviceTarget(const std::string& name, std::string& target) {
    for (const DosNameSpec& n : m_state->desc.dosNames) {
        if (Lower(n.name) != Lower(name)) continue;
        target = n.target;
        if (target.empty()) {
            for (const LetterSpec& l : m_state->desc.letters)
                if (std::string(1, l.letter) + ":" == n.name) target = l.target;
        }
        if (target.empty() && !n.drive.empty()) {
            // A letter of a drive names the device of that drive's first MS-DOS name.
            auto drive = m_state->DriveNamed(n.drive);
            target = "\\Device\\" +
                     (drive->spec().names.empty() ? n.drive : drive->spec().names.front());
        }
        if (target.empty()) target = "\\Device\\HarddiskVolume" + name.substr(0, 1);
        return true;
    }
    return false;
}

std::string SimMachine::ModuleFileName() {
    if (!m_state->desc.program.empty()) return m_state->desc.program;
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

Clock& SimMachine::clock() { return *m_state->clock; }

bool SimMachine::MayPowerOff() { return m_state->desc.powerOff != Description::Denied; }

bool SimMachine::PowerOff(UINT flags) {
    {
        std::lock_guard<std::mutex> hold(m_state->lock);
        if (m_state->desc.powerOff == Description::Fails) return false;
        m_state->powerOffs.push_back(flags);
    }
    // Switched off and on again: every drive starts afresh.
    for (const auto& d : m_state->drives) d->PowerCycle();
    return true;
}

DWORD SimMachine::CreateEventError() {
    std::lock_guard<std::mutex> hold(m_state->lock);
    const MachineFault* f = NextFault(m_state->createEventFaults, m_state->createEventCounts);
    return f ? f->error : ERROR_SUCCESS;
}

bool SimMachine::WaitFails() {
    std::lock_guard<std::mutex> hold(m_state->lock);
    return NextFault(m_state->waitFaults, m_state->waitCounts) != nullptr;
}

const Description& SimMachine::description() const { return m_state->desc; }

std::shared_ptr<Drive> SimMachine::FindDrive(const std::string& name) {
    return m_state->DriveNamed(name);
}

std::shared_ptr<Drive> SimMachine::DriveOnPort(int port, int bus, int target, int lun) {
    return m_state->DriveOnPort(port, bus, target, lun);
}

std::shared_ptr<Drive> SimMachine::DriveOnAspi(int adapter, int target, int lun) {
    return m_state->DriveOnAspi(adapter, target, lun);
}

std::vector<std::shared_ptr<Drive>> SimMachine::Drives() { return m_state->drives; }

std::vector<DeviceEvent> SimMachine::DeviceEvents() {
    std::lock_guard<std::mutex> hold(m_state->lock);
    return m_state->events;
}

int SimMachine::OpenDevices() {
    std::lock_guard<std::mutex> hold(m_state->lock);
    return m_state->openDevices;
}

std::vector<UINT> SimMachine::PowerOffs() {
    std::lock_guard<std::mutex> hold(m_state->lock);
    return m_state->powerOffs;
}

void SimMachine::FailCreateEvent(Occurrence when, DWORD error) {
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->createEventFaults.push_back({when, error});
}

void SimMachine::FailWait(Occurrence when) {
    std::lock_guard<std::mutex> hold(m_state->lock);
    m_state->waitFaults.push_back({when, 0});
}

void SimMachine::AdvanceClock(uint64_t ms) {
    if (auto* v = dynamic_cast<VirtualClock*>(m_state->clock.get())) v->Advance(ms);
}

// ---- ScopedMachine

ScopedMachine::ScopedMachine(std::unique_ptr<Machine> m) : m_previous(Replace(std::move(m))) {}

ScopedMachine::~ScopedMachine() { Replace(std::move(m_previous)); }

}  // namespace machine::sim
