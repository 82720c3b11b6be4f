#include "tests/support/sim_fixture.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace testsupport {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "cdrwtest-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr) {
        ADD_FAILURE() << "cannot create a temporary folder";
        return;
    }
    m_path = buf.data();
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::File(const std::string& name) const { return m_path + "/" + name; }

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    std::string path = File(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) ADD_FAILURE() << "cannot write " << path;
    return path;
}

std::string TempDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    return Write(name, std::string(bytes.begin(), bytes.end()));
}

std::vector<uint8_t> TempDir::Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

SimMachineScope::SimMachineScope(const std::string& description, const std::string& baseDir) {
    std::string error;
    std::unique_ptr<machine::sim::SimMachine> m =
        machine::sim::SimMachine::FromText(description, error, baseDir);
    if (!m) {
        ADD_FAILURE() << "machine description: " << error;
        m = machine::sim::SimMachine::FromText("", error);
    }
    m_sim = m.get();
    m_scope = std::make_unique<machine::sim::ScopedMachine>(std::move(m));
}

SimMachineScope::~SimMachineScope() = default;

std::shared_ptr<machine::sim::Drive> SimMachineScope::drive(const std::string& name) {
    auto d = m_sim->FindDrive(name);
    if (!d) ADD_FAILURE() << "no drive named " << name;
    return d;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name) {
    const char* old = getenv(name);
    m_had = old != nullptr;
    if (m_had) m_old = old;
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
    if (m_had)
        setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

}  // namespace testsupport
