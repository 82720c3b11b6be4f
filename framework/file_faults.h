// Test seam: make operations of CFile on one file fail, to exercise the paths that handle
// a file that cannot be read (a bad sector, a file locked by another program). Nothing here
// is active unless a test arms it; Clear() (or a Scope going out of scope) disarms everything.
//
// A path names the file as CFile::Open was given it; relative paths are taken from the
// current directory, so "dir/fw.bin" and "/abs/dir/fw.bin" name the same file.
#pragma once

#include <cstdint>
#include <string>

namespace file_faults {

// Every Open of the file fails with CFileException::sharingViolation, as for a file that
// another program holds locked.
void FailOpen(const std::string& path);
// GetStatus of the open file returns FALSE.
void FailStatus(const std::string& path);
// A Read that would deliver the byte at `offset` or any later byte throws a CFileException
// with cause hardIO; reads that end before it succeed. Offset 0 fails every read.
void FailReadAt(const std::string& path, uint64_t offset);
// Every Seek on the file throws a CFileException with cause badSeek.
void FailSeek(const std::string& path);
// Disarms every fault.
void Clear();

// Disarms every fault when it goes out of scope.
class Scope {
  public:
    Scope() = default;
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    ~Scope() { Clear(); }
};

// Used by CFile: what is armed for a file (by its full path).
struct Armed {
    bool open = false;
    bool status = false;
    bool seek = false;
    bool read = false;
    uint64_t readOffset = 0;
};
Armed Lookup(const std::string& fullPath);
// The full path under which a file is armed and looked up.
std::string FullPath(const std::string& path);

}  // namespace file_faults
