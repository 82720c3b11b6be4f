#include "transport/platform_info.h"

static_assert(sizeof(OSVERSIONINFOA) == 148, "the query states the 148-byte structure");

BOOL GetPlatformId(int* platformOut) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    const BOOL ok = GetVersionExA(&info);
    if (ok == TRUE && platformOut != nullptr) {
        *platformOut = static_cast<int>(info.dwPlatformId);
    }
    return ok;
}

CPlatformInfo::CPlatformInfo(int* platformOut) : m_platformId(kPlatformUnknown) {
    int raw = kPlatformUnknown;
    GetPlatformId(&raw);
    if (raw == kPlatformWindows || raw == kPlatformNt) {
        m_platformId = raw;
    }
    if (platformOut != nullptr) {
        *platformOut = m_platformId;
    }
}

CPlatformInfo::~CPlatformInfo() = default;
