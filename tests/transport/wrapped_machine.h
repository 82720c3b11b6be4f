// A simulated machine behind a wrapper, so that a test can change one of its answers and
// forward everything else.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "machine/sim/sim_machine.h"

class WrappedMachine : public machine::Machine {
  public:
    explicit WrappedMachine(const std::string& description) {
        std::string error;
        m_inner = machine::sim::SimMachine::FromText(description, error);
        EXPECT_TRUE(m_inner != nullptr) << error;
        if (!m_inner) m_inner = machine::sim::SimMachine::FromText("", error);
    }

    bool Version(OSVERSIONINFOA& info) override { return m_inner->Version(info); }
    std::unique_ptr<machine::Device> OpenDevice(const std::string& path, DWORD access, DWORD share,
                                                DWORD& error) override {
        return m_inner->OpenDevice(path, access, share, error);
    }
    std::shared_ptr<machine::Module> LoadModule(const std::string& name, DWORD& error) override {
        return m_inner->LoadModule(name, error);
    }
    DWORD LogicalDrives() override { return m_inner->LogicalDrives(); }
    UINT DriveType(const std::string& rootPath) override { return m_inner->DriveType(rootPath); }
    std::vector<std::string> DosDeviceNames() override { return m_inner->DosDeviceNames(); }
    bool DosDeviceTarget(const std::string& name, std::string& target) override {
        return m_inner->DosDeviceTarget(name, target);
    }
    std::string ModuleFileName() override { return m_inner->ModuleFileName(); }
    machine::Clock& clock() override { return m_inner->clock(); }
    bool MayPowerOff() override { return m_inner->MayPowerOff(); }
    bool PowerOff(UINT flags) override { return m_inner->PowerOff(flags); }
    DWORD CreateEventError() override { return m_inner->CreateEventError(); }
    bool WaitFails() override { return m_inner->WaitFails(); }

  protected:
    std::unique_ptr<machine::sim::SimMachine> m_inner;
};
