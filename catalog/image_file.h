// The firmware image catalogue: the *.bin files of a directory that carry a valid
// identification block.
#pragma once

#include "catalog/image_entry.h"
#include "framework/file.h"
#include "winapi/winbase.h"

// The identification block: 40 bytes at the first of these offsets where it is valid.
constexpr int kIdentificationLength = 40;
constexpr DWORD kIdentificationOffsets[] = {0, 0x20000, 0x8000};

class CImageFile : public CFile {
  public:
    CImageFile();
    ~CImageFile() override;

    void SetFilePath(LPCSTR newName) override;

    // Replaces the list's contents by the identified images of `directory` (the program's
    // own directory when null or empty), in directory-search order; returns the count.
    // A seek or read error of the file class leaves as the CFileException* it threw.
    int Scan(CImageEntryList& list, LPCSTR directory = nullptr);
    // Fills the entry from the search result and the file's identification block; 1 when a
    // valid block was found, 0 when the file cannot be opened or carries none.
    int ReadIdentification(const WIN32_FIND_DATAA& found, ImageEntry& entry, LPCSTR directory);
    // Sets `directory` to the running program's directory; returns its length.
    static int ModuleDirectory(CString& directory);
};
