// The process's kernel-object handles: files, devices, events, modules, tokens, searches.
// One table for every kind, safe to use from any thread. Handle values are never reused, so
// a stale handle is refused instead of reaching some newer object.
#pragma once

#include <cstddef>
#include <memory>

#include "winapi/windef.h"

namespace winapi {

// Anything a handle can stand for.
class KernelObject {
  public:
    virtual ~KernelObject() = default;
    // Whether CloseHandle may close it (modules and searches have calls of their own).
    virtual bool ClosableByCloseHandle() const { return true; }
    // Called once when its handle is closed; the object may live on while in use elsewhere.
    virtual void OnClose() {}
};

class HandleTable {
  public:
    // A new handle for `object`; never null and never INVALID_HANDLE_VALUE.
    static HANDLE Add(std::shared_ptr<KernelObject> object);
    // The object behind `handle`, null when the handle is unknown.
    static std::shared_ptr<KernelObject> Find(HANDLE handle);
    // The object behind `handle` when it is of kind T, else null.
    template <class T>
    static std::shared_ptr<T> Find(HANDLE handle) {
        return std::dynamic_pointer_cast<T>(Find(handle));
    }
    // Removes the handle and hands back its object (null when unknown). Calls OnClose.
    static std::shared_ptr<KernelObject> Remove(HANDLE handle);
    // Number of open handles (tests look for leaks with it).
    static size_t Count();
};

}  // namespace winapi
