#include "params/profile_file.h"

#include <cstring>
#include <new>

#include "winapi/winbase.h"

namespace {

CString ModuleFilePath() {
    // Linux paths may be longer than MAX_PATH: grow until the path is not cut.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::unique_ptr<char[]> buffer(new char[size]());
        const DWORD length = GetModuleFileNameA(nullptr, buffer.get(), size);
        if (length < size) {
            return CString(buffer.get(), length);
        }
    }
    return CString();
}

}  // namespace

CProfileFile::CProfileFile(const CString& path)
    : m_buffer(new (std::nothrow) char[kBufferSize]), m_path(path.empty() ? DefaultPath() : path) {}

CProfileFile::~CProfileFile() = default;

CString CProfileFile::DefaultPath() {
    CString path = ModuleFilePath();
    // Only the file name's own extension counts: a dot in a folder name is not one.
    const size_t nameStart = path.find_last_of('/') + 1;  // 0 when there is no folder
    const size_t dot = path.find_last_of('.');
    if (dot != CString::npos && dot > nameStart) {
        path.erase(dot);
    }
    return path + ".INI";
}

int CProfileFile::ReadNames(const char* section, CStringList& names) {
    names.clear();
    if (!m_buffer) {
        return kStatusNoBuffer;
    }
    char* buffer = m_buffer.get();
    std::memset(buffer, 0, kBufferSize);
    if (section == nullptr) {
        GetPrivateProfileSectionNamesA(buffer, kBufferSize, m_path.c_str());
    } else {
        GetPrivateProfileStringA(section, nullptr, "", buffer, kBufferSize, m_path.c_str());
    }
    size_t at = 0;
    while (at < kBufferSize) {
        const size_t length = strnlen(buffer + at, kBufferSize - at);
        if (length == 0) {
            break;
        }
        names.emplace_back(buffer + at, length);
        at += length + 1;
    }
    return kStatusOk;
}

int CProfileFile::GetSectionNames(CStringList& names) { return ReadNames(nullptr, names); }

int CProfileFile::GetKeyNames(const CString& section, CStringList& names) {
    return ReadNames(section.c_str(), names);
}

int CProfileFile::ReadString(const CString& section, const CString& key, CString& value) {
    value.clear();
    if (!m_buffer) {
        return kStatusNoBuffer;
    }
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", m_buffer.get(),
                                                  kBufferSize, m_path.c_str());
    value.assign(m_buffer.get(), length);
    return kStatusOk;
}

int CProfileFile::WriteString(const CString& section, const CString& key, const CString& value) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), m_path.c_str())
               ? kStatusOk
               : kStatusWriteFailed;
}

int CProfileFile::DeleteSection(const CString& section) {
    return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, m_path.c_str())
               ? kStatusOk
               : kStatusWriteFailed;
}
