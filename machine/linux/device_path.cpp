#include "machine/linux/device_path.h"

#include <strings.h>

#include <cctype>

namespace machine::linux_host {
namespace {

const char kDevicePrefix[] = "\\\\.\\";

// Digits without a sign or leading zero, small enough for an int.
bool ParseNumber(const std::string& text, int& number) {
    if (text.empty() || text.size() > 6 || (text.size() > 1 && text[0] == '0')) return false;
    number = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        number = number * 10 + (c - '0');
    }
    return true;
}

bool HasPrefix(const std::string& name, const char* prefix, std::string& rest) {
    const size_t n = std::char_traits<char>::length(prefix);
    if (name.size() < n || strncasecmp(name.c_str(), prefix, n) != 0) return false;
    rest = name.substr(n);
    return true;
}

}  // namespace

DevicePath ParseDevicePath(const std::string& path) {
    DevicePath parsed;
    std::string name, rest;
    if (!HasPrefix(path, kDevicePrefix, name)) return parsed;
    if (name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
        parsed.kind = DevicePath::kDriveLetter;
        parsed.number = std::toupper(static_cast<unsigned char>(name[0])) - 'A';
    } else if (HasPrefix(name, "Scsi", rest) && !rest.empty() && rest.back() == ':' &&
               ParseNumber(rest.substr(0, rest.size() - 1), parsed.number)) {
        parsed.kind = DevicePath::kScsiPort;
    } else if (HasPrefix(name, "CdRom", rest) && ParseNumber(rest, parsed.number)) {
        parsed.kind = DevicePath::kCdRom;
    } else if (HasPrefix(name, "PhysicalDrive", rest) && ParseNumber(rest, parsed.number)) {
        parsed.kind = DevicePath::kPhysicalDrive;
    }
    return parsed;
}

}  // namespace machine::linux_host
