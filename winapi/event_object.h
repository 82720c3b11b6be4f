// Events behind CreateEventA handles. Waits pass on the active machine's clock.
#pragma once

#include <condition_variable>
#include <mutex>

#include "machine/machine.h"
#include "winapi/handle_table.h"

namespace winapi {

class EventObject : public KernelObject {
  public:
    EventObject(bool manualReset, bool initiallySignalled)
        : m_manualReset(manualReset), m_signalled(initiallySignalled) {}

    void Set();
    void Reset();
    // WAIT_OBJECT_0 once signalled (an auto-reset event is reset again), WAIT_TIMEOUT when
    // `ms` passed first.
    DWORD Wait(machine::Clock& clock, DWORD ms);
    // Nobody will ever signal it (a request that will never complete): on a virtual clock a
    // timed wait then lets its time pass at once.
    void MarkNeverSignalled();
    // Whether a thread waits on it now, or its handle is closed: a completer that runs on
    // another thread writes the request only after its issuer has started waiting.
    bool HasWaiterOrClosed();
    void OnClose() override;

  private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    const bool m_manualReset;
    bool m_signalled;
    bool m_neverSignalled = false;
    bool m_closed = false;
    int m_waiters = 0;
};

}  // namespace winapi
