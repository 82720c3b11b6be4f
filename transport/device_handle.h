// A Win32 device handle that is either owned (opened here, flushed and closed here) or
// only attached (the caller keeps closing it).
#pragma once

#include "winapi/windows.h"

class CDeviceHandle {
  public:
    explicit CDeviceHandle(HANDLE handle = INVALID_HANDLE_VALUE);
    virtual ~CDeviceHandle();
    CDeviceHandle(const CDeviceHandle&) = delete;
    CDeviceHandle& operator=(const CDeviceHandle&) = delete;

    // Opens `path` shared for reading and writing; returns 1 when the handle is valid.
    // `errorOut` (optional) receives 0 or GetLastError().
    int Open(LPCSTR path, DWORD access, int* errorOut = nullptr);
    // Opens the device of a drive letter, \\.\E: for 'E'.
    int OpenDriveLetter(int letter, DWORD access, int* errorOut = nullptr);
    // Uses a handle that the caller keeps owning.
    void Attach(HANDLE handle);
    int IsOpen() const;

    // One DeviceIoControl; returns 0 or the Win32 error of the failure.
    DWORD Control(DWORD code, LPVOID inBuffer, DWORD inSize, LPVOID outBuffer, DWORD outSize,
                  LPDWORD bytesReturned, LPOVERLAPPED overlapped);
    DWORD ControlOut(DWORD code, LPVOID outBuffer, DWORD outSize, LPDWORD bytesReturned);

  protected:
    HANDLE m_handle;
    int m_owns;

  private:
    // Gives up a handle this object opened itself, so replacing it neither leaks it nor
    // later closes a handle that belongs to someone else.
    void Release();
};
