// CreateFileA, CloseHandle, FlushFileBuffers, DeviceIoControl. Device paths (\\.\...) are the
// active machine's; every other path is a file of the real file system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "winapi/file_objects.h"
#include "winapi/winbase.h"

namespace winapi {

FileObject::~FileObject() { ::close(m_fd); }

}  // namespace winapi

namespace {

bool IsDevicePath(const char* path) { return std::strncmp(path, "\\\\.\\", 4) == 0; }

DWORD ErrorFromErrno(int e) {
    switch (e) {
        case ENOENT:
            return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return ERROR_ACCESS_DENIED;
        case EEXIST:
            return ERROR_FILE_EXISTS;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_GEN_FAILURE;
    }
}

bool ParentExists(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return true;
    struct stat st;
    return ::stat(slash == 0 ? "/" : path.substr(0, slash).c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

HANDLE OpenFile(LPCSTR path, DWORD access, DWORD disposition) {
    int flags = O_CLOEXEC;
    bool reads = (access & GENERIC_READ) != 0;
    bool writes = (access & GENERIC_WRITE) != 0;
    flags |= writes ? (reads ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (disposition) {
        case CREATE_NEW:
            flags |= O_CREAT | O_EXCL;
            break;
        case CREATE_ALWAYS:
            flags |= O_CREAT | O_TRUNC;
            break;
        case OPEN_EXISTING:
            break;
        case OPEN_ALWAYS:
            flags |= O_CREAT;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
    }
    int fd = ::open(path, flags, 0666);
    if (fd < 0) {
        DWORD error = ErrorFromErrno(errno);
        // As on Windows: a missing folder on the way is another error than a missing file.
        if (error == ERROR_FILE_NOT_FOUND && !ParentExists(path)) error = ERROR_PATH_NOT_FOUND;
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    return winapi::HandleTable::Add(std::make_shared<winapi::FileObject>(fd));
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                          LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition, DWORD, HANDLE) {
    if (lpFileName == nullptr || *lpFileName == '\0') {
        SetLastError(lpFileName == nullptr ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (!IsDevicePath(lpFileName))
        return OpenFile(lpFileName, dwDesiredAccess, dwCreationDisposition);
    DWORD error = ERROR_FILE_NOT_FOUND;
    std::unique_ptr<machine::Device> device =
        machine::Active().OpenDevice(lpFileName, dwDesiredAccess, dwShareMode, error);
    if (!device) {
        SetLastError(error == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : error);
        return INVALID_HANDLE_VALUE;
    }
    return winapi::HandleTable::Add(std::make_shared<winapi::DeviceObject>(std::move(device)));
}

BOOL WINAPI CloseHandle(HANDLE hObject) {
    auto object = winapi::HandleTable::Find(hObject);
    if (!object || !object->ClosableByCloseHandle() || !winapi::HandleTable::Remove(hObject)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE hFile) {
    auto object = winapi::HandleTable::Find(hFile);
    DWORD error = ERROR_INVALID_HANDLE;
    if (auto file = std::dynamic_pointer_cast<winapi::FileObject>(object)) {
        error = ::fsync(file->fd()) == 0 ? ERROR_SUCCESS : ErrorFromErrno(errno);
    } else if (auto device = std::dynamic_pointer_cast<winapi::DeviceObject>(object)) {
        error = device->device().Flush();
    }
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI DeviceIoControl(HANDLE hDevice, DWORD dwIoControlCode, LPVOID lpInBuffer,
                            DWORD nInBufferSize, LPVOID lpOutBuffer, DWORD nOutBufferSize,
                            LPDWORD lpBytesReturned, LPOVERLAPPED lpOverlapped) {
    auto object = winapi::HandleTable::Find(hDevice);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Without an OVERLAPPED structure Windows needs somewhere to put the count.
    if (lpBytesReturned == nullptr && lpOverlapped == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD returned = 0;
    DWORD error = ERROR_INVALID_FUNCTION;
    if (auto device = std::dynamic_pointer_cast<winapi::DeviceObject>(object)) {
        error = device->device().IoControl(dwIoControlCode, lpInBuffer, nInBufferSize, lpOutBuffer,
                                           nOutBufferSize, returned);
    }
    if (lpBytesReturned != nullptr) *lpBytesReturned = returned;
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}
