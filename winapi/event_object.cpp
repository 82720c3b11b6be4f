#include "winapi/event_object.h"

namespace winapi {

void EventObject::Set() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_signalled = true;
    m_changed.notify_all();
}

void EventObject::Reset() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_signalled = false;
}

DWORD EventObject::Wait(machine::Clock& clock, DWORD ms) {
    std::unique_lock<std::mutex> hold(m_lock);
    bool ready = m_signalled;
    if (!ready && ms != 0) {
        ++m_waiters;
        ready = clock.WaitUntil(
            m_changed, hold, ms, [this] { return m_signalled; },
            [this] { return m_neverSignalled; });
        --m_waiters;
    }
    if (!ready) return WAIT_TIMEOUT;
    if (!m_manualReset) m_signalled = false;
    return WAIT_OBJECT_0;
}

void EventObject::MarkNeverSignalled() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_neverSignalled = true;
    m_changed.notify_all();
}

bool EventObject::HasWaiterOrClosed() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_waiters > 0 || m_closed;
}

void EventObject::OnClose() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_closed = true;
}

}  // namespace winapi
