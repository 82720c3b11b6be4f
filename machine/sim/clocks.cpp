#include "machine/sim/clocks.h"

#include <thread>

namespace machine::sim {

void RealClock::Sleep(DWORD ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

uint64_t RealClock::NowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now() - m_start).count());
}

void VirtualClock::Sleep(DWORD ms) {
    m_now += ms;
    std::this_thread::yield();  // lets the other threads see the time that passed
}

bool VirtualClock::WaitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock,
                             DWORD ms, const std::function<bool()>& ready,
                             const std::function<bool()>& hopeless) {
    if (ms == INFINITE) {
        cv.wait(lock, ready);
        return true;
    }
    cv.wait(lock, [&] { return ready() || hopeless(); });
    if (ready()) return true;
    m_now += ms;
    return false;
}

}  // namespace machine::sim
