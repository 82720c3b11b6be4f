// Private-profile (INI) files over real files, following the documented behaviour of the
// Windows functions:
// - a section starts with a line "[name]"; inside it, "key=value" lines; a line whose first
//   non-blank character is ';' is a comment; blanks around names and values are ignored;
// - section and key names match without regard to letter case; where two sections or two
//   keys share a name, the first one counts;
// - a value enclosed in matching quotes (" or ') is read without them;
// - name lists are strings each ended by a NUL, the list ended by an empty string.
// Every write replaces the file as a whole: the new text goes into a file beside it, which is
// then renamed over it, so a failure or a crash of the program never leaves a half-written
// file. (A caller that must have the result on disk before it goes on flushes it itself.)
// Lines that the write does not concern (comments, unknown lines) are kept as they were.
// Names and values that a file cannot hold so that they read back the same (a line break,
// a ']' in a section name, an '=' in a key name, blanks around a name, an empty name...) are
// refused with ERROR_INVALID_PARAMETER instead of being written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "winapi/winbase.h"

#ifndef ERROR_WRITE_FAULT
#define ERROR_WRITE_FAULT 29L
#endif
#ifndef ERROR_DISK_FULL
#define ERROR_DISK_FULL 112L
#endif

namespace {

const char kBlanks[] = " \t";

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return std::string();
    }
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) {
            return false;
        }
    }
    return true;
}

struct ParsedLine {
    enum Kind { kOther, kSection, kKey } kind = kOther;
    std::string name;   // section or key name, trimmed
    std::string value;  // key value, trimmed, quotes kept
};

ParsedLine Parse(const std::string& raw) {
    ParsedLine line;
    std::string text = Trim(raw);
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {  // a byte-order mark before the first line
        text = Trim(text.substr(3));
    }
    if (text.empty() || text[0] == ';') {
        return line;
    }
    if (text[0] == '[') {
        const size_t close = text.find(']');
        if (close != std::string::npos) {
            line.kind = ParsedLine::kSection;
            line.name = Trim(text.substr(1, close - 1));
        }
        return line;
    }
    const size_t equals = text.find('=');
    if (equals != std::string::npos) {
        line.kind = ParsedLine::kKey;
        line.name = Trim(text.substr(0, equals));
        line.value = Trim(text.substr(equals + 1));
    }
    return line;
}

std::string Unquote(const std::string& value) {
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// One profile file as lines, without their line ends.
struct Profile {
    std::vector<std::string> lines;
    std::string eol = "\n";

    // Lines [header, end) of the first section of this name; header is npos when absent.
    void FindSection(const std::string& name, size_t& header, size_t& end) const {
        header = std::string::npos;
        end = lines.size();
        for (size_t i = 0; i < lines.size(); ++i) {
            const ParsedLine line = Parse(lines[i]);
            if (line.kind != ParsedLine::kSection) {
                continue;
            }
            if (header != std::string::npos) {
                end = i;
                return;
            }
            if (SameName(line.name, name)) {
                header = i;
            }
        }
    }

    // The first line of the key inside [header, end), or npos.
    size_t FindKey(size_t header, size_t end, const std::string& key) const {
        for (size_t i = header + 1; i < end; ++i) {
            const ParsedLine line = Parse(lines[i]);
            if (line.kind == ParsedLine::kKey && SameName(line.name, key)) {
                return i;
            }
        }
        return std::string::npos;
    }
};

enum class LoadResult { kLoaded, kMissing, kFailed };

LoadResult Load(const char* path, Profile& profile) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return errno == ENOENT ? LoadResult::kMissing : LoadResult::kFailed;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return LoadResult::kFailed;
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ::close(fd);
            return LoadResult::kFailed;
        }
        if (n == 0) {
            break;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);

    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        size_t newline = text.find('\n', start);
        const bool ended = newline != std::string::npos;
        if (!ended) {
            newline = text.size();
        }
        std::string line = text.substr(start, newline - start);
        if (ended && !line.empty() && line.back() == '\r') {
            line.pop_back();
            if (first) {
                profile.eol = "\r\n";
            }
        }
        first = false;
        profile.lines.push_back(line);
        start = newline + 1;
    }
    return LoadResult::kLoaded;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Writes the profile into a new file beside `path` and renames it over `path`.
