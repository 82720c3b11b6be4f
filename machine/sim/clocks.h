// The simulated machine's clocks: real time for the demo, virtual time for tests.
#pragma once

#include <atomic>
#include <chrono>

#include "machine/machine.h"

namespace machine::sim {

class RealClock : public Clock {
  public:
    void Sleep(DWORD ms) override;
    uint64_t NowMs() override;

  private:
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Time moves only when a thread sleeps or a wait's time-out passes, and then at once.
// A timed wait on something that nobody will ever signal passes its time at once too;
// every other wait blocks for real until it is signalled.
class VirtualClock : public Clock {
  public:
    void Sleep(DWORD ms) override;
    uint64_t NowMs() override { return m_now; }
    bool WaitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD ms,
                   const std::function<bool()>& ready,
                   const std::function<bool()>& hopeless) override;
    void Advance(uint64_t ms) { m_now += ms; }

  private:
    std::atomic<uint64_t> m_now{0};
};

}  // namespace machine::sim
