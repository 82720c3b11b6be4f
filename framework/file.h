// The class library's binary file: open, read, write, seek and status of an ordinary file.
// As in the class library, a failed read, write or seek throws a CFileException allocated
// with `new`; the catcher takes it by pointer and releases it with Delete():
//
//     try { file.Read(buffer, size); } catch (CFileException* e) { e->Delete(); ... }
//
// Sharing flags are accepted for compatibility; the POSIX file system does not enforce them.
#pragma once

#include <ctime>

#include "framework/afxstr.h"
#include "winapi/windef.h"

// Base of the class library's exceptions.
class CException {
  public:
    virtual ~CException() = default;
    // Releases an exception that was thrown with `throw new`.
    void Delete() { delete this; }

  protected:
    CException() = default;
};

class CFileException : public CException {
  public:
    enum {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    explicit CFileException(int cause = none, LONG osError = -1, LPCSTR fileName = nullptr);

    // The cause that an operating-system error number (errno) stands for.
    static int OsErrorToException(LONG osError);
    static void ThrowOsError(LONG osError, LPCSTR fileName = nullptr);

    int m_cause;
    LONG m_lOsError;  // errno of the failed call, -1 when there was none
    CString m_strFileName;
};

// A point in time, in seconds since 1970 (UTC).
class CTime {
  public:
    CTime() = default;
    explicit CTime(time_t time) : m_time(time) {}
    time_t GetTime() const { return m_time; }
    bool operator==(const CTime& other) const { return m_time == other.m_time; }
    bool operator!=(const CTime& other) const { return m_time != other.m_time; }

  private:
    time_t m_time = 0;
};

struct CFileStatus {
    CTime m_ctime;
    CTime m_mtime;
    CTime m_atime;
    LONG m_size = 0;  // the low 32 bits of the size, as a signed number
    BYTE m_attribute = 0;
    BYTE _m_padding = 0;
    char m_szFullName[MAX_PATH] = {};
};

class CFile {
  public:
    enum OpenFlags {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum Attribute {
        normal = 0x00,
        readOnly = 0x01,
        hidden = 0x02,
        system = 0x04,
        volume = 0x08,
        directory = 0x10,
        archive = 0x20,
    };
    enum SeekPosition { begin = 0x0, current = 0x1, end = 0x2 };
    static constexpr UINT hFileNull = static_cast<UINT>(-1);

    CFile();
    // Opens at once; throws a CFileException* when the file does not open.
    CFile(LPCSTR fileName, UINT openFlags);
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    // Closes the file when it is still open; never throws.
    virtual ~CFile();

    // Opens an ordinary file (directories and other special files are refused). On failure
    // returns FALSE and, when `error` is given, fills in the cause and the file name.
    virtual BOOL Open(LPCSTR fileName, UINT openFlags, CFileException* error = nullptr);
    // Reads up to `count` bytes; fewer only at the end of the file. Throws on an error.
    virtual UINT Read(void* buffer, UINT count);
    // Writes all `count` bytes or throws.
    virtual void Write(const void* buffer, UINT count);
    // Moves the position (from begin, current or end) and returns the new one; throws
    // badSeek for a position before the start of the file.
    virtual LONG Seek(LONG offset, UINT from);
    void SeekToBegin() { Seek(0, begin); }
    DWORD SeekToEnd() { return static_cast<DWORD>(Seek(0, end)); }
    virtual DWORD GetPosition() const;
    virtual DWORD GetLength() const;
    virtual void Flush();
    // Closes the file; throws when the operating system reports an error on closing.
    virtual void Close();
    // Closes the file without throwing.
    virtual void Abort();
    // Size, times, attributes and full path of the open file; FALSE when they cannot be read.
    virtual BOOL GetStatus(CFileStatus& status) const;

    virtual CString GetFileName() const;  // the name without its directory
    virtual CString GetFilePath() const;  // the full path
    virtual void SetFilePath(LPCSTR newName);

    UINT m_hFile;  // the POSIX file descriptor, or hFileNull

  protected:
    CString m_strFileName;

  private:
    [[noreturn]] void ThrowError(int cause, int osError) const;
};