DWORD Store(const char* path, const Profile& profile) {
    std::string text;
    for (const std::string& line : profile.lines) {
        text += line;
        text += profile.eol;
    }
    // Through a symbolic link, replace the file it names rather than the link.
    std::error_code ec;
    std::string target = path;
    if (std::filesystem::is_symlink(target, ec)) {
        const std::filesystem::path resolved = std::filesystem::canonical(target, ec);
        if (ec) {
            return ERROR_PATH_NOT_FOUND;
        }
        target = resolved.string();
    }
    struct stat old;
    const bool existed = ::stat(target.c_str(), &old) == 0;

    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temp = target + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED;
        }
    }
    if (fd < 0) {
        return ERROR_ACCESS_DENIED;
    }
    bool ok = true;
    if (existed) {
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    }
    ok = ok && WriteAll(fd, text);
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        const int e = errno;
        ::unlink(temp.c_str());
        return e == ENOSPC || e == EFBIG || e == EDQUOT ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
    }
    return ERROR_SUCCESS;
}

// Copies a name list ("a\0b\0\0") into the caller's buffer. A list that does not fit is cut
// and ended by two NULs, and the result is then nSize - 2, as Windows does.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    std::string list;
    for (const std::string& name : names) {
        list += name;
        list += '\0';
    }
    if (list.size() + 1 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        if (list.empty() && size > 1) {
            buffer[1] = '\0';
        }
        return static_cast<DWORD>(list.size());
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

// Adds a name unless an earlier one equals it; empty names would end the list early.
void AddName(std::vector<std::string>& names, const std::string& name) {
    if (name.empty()) {
        return;
    }
    for (const std::string& known : names) {
        if (SameName(known, name)) {
            return;
        }
    }
    names.push_back(name);
}

std::vector<std::string> SectionNames(const Profile& profile) {
    std::vector<std::string> names;
    for (const std::string& raw : profile.lines) {
        const ParsedLine line = Parse(raw);
        if (line.kind == ParsedLine::kSection) {
            AddName(names, line.name);
        }
    }
    return names;
}

std::vector<std::string> KeyNames(const Profile& profile, const std::string& section) {
    std::vector<std::string> names;
    size_t header, end;
    profile.FindSection(section, header, end);
    if (header == std::string::npos) {
        return names;
    }
    for (size_t i = header + 1; i < end; ++i) {
        const ParsedLine line = Parse(profile.lines[i]);
        if (line.kind == ParsedLine::kKey) {
            AddName(names, line.name);
        }
    }
    return names;
}

bool HasLineBreak(const std::string& text) {
    return text.find_first_of("\r\n") != std::string::npos;
}

bool HasOuterBlank(const std::string& text) {
    return !text.empty() && (std::strchr(kBlanks, text.front()) != nullptr ||
                             std::strchr(kBlanks, text.back()) != nullptr);
}

// Whether a name reads back as itself from "[name]" or "name=".
bool StorableSection(const std::string& name) {
    return !name.empty() && !HasLineBreak(name) && !HasOuterBlank(name) &&
           name.find(']') == std::string::npos && name.compare(0, 3, "\xEF\xBB\xBF") != 0;
}

bool StorableKey(const std::string& name) {
    return !name.empty() && !HasLineBreak(name) && !HasOuterBlank(name) &&
           name.find('=') == std::string::npos && name[0] != ';' && name[0] != '[' &&
           name.compare(0, 3, "\xEF\xBB\xBF") != 0;
}

}  // namespace

