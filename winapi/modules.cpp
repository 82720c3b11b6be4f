// LoadLibraryA, GetProcAddress, FreeLibrary, GetModuleFileNameA. A module is loaded once and
// counted; its name is matched without regard to case, as Windows does.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>

#include "machine/machine.h"
#include "winapi/handle_table.h"
#include "winapi/winbase.h"

namespace {

class ModuleObject : public winapi::KernelObject {
  public:
    ModuleObject(std::string key, std::string name, std::shared_ptr<machine::Module> module)
        : key(std::move(key)),
          name(std::move(name)),
          module(std::move(module)),
          generation(machine::Generation()) {}
    bool ClosableByCloseHandle() const override { return false; }

    const std::string key;   // upper-case base name with extension
    const std::string name;  // as first loaded
    const std::shared_ptr<machine::Module> module;
    const uint64_t generation;  // the machine it came from
    int references = 1;         // guarded by g_lock
};

std::mutex g_lock;
std::map<std::string, HMODULE> g_loaded;  // key -> handle

// "c:\windows\system\wnaspi32" and "WNASPI32.DLL" name the same module.
std::string ModuleKey(const std::string& name) {
    size_t slash = name.find_last_of("\\/");
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    if (base.find('.') == std::string::npos) base += ".DLL";
    std::transform(base.begin(), base.end(), base.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return base;
}

}  // namespace

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    if (lpLibFileName == nullptr || *lpLibFileName == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string key = ModuleKey(lpLibFileName);
    std::lock_guard<std::mutex> hold(g_lock);
    auto it = g_loaded.find(key);
    if (it != g_loaded.end()) {
        auto object = winapi::HandleTable::Find<ModuleObject>(it->second);
        if (object && object->generation == machine::Generation()) {
            ++object->references;
            return it->second;
        }
        g_loaded.erase(it);  // left loaded on a machine that has been replaced since
    }
    DWORD error = ERROR_MOD_NOT_FOUND;
    std::shared_ptr<machine::Module> module = machine::Active().LoadModule(key, error);
    if (!module) {
        SetLastError(error == ERROR_SUCCESS ? ERROR_MOD_NOT_FOUND : error);
        return nullptr;
    }
    HANDLE handle =
        winapi::HandleTable::Add(std::make_shared<ModuleObject>(key, lpLibFileName, module));
    HMODULE hmodule = reinterpret_cast<HMODULE>(handle);
    g_loaded[key] = hmodule;
    return hmodule;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    auto object = winapi::HandleTable::Find<ModuleObject>(hModule);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    FARPROC proc = lpProcName == nullptr ? nullptr : object->module->Proc(lpProcName);
    if (proc == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
    return proc;
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    std::lock_guard<std::mutex> hold(g_lock);
    auto object = winapi::HandleTable::Find<ModuleObject>(hLibModule);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (--object->references == 0) {
        auto it = g_loaded.find(object->key);
        if (it != g_loaded.end() && it->second == hLibModule) g_loaded.erase(it);
        winapi::HandleTable::Remove(hLibModule);
    }
    return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string path;
    if (hModule == nullptr) {
        path = machine::Active().ModuleFileName();
    } else if (auto object = winapi::HandleTable::Find<ModuleObject>(hModule)) {
        path = object->module->Path();
        if (path.empty()) path = object->name;
    } else {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (nSize == 0 || lpFilename == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Too small: the path is cut to nSize - 1 characters, still terminated, and nSize returned.
    if (path.size() >= nSize) {
        std::memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}
