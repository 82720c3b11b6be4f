#include "tools/demo_files.h"

#include <sys/stat.h>
#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace demo {

namespace {

// Three drives the program supports (an ATAPI and a SCSI writer whose type codes it reads,
// and a DVD drive it matches by vendor and product) and a hard disk it passes by.
struct DemoDrive {
    const char* name;
    const char* form;
    const char* model;
    const char* revision;
    const char* typeCode;
    uint32_t typeCodeOffset;
    int port, target, adapter;
    char letter;
};

const DemoDrive kDrives[] = {
    {"writer", "atapi", "CD-R/RW KP2140A", "1.10", "KA2140", 0x4, 0, 0, 0, 'E'},
    {"scsi", "scsi", "CD-R/RW KP2140S", "1.00", "KS2140", 0x4, 1, 3, 1, 'F'},
    {"dvd", "atapi", "DVD/CDRW KP5470", "2.00", "DV5470", 0x8004, 0, 1, 0, 'G'},
};

constexpr int64_t kDay = 24 * 60 * 60;
constexpr int64_t k2001_03_01 = 983404800;

std::string Padded(const std::string& text, size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

void Put(std::vector<uint8_t>& bytes, size_t at, const std::string& text, size_t width) {
    for (size_t i = 0; i < width && i < text.size() && at + i < bytes.size(); ++i) {
        bytes[at + i] = static_cast<uint8_t>(text[i]);
    }
}

// A value of the description in double quotes, so blanks and comment marks in a folder
// name stay part of it.
std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

std::string WriteFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) {
        return "cannot write " + path + ": " + std::strerror(errno);
    }
    return {};
}

}  // namespace

const std::vector<SampleImage>& SampleImages() {
    static const std::vector<SampleImage> images = {
        // Two for the ATAPI writer: the newer one is preselected.
        {"KP2140A_120.BIN", "KA2140", "        ", "CD-R/RW KP2140A ", "1.20", 0, "", 0, 256 * 1024,
         k2001_03_01 + 200 * kDay},
        {"KP2140A_115.BIN", "KA2140", "        ", "CD-R/RW KP2140A ", "1.15", 0, "", 0, 256 * 1024,
         k2001_03_01 + 90 * kDay},
        {"KP2140S_110.bin", "KS2140", "        ", "CD-R/RW KP2140S ", "1.10", 0, "", 0, 192 * 1024,
         k2001_03_01 + 120 * kDay},
        // The DVD drive's type code is not read: its image is found by vendor and product,
        // and carries the code only where the drive itself checks it.
        {"KP5470_210.bin", "", "        ", "DVD/CDRW KP5470 ", "2.10", 0, "DV5470", 0x8004,
         320 * 1024, k2001_03_01 + 150 * kDay},
        // Fits none of the drives.
        {"XR1_090.bin", "ZZ9999", "ACME    ", "CD-RW XR-1      ", "0.90", 0, "", 0, 128 * 1024,
         k2001_03_01 + 30 * kDay},
    };
    return images;
}

std::vector<uint8_t> ImageBytes(const SampleImage& image) {
    std::vector<uint8_t> bytes(image.size);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    }
    const size_t block = image.blockOffset;
    std::fill(bytes.begin() + block, bytes.begin() + block + 40, 0);
    Put(bytes, block + 4, image.typeCode, 6);
    Put(bytes, block + 10, Padded(image.vendor, 8), 8);
    Put(bytes, block + 19, Padded(image.product, 16), 16);
    Put(bytes, block + 36, Padded(image.revision, 4), 4);
    if (!image.rawCode.empty()) {
        Put(bytes, image.rawCodeOffset, image.rawCode, 6);
    }
    return bytes;
}

std::string MachineDescription(const Options& options) {
    const bool aspi = options.platform == 1;
    std::ostringstream d;
    d << "# The demo's machine: written by cdrw_demo_setup, rewritten on every run.\n"
      << "[machine]\n"
      << "platform = " << options.platform << "\n"
      << "clock = " << (options.virtualClock ? "virtual" : "real") << "\n"
      << "program = " << Quoted(options.dir + "/CDRWUPD.EXE") << "\n"
      << "power-off = allowed\n";
    for (const DemoDrive& drive : kDrives) {
        d << "\n[drive " << drive.name << "]\n"
          << "form = " << drive.form << "\n"
          << "vendor = \"        \"\n"
          << "model = " << drive.model << "\n"
          << "revision = " << drive.revision << "\n"
          << "type-code = " << drive.typeCode << "\n"
          << "type-code-offset = 0x" << std::hex << drive.typeCodeOffset << std::dec << "\n"
          << "flash-size = 0x100000\n"
          << "phase-ms = " << options.phaseMs << "\n"
          << "nt = port " << drive.port << " target " << drive.target << "\n"
          << "names = CdRom" << (&drive - kDrives) << "\n"
          << "letter = " << drive.letter << "\n"
          << "aspi = adapter " << drive.adapter << " target " << drive.target << "\n";
        if (aspi && options.blockMs > 0) {
            // Each image block takes the drive a moment, so the transfer can be watched.
            d << "completion = async E2\n"
              << "completion-delay-ms = " << options.blockMs << "\n";
        }
    }
    d << "\n[drive disk]\n"
      << "protocol = none\ndevice-type = 0\nrmb = no\nansi = 2\n"
      << "vendor = IBM\nmodel = DDRS-34560\n"
      << "nt = port 0 target 2\nnames = PhysicalDrive0\n"
      << "aspi = adapter 0 target 2\n"
      << "\n[letter C]\ntype = fixed\n";
    if (aspi) {
        d << "\n[aspi]\n"
          << "[adapter 0]\nidentifier = ATAPI\n"
          << "[adapter 1]\nidentifier = AHA-2940\n";
    }
    return d.str();
}

std::string EditorParameterFile() {
    return "[NXB-A]\nMODELNAME=CD-R/RW KP2140A\nATAPI=TRUE\nTC_ENABLE=TRUE\nTC_OFFSET=4\n"
           "[NXB-S]\nMODELNAME=CD-R/RW KP2140S\nATAPI=FALSE\nTC_ENABLE=TRUE\nTC_OFFSET=4\n"
           "[NXB-DVD]\nMODELNAME=DVD/CDRW KP5470\nATAPI=TRUE\nTC_ENABLE=FALSE\n"
           "TC_OFFSET=8004\n";
}

std::string WriteDemo(const Options& options) {
    if (mkdir(options.dir.c_str(), 0755) != 0 && errno != EEXIST) {
        return "cannot create " + options.dir + ": " + std::strerror(errno);
    }
    if (std::string error = WriteFile(options.dir + "/machine.txt", MachineDescription(options));
        !error.empty()) {
        return error;
    }
    for (const SampleImage& image : SampleImages()) {
        const std::vector<uint8_t> bytes = ImageBytes(image);
        const std::string path = options.dir + "/" + image.fileName;
        if (std::string error = WriteFile(path, std::string(bytes.begin(), bytes.end()));
            !error.empty()) {
            return error;
        }
        const timeval times[2] = {{static_cast<time_t>(image.modified), 0},
                                  {static_cast<time_t>(image.modified), 0}};
        if (utimes(path.c_str(), times) != 0) {
            return "cannot date " + path + ": " + std::strerror(errno);
        }
    }
    const std::string params = options.dir + "/params.ini";
    struct stat st;
    if (stat(params.c_str(), &st) != 0) {
        return WriteFile(params, EditorParameterFile());
    }
    return {};
}

}  // namespace demo
