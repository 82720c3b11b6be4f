#include "framework/file_faults.h"

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>

namespace file_faults {
namespace {

std::mutex g_mutex;
std::map<std::string, Armed> g_armed;
// Lets every file operation skip the lock while no test has armed anything.
std::atomic<bool> g_any{false};

template <class Change>
void Arm(const std::string& path, Change change) {
    std::lock_guard<std::mutex> lock(g_mutex);
    change(g_armed[FullPath(path)]);
    g_any = true;
}

}  // namespace

std::string FullPath(const std::string& path) {
    std::error_code ec;
    std::filesystem::path full = std::filesystem::absolute(path, ec);
    if (ec) {
        return path;
    }
    return full.lexically_normal().string();
}

void FailOpen(const std::string& path) {
    Arm(path, [](Armed& a) { a.open = true; });
}

void FailStatus(const std::string& path) {
    Arm(path, [](Armed& a) { a.status = true; });
}

void FailReadAt(const std::string& path, uint64_t offset) {
    Arm(path, [offset](Armed& a) {
        a.read = true;
        a.readOffset = offset;
    });
}

void FailSeek(const std::string& path) {
    Arm(path, [](Armed& a) { a.seek = true; });
}

void Clear() {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_armed.clear();
    g_any = false;
}

Armed Lookup(const std::string& fullPath) {
    if (!g_any) {
        return Armed();
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_armed.find(fullPath);
    return it == g_armed.end() ? Armed() : it->second;
}

}  // namespace file_faults
