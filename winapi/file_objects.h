// What CreateFileA hands out: a real file, or a device of the active machine.
#pragma once

#include <memory>
#include <string>

#include "machine/machine.h"
#include "winapi/handle_table.h"

namespace winapi {

class FileObject : public KernelObject {
  public:
    explicit FileObject(int fd) : m_fd(fd) {}
    ~FileObject() override;
    int fd() const { return m_fd; }

  private:
    int m_fd;
};

class DeviceObject : public KernelObject {
  public:
    explicit DeviceObject(std::unique_ptr<machine::Device> device) : m_device(std::move(device)) {}
    machine::Device& device() { return *m_device; }

  private:
    std::unique_ptr<machine::Device> m_device;
};

}  // namespace winapi
