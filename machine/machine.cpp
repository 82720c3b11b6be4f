// Which machine answers the Windows services: chosen once, replaceable by tests and the demo.
#include "machine/machine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "machine/linux/linux_host.h"
#include "machine/sim/sim_machine.h"

namespace machine {

bool Clock::WaitUntil(std::condition_variable& cv, std::unique_lock<std::mutex>& lock, DWORD ms,
                      const std::function<bool()>& ready, const std::function<bool()>&) {
    if (ms == INFINITE) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(ms), ready);
}

namespace {

std::mutex g_lock;
std::unique_ptr<Machine> g_active;
std::atomic<uint64_t> g_generation{0};

// The simulated machine named by CDRWUPDATE_MACHINE, else the Linux host. A description
// that cannot be read ends the program with the reason: running on some other machine
// than the one the user described would only mislead.
std::unique_ptr<Machine> CreateDefault() {
    const char* path = std::getenv("CDRWUPDATE_MACHINE");
    if (path == nullptr || *path == '\0') return CreateLinuxHost();
    std::string error;
    std::unique_ptr<Machine> m = sim::SimMachine::FromFile(path, error);
    if (!m) {
        std::fprintf(stderr, "cdrwupdate: machine description %s: %s\n", path, error.c_str());
        std::exit(2);
    }
    return m;
}

}  // namespace

Machine& Active() {
    std::lock_guard<std::mutex> hold(g_lock);
    if (!g_active) g_active = CreateDefault();
    return *g_active;
}

void Install(std::unique_ptr<Machine> m) { Replace(std::move(m)); }

std::unique_ptr<Machine> Replace(std::unique_ptr<Machine> m) {
    std::lock_guard<std::mutex> hold(g_lock);
    std::unique_ptr<Machine> previous = std::move(g_active);
    g_active = std::move(m);
    ++g_generation;
    return previous;
}

uint64_t Generation() { return g_generation; }

}  // namespace machine
