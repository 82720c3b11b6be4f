// A private-profile (INI) file, read and written through the section and key operations of
// the Windows services.
#pragma once

#include <memory>

#include "framework/afxstr.h"
#include "winapi/windef.h"

class CProfileFile {
  public:
    // Results of the operations.
    enum {
        kStatusOk = 0,
        kStatusNoBuffer = 1,     // the work buffer could not be allocated
        kStatusWriteFailed = 5,  // the platform refused or failed a write
    };
    static constexpr DWORD kBufferSize = 32767;

    // Without a path (or with an empty one), the program's own path with its extension
    // replaced by ".INI".
    explicit CProfileFile(const CString& path = CString());
    CProfileFile(const CProfileFile&) = delete;
    CProfileFile& operator=(const CProfileFile&) = delete;
    virtual ~CProfileFile();

    void SetPath(const CString& path) { m_path = path; }
    const CString& GetPath() const { return m_path; }

    int GetSectionNames(CStringList& names);
    int GetKeyNames(const CString& section, CStringList& names);
    // A missing key reads as empty.
    int ReadString(const CString& section, const CString& key, CString& value);
    // Creates the file, the section or the key as needed.
    int WriteString(const CString& section, const CString& key, const CString& value);
    int DeleteSection(const CString& section);

    // The program file's path with the extension of its file name replaced by ".INI"
    // (".INI" appended when the file name has none).
    static CString DefaultPath();

  private:
    int ReadNames(const char* section, CStringList& names);

    std::unique_ptr<char[]> m_buffer;  // every read goes through it
    CString m_path;
};