DWORD WINAPI GetPrivateProfileSectionNamesA(LPSTR lpszReturnBuffer, DWORD nSize,
                                            LPCSTR lpFileName) {
    Profile profile;
    if (lpFileName != nullptr) {
        Load(lpFileName, profile);
    }
    return CopyList(SectionNames(profile), lpszReturnBuffer, nSize);
}

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault,
                                      LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
    Profile profile;
    if (lpFileName != nullptr) {
        Load(lpFileName, profile);
    }
    if (lpAppName == nullptr) {
        return CopyList(SectionNames(profile), lpReturnedString, nSize);
    }
    if (lpKeyName == nullptr) {
        return CopyList(KeyNames(profile, lpAppName), lpReturnedString, nSize);
    }
    if (lpReturnedString == nullptr || nSize == 0) {
        return 0;
    }
    // The default loses its trailing blanks, as documented.
    std::string value = lpDefault != nullptr ? lpDefault : "";
    value.erase(value.find_last_not_of(kBlanks) + 1);
    size_t header, end;
    profile.FindSection(lpAppName, header, end);
    if (header != std::string::npos) {
        const size_t key = profile.FindKey(header, end, lpKeyName);
        if (key != std::string::npos) {
            value = Unquote(Parse(profile.lines[key]).value);
        }
    }
    const size_t length = std::min<size_t>(value.size(), nSize - 1);
    std::memcpy(lpReturnedString, value.data(), length);
    lpReturnedString[length] = '\0';
    return static_cast<DWORD>(length);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString,
                                       LPCSTR lpFileName) {
    if (lpAppName == nullptr && lpKeyName == nullptr && lpString == nullptr) {
        return TRUE;  // flushes the cache on Windows; nothing is cached here
    }
    if (lpAppName == nullptr || lpFileName == nullptr || !StorableSection(lpAppName) ||
        (lpKeyName != nullptr && !StorableKey(lpKeyName)) ||
        (lpString != nullptr && HasLineBreak(lpString))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Profile profile;
    const LoadResult loaded = Load(lpFileName, profile);
    if (loaded == LoadResult::kFailed) {
        SetLastError(ERROR_ACCESS_DENIED);  // never replace a file that could not be read
        return FALSE;
    }
    const bool deleting = lpKeyName == nullptr || lpString == nullptr;
    size_t header, end;
    profile.FindSection(lpAppName, header, end);
    if (deleting) {
        if (header == std::string::npos) {
            return TRUE;
        }
        // A later section or key of the same name is hidden behind the first; it goes too,
        // so that what the caller deleted does not come back.
        if (lpKeyName == nullptr) {
            while (header != std::string::npos) {
                profile.lines.erase(profile.lines.begin() + static_cast<long>(header),
                                    profile.lines.begin() + static_cast<long>(end));
                profile.FindSection(lpAppName, header, end);
            }
        } else {
            size_t key = profile.FindKey(header, end, lpKeyName);
            if (key == std::string::npos) {
                return TRUE;
            }
            while (key != std::string::npos) {
                profile.lines.erase(profile.lines.begin() + static_cast<long>(key));
                profile.FindSection(lpAppName, header, end);
                key = profile.FindKey(header, end, lpKeyName);
            }
        }
    } else if (header == std::string::npos) {
        profile.lines.push_back(std::string("[") + lpAppName + "]");
        profile.lines.push_back(std::string(lpKeyName) + "=" + lpString);
    } else {
        const size_t key = profile.FindKey(header, end, lpKeyName);
        if (key != std::string::npos) {
            // Keep the key's spelling as the file has it.
            profile.lines[key] = Parse(profile.lines[key]).name + "=" + lpString;
        } else {
            // After the section's last non-blank line, so blank lines stay between sections.
            size_t at = end;
            while (at > header + 1 && Trim(profile.lines[at - 1]).empty()) {
                --at;
            }
            profile.lines.insert(profile.lines.begin() + static_cast<long>(at),
                                 std::string(lpKeyName) + "=" + lpString);
        }
    }
    const DWORD error = Store(lpFileName, profile);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}
