// Shared test fixtures: temporary folders and simulated machines written as text.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "machine/sim/sim_machine.h"

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    // path() + "/" + name.
    std::string File(const std::string& name) const;
    // Writes a file in the folder (creating folders on the way) and returns its path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::vector<uint8_t> Read(const std::string& name) const;

  private:
    std::string m_path;
};

// Builds a simulated machine from a description and makes it the active machine for the
// lifetime of this object; the machine that was active before comes back afterwards.
// A description with a mistake fails the test with the parser's message and leaves an empty
// machine active, so the test goes on without crashing.
class SimMachineScope {
  public:
    explicit SimMachineScope(const std::string& description,
                             const std::string& baseDir = std::string());
    ~SimMachineScope();
    SimMachineScope(const SimMachineScope&) = delete;
    SimMachineScope& operator=(const SimMachineScope&) = delete;

    machine::sim::SimMachine& sim() { return *m_sim; }
    machine::sim::SimMachine* operator->() { return m_sim; }
    // The drive with this name; fails the test when there is none.
    std::shared_ptr<machine::sim::Drive> drive(const std::string& name);

  private:
    machine::sim::SimMachine* m_sim = nullptr;
    std::unique_ptr<machine::sim::ScopedMachine> m_scope;
};

// Sets an environment variable for the lifetime of this object (unset when value is null).
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();

  private:
    std::string m_name;
    bool m_had;
    std::string m_old;
};

}  // namespace testsupport
