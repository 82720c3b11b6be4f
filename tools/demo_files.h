// What the demo folder holds: a simulated machine with a few supported drives, sample
// firmware images beside the program and a parameter file for the editor.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct Options {
    std::string dir;     // the demo folder (absolute)
    int platform = 1;    // 1: Windows 98 with ASPI, 2: NT with SCSI pass-through
    int phaseMs = 3000;  // how long each flash phase of a drive lasts
    int blockMs = 60;    // how long a drive takes for one image block (ASPI only)
    bool virtualClock = false;
};

// A firmware image file: the identification block the catalogue reads, at `blockOffset`.
struct SampleImage {
    std::string fileName;
    std::string typeCode;  // empty: the field begins with NUL
    std::string vendor;    // 8 characters
    std::string product;   // 16 characters
    std::string revision;  // 4 characters
    uint32_t blockOffset = 0;
    // A type code the drive checks at `rawCodeOffset`, beside an identification block
    // that carries none (for drives whose type code the program does not read).
    std::string rawCode;
    uint32_t rawCodeOffset = 0;
    uint32_t size = 256 * 1024;
    int64_t modified = 0;  // seconds since 1970
};

const std::vector<SampleImage>& SampleImages();

// The bytes of an image: the identification block, and a pattern elsewhere.
std::vector<uint8_t> ImageBytes(const SampleImage& image);

std::string MachineDescription(const Options& options);
std::string EditorParameterFile();

// Writes the machine description, the images (with their modification times) and, when
// it does not exist yet, the editor's parameter file. Returns an error text, empty on
// success.
std::string WriteDemo(const Options& options);

}  // namespace demo
