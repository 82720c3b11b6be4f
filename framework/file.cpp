#include "framework/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "framework/file_faults.h"

CFileException::CFileException(int cause, LONG osError, LPCSTR fileName)
    : m_cause(cause), m_lOsError(osError), m_strFileName(fileName != nullptr ? fileName : "") {}

int CFileException::OsErrorToException(LONG osError) {
    switch (osError) {
        case 0:
            return none;
        case ENOENT:
            return fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return badPath;
        case EMFILE:
        case ENFILE:
            return tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return accessDenied;
        case EBADF:
            return invalidFile;
        case EINVAL:
        case ESPIPE:
        case EOVERFLOW:
            return badSeek;
        case EIO:
            return hardIO;
        case EBUSY:
        case ETXTBSY:
            return sharingViolation;
        case ENOLCK:
            return lockViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return diskFull;
        default:
            return genericException;
    }
}

void CFileException::ThrowOsError(LONG osError, LPCSTR fileName) {
    if (osError != 0) {
        throw new CFileException(OsErrorToException(osError), osError, fileName);
    }
}

CFile::CFile() : m_hFile(hFileNull) {}

CFile::CFile(LPCSTR fileName, UINT openFlags) : m_hFile(hFileNull) {
    CFileException error;
    if (!Open(fileName, openFlags, &error)) {
        throw new CFileException(error);
    }
}

CFile::~CFile() { Abort(); }

BOOL CFile::Open(LPCSTR fileName, UINT openFlags, CFileException* error) {
    Abort();
    const std::string fullPath = file_faults::FullPath(fileName != nullptr ? fileName : "");
    auto fail = [&](int cause, int osError) {
        if (error != nullptr) {
            *error = CFileException(cause, osError, fullPath.c_str());
        }
        return FALSE;
    };
    if (fileName == nullptr || fileName[0] == '\0') {
        return fail(CFileException::badPath, ENOENT);
    }
    if (file_faults::Lookup(fullPath).open) {
        return fail(CFileException::sharingViolation, EBUSY);
    }

    int flags = O_CLOEXEC | O_NONBLOCK;  // no blocking open of a FIFO that matched a name
    switch (openFlags & 0x3) {
        case modeWrite:
            flags |= O_WRONLY;
            break;
        case modeReadWrite:
            flags |= O_RDWR;
            break;
        default:
            flags |= O_RDONLY;
            break;
    }
    if (openFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(openFlags & modeNoTruncate)) {
            flags |= O_TRUNC;
        }
    }
    const int fd = ::open(fileName, flags, 0666);
    if (fd < 0) {
        const int e = errno;
        return fail(CFileException::OsErrorToException(e), e);
    }
    // As on Windows, only ordinary files open as files: a directory whose name matched a
    // search pattern is refused like one there.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(CFileException::accessDenied, EISDIR);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_hFile = static_cast<UINT>(fd);
    SetFilePath(fullPath.c_str());
    return TRUE;
}

void CFile::ThrowError(int cause, int osError) const {
    throw new CFileException(cause, osError, m_strFileName.c_str());
}

UINT CFile::Read(void* buffer, UINT count) {
    if (m_hFile == hFileNull) {
        ThrowError(CFileException::invalidFile, EBADF);
    }
    if (count == 0) {
        return 0;
    }
    const file_faults::Armed armed = file_faults::Lookup(m_strFileName);
    if (armed.read) {
        const off_t position = ::lseek(static_cast<int>(m_hFile), 0, SEEK_CUR);
        if (position >= 0 && static_cast<uint64_t>(position) + count > armed.readOffset) {
            ThrowError(CFileException::hardIO, EIO);
        }
    }
    char* out = static_cast<char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::read(static_cast<int>(m_hFile), out + done, count - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int e = errno;
            ThrowError(CFileException::OsErrorToException(e), e);
        }
        if (n == 0) {
            break;
        }
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* buffer, UINT count) {
    if (m_hFile == hFileNull) {
        ThrowError(CFileException::invalidFile, EBADF);
    }
    const char* in = static_cast<const char*>(buffer);
    UINT done = 0;
    while (done < count) {
        const ssize_t n = ::write(static_cast<int>(m_hFile), in + done, count - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int e = errno;
            ThrowError(CFileException::OsErrorToException(e), e);
        }
        if (n == 0) {
            ThrowError(CFileException::diskFull, ENOSPC);
        }
        done += static_cast<UINT>(n);
    }
}

