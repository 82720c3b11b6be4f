#include "tests/scenario/holding_machine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

namespace scenario {
namespace {

// Only a broken test waits this long; the hold then opens so the test can fail instead of hang.
constexpr auto kHoldLimit = std::chrono::seconds(60);
constexpr auto kCheckEvery = std::chrono::milliseconds(1);

}  // namespace

void HoldingClock::HoldNextSleep(std::function<bool()> openWhen) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_armed = true;
    m_held = false;
    m_released = false;
    m_openWhen = std::move(openWhen);
}

void HoldingClock::Release() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_released = true;
    m_changed.notify_all();
}

bool HoldingClock::WaitUntilHeld() {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_changed.wait_for(lock, kHoldLimit, [this] { return m_held; });
}

void HoldingClock::Sleep(DWORD ms) {
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_armed) {
        m_armed = false;
        m_held = true;
        m_changed.notify_all();
        const auto limit = std::chrono::steady_clock::now() + kHoldLimit;
        while (!m_released && !(m_openWhen && m_openWhen())) {
            if (std::chrono::steady_clock::now() > limit) {
                ADD_FAILURE() << "a held thread was never let go";
                break;
            }
            m_changed.wait_for(lock, kCheckEvery);
        }
        m_openWhen = nullptr;
    }
    lock.unlock();
    m_inner.Sleep(ms);
}

HoldingMachineScope::HoldingMachineScope(const std::string& description, bool holdable) {
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

HoldingClock& HoldingMachineScope::holder() {
    if (m_holding == nullptr) {
        throw std::logic_error("this machine cannot hold its threads");
    }
    return m_holding->holder();
}

HoldingMachineScope::~HoldingMachineScope() = default;

std::shared_ptr<machine::sim::Drive> HoldingMachineScope::drive(const std::string& name) {
    auto d = sim().FindDrive(name);
    if (!d) ADD_FAILURE() << "no drive named " << name;
    return d;
}

}  // namespace scenario
