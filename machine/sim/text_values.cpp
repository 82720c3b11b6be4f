#include "machine/sim/text_values.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace machine::sim {

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string StripComment(const std::string& line) {
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\' && quoted && i + 1 < line.size()) {
            ++i;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '#' || c == ';') &&
                   (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
            return line.substr(0, i);
        }
    }
    return line;
}

std::vector<std::string> Words(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == ' ' || c == '\t' || c == ',') {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

std::vector<std::string> Split(const std::string& s, char separator) {
    std::vector<std::string> out(1);
    for (char c : s) {
        if (c == separator)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

bool Unquote(const std::string& value, std::string& out, std::string& why) {
    if (value.empty() || value[0] != '"') {
        out = value;
        return true;
    }
    out.clear();
    for (size_t i = 1; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            out += value[++i];
        } else if (c == '"') {
            if (!Trim(value.substr(i + 1)).empty()) {
                why = "text after the closing quote";
                return false;
            }
            return true;
        } else {
            out += c;
        }
    }
    why = "a quoted value is not closed";
    return false;
}

bool ParseNumber(const std::string& s, uint64_t& out) {
    std::string t = Lower(Trim(s));
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && t[1] == 'x') {
        base = 16;
        t = t.substr(2);
    }
    if (t.empty() || t.size() > 16) return false;
    uint64_t v = 0;
    for (char c : t) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else
            return false;
        if (v > (UINT64_MAX - static_cast<uint64_t>(d)) / static_cast<uint64_t>(base)) return false;
        v = v * static_cast<uint64_t>(base) + static_cast<uint64_t>(d);
    }
    out = v;
    return true;
}

bool ParseBool(const std::string& s, bool& out) {
    std::string t = Lower(Trim(s));
    if (t == "yes" || t == "true" || t == "on" || t == "1") {
        out = true;
        return true;
    }
    if (t == "no" || t == "false" || t == "off" || t == "0") {
        out = false;
        return true;
    }
    return false;
}

bool ParseErrorCode(const std::string& s, DWORD& out) {
    static const std::map<std::string, DWORD> kNames = {
        {"ERROR_SUCCESS", ERROR_SUCCESS},
        {"ERROR_INVALID_FUNCTION", ERROR_INVALID_FUNCTION},
        {"ERROR_FILE_NOT_FOUND", ERROR_FILE_NOT_FOUND},
        {"ERROR_PATH_NOT_FOUND", ERROR_PATH_NOT_FOUND},
        {"ERROR_ACCESS_DENIED", ERROR_ACCESS_DENIED},
        {"ERROR_INVALID_HANDLE", ERROR_INVALID_HANDLE},
        {"ERROR_NOT_ENOUGH_MEMORY", ERROR_NOT_ENOUGH_MEMORY},
        {"ERROR_NOT_READY", ERROR_NOT_READY},
        {"ERROR_GEN_FAILURE", ERROR_GEN_FAILURE},
        {"ERROR_SHARING_VIOLATION", ERROR_SHARING_VIOLATION},
        {"ERROR_NOT_SUPPORTED", ERROR_NOT_SUPPORTED},
        {"ERROR_INVALID_PARAMETER", ERROR_INVALID_PARAMETER},
        {"ERROR_SEM_TIMEOUT", ERROR_SEM_TIMEOUT},
        {"ERROR_INSUFFICIENT_BUFFER", ERROR_INSUFFICIENT_BUFFER},
        {"ERROR_MORE_DATA", ERROR_MORE_DATA},
        {"ERROR_IO_DEVICE", ERROR_IO_DEVICE},
    };
    std::string t = Trim(s);
    std::string upper = t;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    auto it = kNames.find(upper);
    if (it != kNames.end()) {
        out = it->second;
        return true;
    }
    uint64_t v;
    if (!ParseNumber(t, v) || v > 0xFFFFFFFFu) return false;
    out = static_cast<DWORD>(v);
    return true;
}

bool ParseHexBytes(const std::string& s, std::vector<uint8_t>& out) {
    out.clear();
    for (const std::string& word : Words(s)) {
        if (word.size() % 2 != 0) return false;  // "0" is not a byte: write "00"
        for (size_t i = 0; i < word.size(); i += 2) {
            uint64_t v;
            if (!ParseNumber("0x" + word.substr(i, 2), v)) return false;
            out.push_back(static_cast<uint8_t>(v));
        }
    }
    return true;
}

}  // namespace machine::sim
