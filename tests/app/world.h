// What the program's dialogs find on a simulated machine: a program folder with firmware
// images and a parameter file beside the program, and the drives the machine reports.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "app/updater_app.h"
#include "res/resource.h"
#include "tests/support/sim_fixture.h"

namespace apptest {

constexpr size_t kBlock = 0x4000;

// A firmware image with its identification block at offset 0. Fields shorter than their
// width end with a NUL, as a header generator writes them.
struct ImageSpec {
    std::string name;
    std::string typeCode = "ABC123";
    std::string vendor = "        ";
    std::string product = "CD-R/RW KP2140A ";
    std::string revision = "2.00";
    size_t size = 4 * kBlock;
    time_t mtime = 1000000000;  // seconds since 1970
};

inline void PutField(std::vector<uint8_t>& bytes, size_t at, size_t width,
                     const std::string& text) {
    std::copy_n(text.begin(), std::min(width, text.size()), bytes.begin() + at);
}

inline std::vector<uint8_t> ImageBytes(const ImageSpec& image) {
    std::vector<uint8_t> bytes(image.size);
    for (size_t i = 40; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);  // any firmware body
    }
    if (bytes.size() >= 40) {
        std::fill_n(bytes.begin(), 40, 0);
        PutField(bytes, 4, 6, image.typeCode);
        PutField(bytes, 10, 8, image.vendor);
        PutField(bytes, 19, 16, image.product);
        PutField(bytes, 36, 4, image.revision);
    }
    return bytes;
}

// The program folder and the text of the machine that runs the program from it.
class World {
  public:
    // A supported ATAPI drive of built-in model KP2140A on an NT SCSI port, reached as CdRomN.
    // Ports are found from 0 upwards until one is missing.
    static std::string Drive(const std::string& name, int port, int target, int cdrom,
                             const std::string& typeCode = "ABC123",
                             const std::string& extra = std::string()) {
        return "[drive " + name +
               "]\nmodel = CD-R/RW KP2140A\nrevision = 1.00\ntype-code = " + typeCode +
               "\nnt = port " + std::to_string(port) + " bus 0 target " + std::to_string(target) +
               " lun 0\nnames = CdRom" + std::to_string(cdrom) + "\n" + extra;
    }

    std::string ProgramPath() const { return dir.File("UPDATE.EXE"); }
    std::string IniPath() const { return dir.File("UPDATE.INI"); }

    std::string AddImage(const ImageSpec& image) const {
        const std::string path = dir.Write(image.name, ImageBytes(image));
        SetTime(path, image.mtime);
        return path;
    }
    static void SetTime(const std::string& path, time_t seconds) {
        const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
            ADD_FAILURE() << "cannot set the time of " << path;
        }
    }

    // The machine's description: platform, the program in this folder, then `body`.
    std::string Machine(const std::string& body, int platform = 2) const {
        return "[machine]\nplatform = " + std::to_string(platform) +
               "\nprogram = " + ProgramPath() + "\n" + body;
    }

    testsupport::TempDir dir;
};

// The dialogs take their icon from the application object: make sure it is linked in.
inline CWinApp& App() { return theApp; }

// Texts of the string table.
inline CString Str(UINT id) { return AfxLoadString(id); }

}  // namespace apptest
