// One firmware image file with the identification that its header carries.
#pragma once

#include <cstdint>

#include "framework/afxstr.h"
#include "winapi/windef.h"

struct ImageEntry {
    CString fileName;       // as the directory search returned it, without a directory
    CString path;           // directory, separator, file name
    CString vendor;         // identification bytes 10-17
    CString product;        // identification bytes 19-34
    CString revision;       // identification bytes 36-39
    CString typeCode;       // identification bytes 4-9, compared with the drive's type code
    uint32_t fileSize = 0;  // low 32 bits of the size
    FILETIME lastWriteTime = {0, 0};
};

using CImageEntryList = CTypedList<ImageEntry>;
