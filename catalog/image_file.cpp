#include "catalog/image_file.h"

#include <memory>

namespace {

const char kSeparator = '/';

struct TextField {
    int offset;
    int length;
    CString ImageEntry::*target;
};

// Checked in this order; the first invalid field rejects the block.
const TextField kFields[] = {
    {4, 6, &ImageEntry::typeCode},
    {10, 8, &ImageEntry::vendor},
    {19, 16, &ImageEntry::product},
    {36, 4, &ImageEntry::revision},
};

// Valid when every byte before the first NUL (or every byte, without one) is printable
// ASCII; the value is those bytes.
bool ReadTextField(const unsigned char* block, const TextField& field, CString& value) {
    value.clear();
    for (int i = 0; i < field.length; ++i) {
        const unsigned char c = block[field.offset + i];
        if (c == 0) {
            break;
        }
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
        value += static_cast<char>(c);
    }
    return true;
}

bool ReadBlock(const unsigned char* block, ImageEntry& entry) {
    CString values[sizeof kFields / sizeof kFields[0]];
    for (size_t i = 0; i < sizeof kFields / sizeof kFields[0]; ++i) {
        if (!ReadTextField(block, kFields[i], values[i])) {
            return false;
        }
    }
    for (size_t i = 0; i < sizeof kFields / sizeof kFields[0]; ++i) {
        entry.*kFields[i].target = values[i];
    }
    return true;
}

}  // namespace

CImageFile::CImageFile() = default;

CImageFile::~CImageFile() = default;

void CImageFile::SetFilePath(LPCSTR newName) { m_strFileName = newName != nullptr ? newName : ""; }

int CImageFile::ModuleDirectory(CString& directory) {
    directory.clear();
    // Linux paths may be longer than MAX_PATH: grow until the path is not cut.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::unique_ptr<char[]> buffer(new char[size]());
        const DWORD length = GetModuleFileNameA(nullptr, buffer.get(), size);
        if (length < size) {
            directory.assign(buffer.get(), length);
            break;
        }
    }
    const size_t separator = directory.find_last_of(kSeparator);
    // A bare program name lies in the current directory.
    directory = separator == CString::npos ? CString(".") : directory.substr(0, separator);
    return static_cast<int>(directory.size());
}

int CImageFile::ReadIdentification(const WIN32_FIND_DATAA& found, ImageEntry& entry,
                                   LPCSTR directory) {
    entry.fileName = found.cFileName;
    entry.fileSize = found.nFileSizeLow;
    entry.lastWriteTime = found.ftLastWriteTime;
    entry.path = CString(directory != nullptr ? directory : "") + kSeparator + entry.fileName;

    if (!Open(entry.path.c_str(), modeRead | shareDenyWrite)) {
        return 0;  // a directory that matched the pattern, a file locked against readers
    }
    bool identified = false;
    try {
        unsigned char block[kIdentificationLength];
        for (DWORD offset : kIdentificationOffsets) {
            Seek(static_cast<LONG>(offset), begin);
            if (Read(block, kIdentificationLength) < kIdentificationLength) {
                continue;  // the file ends before the block would
            }
            if (ReadBlock(block, entry)) {
                identified = true;
                break;
            }
        }
    } catch (CFileException*) {
        Abort();
        throw;
    }
    Close();
    return identified ? 1 : 0;
}

int CImageFile::Scan(CImageEntryList& list, LPCSTR directory) {
    list.clear();
    CString folder = directory != nullptr ? directory : "";
    if (folder.empty()) {
        ModuleDirectory(folder);
    }
    const CString pattern = folder + kSeparator + "*.bin";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    try {
        do {
            ImageEntry entry;
            if (ReadIdentification(found, entry, folder.c_str()) == 1) {
                list.push_back(entry);
            }
        } while (FindNextFileA(search, &found));
    } catch (CFileException*) {
        FindClose(search);  // the exception goes on to the caller, the search does not leak
        throw;
    }
    FindClose(search);
    return static_cast<int>(list.size());
}
