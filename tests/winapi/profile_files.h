// Whole-file helpers for the tests of the profile functions, the parameter file and the
// image catalogue, on top of the shared temporary folders and simulated machines.
#pragma once

#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/sim_fixture.h"

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The description of a simulated machine, without drives, whose program file is `path`.
inline std::string ProgramAt(const std::string& path) {
    return "[machine]\nprogram = " + path + "\n";
}
