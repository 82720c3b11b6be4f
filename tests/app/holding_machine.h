// A simulated machine whose clock can hold the next thread that sleeps. The update worker
// sleeps only between two polls of the drive, so a test that holds it there knows the update
// is still running while it acts as the user: closes the window, opens the version dialog.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "machine/sim/sim_machine.h"

namespace apptest {

class HoldingClock : public machine::Clock {
  public:
    explicit HoldingClock(machine::Clock& inner) : m_inner(inner) {}

    // The next Sleep waits until Release() or until `openWhen` holds (checked every
    // millisecond), then sleeps as usual. One hold per call.
    void HoldNextSleep(std::function<bool()> openWhen = nullptr);
    void Release();
    // Blocks the caller until a thread is held. False when none came for a long time.
    bool WaitUntilHeld();

    void Sleep(DWORD ms) override;
    uint64_t NowMs() override { return m_inner.NowMs(); }
    bool WaitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD ms,
                   const std::function<bool()>& ready,
                   const std::function<bool()>& hopeless) override {
        return m_inner.WaitUntil(cv, lock, ms, ready, hopeless);
    }

  private:
    machine::Clock& m_inner;
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_armed = false;
    bool m_held = false;
    bool m_released = false;
    std::function<bool()> m_openWhen;
};

// Everything as the simulated machine answers it, but time through a HoldingClock.
class HoldingMachine : public machine::Machine {
  public:
    explicit HoldingMachine(std::unique_ptr<machine::sim::SimMachine> inner)
        : m_inner(std::move(inner)), m_clock(m_inner->clock()) {}

    machine::sim::SimMachine& sim() { return *m_inner; }
    HoldingClock& holder() { return m_clock; }

    bool Version(OSVERSIONINFOA& info) override { return m_inner->Version(info); }
    std::unique_ptr<machine::Device> OpenDevice(const std::string& path, DWORD access, DWORD share,
                                                DWORD& error) override {
        return m_inner->OpenDevice(path, access, share, error);
    }
    std::shared_ptr<machine::Module> LoadModule(const std::string& name, DWORD& error) override {
        return m_inner->LoadModule(name, error);
    }
    DWORD LogicalDrives() override { return m_inner->LogicalDrives(); }
    UINT DriveType(const std::string& rootPath) override { return m_inner->DriveType(rootPath); }
    std::vector<std::string> DosDeviceNames() override { return m_inner->DosDeviceNames(); }
    std::string ModuleFileName() override { return m_inner->ModuleFileName(); }
    machine::Clock& clock() override { return m_clock; }
    bool MayPowerOff() override { return m_inner->MayPowerOff(); }
    bool PowerOff(UINT flags) override { return m_inner->PowerOff(flags); }
    bool DosDeviceTarget(const std::string& name, std::string& target) override {
        return m_inner->DosDeviceTarget(name, target);
    }
    DWORD CreateEventError() override { return m_inner->CreateEventError(); }
    bool WaitFails() override { return m_inner->WaitFails(); }

  private:
    std::unique_ptr<machine::sim::SimMachine> m_inner;
    HoldingClock m_clock;
};

// Builds a simulated machine from a description and makes it the active machine for the
// lifetime of this object: a HoldingMachine, or the plain simulated machine when the ASPI
// module must find it (its exported functions look for the simulated machine itself).
class HoldingMachineScope {
  public:
    explicit HoldingMachineScope(const std::string& description, bool holdable = true);
    ~HoldingMachineScope();

    machine::sim::SimMachine& sim() { return *m_sim; }
    // Only for a holdable machine.
    HoldingClock& holder();
    std::shared_ptr<machine::sim::Drive> drive(const std::string& name);

  private:
    machine::sim::SimMachine* m_sim = nullptr;
    HoldingMachine* m_holding = nullptr;
    std::unique_ptr<machine::sim::ScopedMachine> m_scope;
};

namespace holding {

// Only a broken test waits this long; the hold then opens so the test can fail instead of hang.
constexpr auto kHoldLimit = std::chrono::seconds(60);
constexpr auto kCheckEvery = std::chrono::milliseconds(1);

}  // namespace holding

inline void HoldingClock::HoldNextSleep(std::function<bool()> openWhen) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_armed = true;
    m_held = false;
    m_released = false;
    m_openWhen = std::move(openWhen);
}

inline void HoldingClock::Release() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_released = true;
    m_changed.notify_all();
}

inline bool HoldingClock::WaitUntilHeld() {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, holding::kHoldLimit, [this] { return m_held; });
}

inline void HoldingClock::Sleep(DWORD ms) {
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_armed) {
        m_armed = false;
        m_held = true;
        m_changed.notify_all();
        const auto limit = std::chrono::steady_clock::now() + holding::kHoldLimit;
        while (!m_released && !(m_openWhen && m_openWhen())) {
            if (std::chrono::steady_clock::now() > limit) {
                ADD_FAILURE() << "a held thread was never let go";
                break;
            }
            m_changed.wait_for(lock, holding::kCheckEvery);
        }
        m_openWhen = nullptr;
    }
    lock.unlock();
    m_inner.Sleep(ms);
}

inline HoldingMachineScope::HoldingMachineScope(const std::string& description, bool holdable) {
    std::string error;
    std::unique_ptr<machine::sim::SimMachine> sim =
        machine::sim::SimMachine::FromText(description, error);
    if (!sim) {
        ADD_FAILURE() << "machine description: " << error;
        sim = machine::sim::SimMachine::FromText("", error);
    }
    m_sim = sim.get();
    if (!holdable) {
        m_scope = std::make_unique<machine::sim::ScopedMachine>(std::move(sim));
        return;
    }
    auto holding = std::make_unique<HoldingMachine>(std::move(sim));
    m_holding = holding.get();
    m_scope = std::make_unique<machine::sim::ScopedMachine>(std::move(holding));
}

inline HoldingClock& HoldingMachineScope::holder() {
    if (m_holding == nullptr) {
        throw std::logic_error("this machine cannot hold its threads");
    }
    return m_holding->holder();
}

inline HoldingMachineScope::~HoldingMachineScope() = default;

inline std::shared_ptr<machine::sim::Drive> HoldingMachineScope::drive(const std::string& name) {
    auto d = sim().FindDrive(name);
    if (!d) ADD_FAILURE() << "no drive named " << name;
    return d;
}

}  // namespace apptest