LONG CFile::Seek(LONG offset, UINT from) {
    if (m_hFile == hFileNull) {
        ThrowError(CFileException::invalidFile, EBADF);
    }
    int whence;
    switch (from) {
        case begin:
            whence = SEEK_SET;
            break;
        case current:
            whence = SEEK_CUR;
            break;
        case end:
            whence = SEEK_END;
            break;
        default:
            ThrowError(CFileException::badSeek, EINVAL);
    }
    if (file_faults::Lookup(m_strFileName).seek) {
        ThrowError(CFileException::badSeek, EIO);
    }
    const off_t position = ::lseek(static_cast<int>(m_hFile), offset, whence);
    if (position < 0) {
        ThrowError(CFileException::badSeek, errno);
    }
    return static_cast<LONG>(position);
}

DWORD CFile::GetPosition() const {
    if (m_hFile == hFileNull) {
        ThrowError(CFileException::invalidFile, EBADF);
    }
    const off_t position = ::lseek(static_cast<int>(m_hFile), 0, SEEK_CUR);
    if (position < 0) {
        ThrowError(CFileException::badSeek, errno);
    }
    return static_cast<DWORD>(position);
}

DWORD CFile::GetLength() const {
    struct stat st;
    if (m_hFile == hFileNull || ::fstat(static_cast<int>(m_hFile), &st) != 0) {
        ThrowError(CFileException::invalidFile, m_hFile == hFileNull ? EBADF : errno);
    }
    return static_cast<DWORD>(st.st_size);
}

void CFile::Flush() {
    if (m_hFile != hFileNull && ::fsync(static_cast<int>(m_hFile)) != 0) {
        ThrowError(CFileException::OsErrorToException(errno), errno);
    }
}

void CFile::Close() {
    if (m_hFile == hFileNull) {
        return;
    }
    const int fd = static_cast<int>(m_hFile);
    m_hFile = hFileNull;
    if (::close(fd) != 0 && errno != EINTR) {
        ThrowError(CFileException::OsErrorToException(errno), errno);
    }
}

void CFile::Abort() {
    if (m_hFile != hFileNull) {
        ::close(static_cast<int>(m_hFile));
        m_hFile = hFileNull;
    }
}

BOOL CFile::GetStatus(CFileStatus& status) const {
    struct stat st;
    if (m_hFile == hFileNull || file_faults::Lookup(m_strFileName).status ||
        ::fstat(static_cast<int>(m_hFile), &st) != 0) {
        return FALSE;
    }
    status.m_ctime = CTime(st.st_ctime);
    status.m_mtime = CTime(st.st_mtime);
    status.m_atime = CTime(st.st_atime);
    status.m_size = static_cast<LONG>(static_cast<uint32_t>(st.st_size));
    status.m_attribute = (st.st_mode & 0222) == 0 ? readOnly : normal;
    status._m_padding = 0;
    std::memset(status.m_szFullName, 0, sizeof status.m_szFullName);
    m_strFileName.copy(status.m_szFullName, sizeof status.m_szFullName - 1);
    return TRUE;
}

CString CFile::GetFileName() const {
    const size_t slash = m_strFileName.find_last_of('/');
    return slash == CString::npos ? m_strFileName : m_strFileName.substr(slash + 1);
}

CString CFile::GetFilePath() const { return m_strFileName; }

void CFile::SetFilePath(LPCSTR newName) { m_strFileName = newName != nullptr ? newName : ""; }
