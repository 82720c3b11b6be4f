// Directory searches over real directories, and file-time comparison.
// A pattern is a directory, a separator ('/', or '\' as on Windows) and a name pattern in
// which '*' stands for any run of characters and '?' for any one; names match without regard
// to letter case, as on Windows, so "*.bin" finds FW.BIN too. The matches are taken when the
// search starts and come back in name order, which is what NTFS gives.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "winapi/handle_table.h"
#include "winapi/winbase.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool Matches(const char* pattern, const char* name) {
    // Iterative wildcard match; on a mismatch, let the last '*' take one more character.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern != '\0' && Upper(*pattern) == Upper(*name))) {
            ++pattern;
            ++name;
        } else if (star != nullptr) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        ++pattern;
    }
    return *pattern == '\0';
}

// 100-nanosecond intervals since 1601-01-01, from a POSIX time.
FILETIME ToFileTime(const struct timespec& time) {
    const int64_t kEpochDifference = 11644473600LL;  // seconds from 1601 to 1970
    const int64_t ticks =
        (static_cast<int64_t>(time.tv_sec) + kEpochDifference) * 10000000LL + time.tv_nsec / 100;
    const uint64_t value = ticks < 0 ? 0 : static_cast<uint64_t>(ticks);
    FILETIME result;
    result.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
    result.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return result;
}

class FindObject : public winapi::KernelObject {
  public:
    explicit FindObject(std::vector<WIN32_FIND_DATAA> matches) : m_matches(std::move(matches)) {}
    bool ClosableByCloseHandle() const override { return false; }
    bool Next(WIN32_FIND_DATAA& data) {
        if (m_next >= m_matches.size()) {
            return false;
        }
        data = m_matches[m_next++];
        return true;
    }

  private:
    std::vector<WIN32_FIND_DATAA> m_matches;
    size_t m_next = 0;
};

bool Describe(const std::string& directory, const char* name, WIN32_FIND_DATAA& data) {
    if (std::strlen(name) >= sizeof data.cFileName) {
        return false;  // a name that the structure cannot carry
    }
    struct stat st;
    const std::string path = directory + "/" + name;
    if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0) {
        return false;  // gone since the directory was read
    }
    std::memset(&data, 0, sizeof data);
    data.dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    data.ftCreationTime = ToFileTime(st.st_mtim);  // POSIX keeps no creation time here
    data.ftLastAccessTime = ToFileTime(st.st_atim);
    data.ftLastWriteTime = ToFileTime(st.st_mtim);
    const uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    std::strcpy(data.cFileName, name);
    return true;
}

}  // namespace

HANDLE WINAPI FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
    if (lpFileName == nullptr || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string path = lpFileName;
    std::replace(path.begin(), path.end(), '\\', '/');
    const size_t slash = path.find_last_of('/');
    std::string directory = slash == std::string::npos ? "." : path.substr(0, slash);
    if (slash == 0) {
        directory = "/";
    }
    const std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);
    if (pattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    DIR* dir = ::opendir(directory.c_str());
    if (dir == nullptr) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<WIN32_FIND_DATAA> matches;
    while (const struct dirent* entry = ::readdir(dir)) {
        WIN32_FIND_DATAA data;
        if (Matches(pattern.c_str(), entry->d_name) && Describe(directory, entry->d_name, data)) {
            matches.push_back(data);
        }
    }
    ::closedir(dir);
    if (matches.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::sort(matches.begin(), matches.end(),
              [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
                  const int folded = ::strcasecmp(a.cFileName, b.cFileName);
                  return folded != 0 ? folded < 0 : std::strcmp(a.cFileName, b.cFileName) < 0;
              });
    auto search = std::make_shared<FindObject>(std::move(matches));
    search->Next(*lpFindFileData);
    return winapi::HandleTable::Add(search);
}

BOOL WINAPI FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
    auto search = winapi::HandleTable::Find<FindObject>(hFindFile);
    if (search == nullptr || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!search->Next(*lpFindFileData)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE hFindFile) {
    if (winapi::HandleTable::Find<FindObject>(hFindFile) == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    winapi::HandleTable::Remove(hFindFile);
    return TRUE;
}

LONG WINAPI CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2) {
    const uint64_t a =
        (static_cast<uint64_t>(lpFileTime1->dwHighDateTime) << 32) | lpFileTime1->dwLowDateTime;
    const uint64_t b =
        (static_cast<uint64_t>(lpFileTime2->dwHighDateTime) << 32) | lpFileTime2->dwLowDateTime;
    return a < b ? -1 : (a > b ? 1 : 0);
}
