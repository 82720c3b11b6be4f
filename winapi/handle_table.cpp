#include "winapi/handle_table.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace winapi {
namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    uintptr_t next = 0x100;  // multiples of 4, as Windows hands them out
};

Table& TheTable() {
    static Table* table = new Table;  // outlives every static that might still close handles
    return *table;
}

}  // namespace

HANDLE HandleTable::Add(std::shared_ptr<KernelObject> object) {
    Table& t = TheTable();
    std::lock_guard<std::mutex> hold(t.lock);
    uintptr_t value = t.next;
    t.next += 4;
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> HandleTable::Find(HANDLE handle) {
    Table& t = TheTable();
    std::lock_guard<std::mutex> hold(t.lock);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

std::shared_ptr<KernelObject> HandleTable::Remove(HANDLE handle) {
    std::shared_ptr<KernelObject> object;
    {
        Table& t = TheTable();
        std::lock_guard<std::mutex> hold(t.lock);
        auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
        if (it == t.objects.end()) return nullptr;
        object = std::move(it->second);
        t.objects.erase(it);
    }
    object->OnClose();  // outside the lock: it may wake threads that use the table
    return object;
}

size_t HandleTable::Count() {
    Table& t = TheTable();
    std::lock_guard<std::mutex> hold(t.lock);
    return t.objects.size();
}

}  // namespace winapi
