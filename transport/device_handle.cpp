#include "transport/device_handle.h"

#include <cstdio>

CDeviceHandle::CDeviceHandle(HANDLE handle) : m_handle(handle), m_owns(0) {}

CDeviceHandle::~CDeviceHandle() { Release(); }

void CDeviceHandle::Release() {
    if (m_owns == 1) {
        FlushFileBuffers(m_handle);
        CloseHandle(m_handle);
    }
    m_handle = INVALID_HANDLE_VALUE;
    m_owns = 0;
}

int CDeviceHandle::Open(LPCSTR path, DWORD access, int* errorOut) {
    Release();
    m_handle = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           0, nullptr);
    const bool valid = m_handle != INVALID_HANDLE_VALUE;
    m_owns = valid ? 1 : 0;
    if (errorOut != nullptr) {
        *errorOut = valid ? 0 : static_cast<int>(GetLastError());
    }
    return valid ? 1 : 0;
}

int CDeviceHandle::OpenDriveLetter(int letter, DWORD access, int* errorOut) {
    char path[8];
    std::snprintf(path, sizeof(path), "\\\\.\\%c:", static_cast<char>(letter));
    return Open(path, access, errorOut);
}

void CDeviceHandle::Attach(HANDLE handle) {
    Release();
    m_handle = handle;
}

int CDeviceHandle::IsOpen() const { return m_handle != INVALID_HANDLE_VALUE ? 1 : 0; }

DWORD CDeviceHandle::Control(DWORD code, LPVOID inBuffer, DWORD inSize, LPVOID outBuffer,
                             DWORD outSize, LPDWORD bytesReturned, LPOVERLAPPED overlapped) {
    // Without a device nothing was done: that must not read as success.
    if (m_handle == INVALID_HANDLE_VALUE) {
        return ERROR_INVALID_HANDLE;
    }
    DWORD localCount = 0;
    if (bytesReturned == nullptr) {
        bytesReturned = &localCount;
    }
    if (!DeviceIoControl(m_handle, code, inBuffer, inSize, outBuffer, outSize, bytesReturned,
                         overlapped)) {
        const DWORD error = GetLastError();
        return error != 0 ? error : static_cast<DWORD>(ERROR_GEN_FAILURE);
    }
    return 0;
}

DWORD CDeviceHandle::ControlOut(DWORD code, LPVOID outBuffer, DWORD outSize,
                                LPDWORD bytesReturned) {
    return Control(code, nullptr, 0, outBuffer, outSize, bytesReturned, nullptr);
}
