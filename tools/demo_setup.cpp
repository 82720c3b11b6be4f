// cdrw_demo_setup: prepares a folder in which cdrwupdate runs on a simulated machine.
//
//   cdrw_demo_setup --dir DIR [--platform 1|2] [--phase-ms N] [--block-ms N] [--virtual-clock]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "tools/demo_files.h"

namespace {

int Usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s --dir DIR [--platform 1|2] [--phase-ms N] [--block-ms N] "
                 "[--virtual-clock]\n",
                 program);
    return 2;
}

bool ReadNumber(const char* text, int low, int high, int& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < low || value > high) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    demo::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--dir" && hasValue) {
            options.dir = argv[++i];
        } else if (arg == "--platform" && hasValue) {
            if (!ReadNumber(argv[++i], 1, 2, options.platform)) return Usage(argv[0]);
        } else if (arg == "--phase-ms" && hasValue) {
            if (!ReadNumber(argv[++i], 0, 600000, options.phaseMs)) return Usage(argv[0]);
        } else if (arg == "--block-ms" && hasValue) {
            if (!ReadNumber(argv[++i], 0, 60000, options.blockMs)) return Usage(argv[0]);
        } else if (arg == "--virtual-clock") {
            options.virtualClock = true;
        } else {
            return Usage(argv[0]);
        }
    }
    if (options.dir.empty()) {
        return Usage(argv[0]);
    }
    if (options.dir.front() != '/') {
        char* cwd = getcwd(nullptr, 0);
        if (cwd == nullptr) {
            std::perror("getcwd");
            return 1;
        }
        options.dir = std::string(cwd) + "/" + options.dir;
        std::free(cwd);
    }
    const std::string error = demo::WriteDemo(options);
    if (!error.empty()) {
        std::fprintf(stderr, "%s: %s\n", argv[0], error.c_str());
        return 1;
    }
    return 0;
}
