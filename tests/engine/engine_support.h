// What the engine tests share: the events a run posts, firmware images, drive entries and
// a look at what reached a simulated drive.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <atomic>
#include <functional>

#include "engine/drive_controller.h"
#include "engine/drive_entry.h"
#include "framework/wnd.h"
#include "machine/sim/drive.h"
#include "tests/support/sim_fixture.h"

namespace enginetest {

struct PostedMessage {
    HWND hwnd;
    UINT message;
    WPARAM code;
    LPARAM value;
    std::thread::id thread;
};

// Receives everything PostMessageA posts while it exists, for the window `window`. Posting
// returns at once; nothing here ever waits for the poster's receiver.
class PostedEvents {
  public:
    PostedEvents();
    ~PostedEvents();
    PostedEvents(const PostedEvents&) = delete;
    PostedEvents& operator=(const PostedEvents&) = delete;

    std::vector<PostedMessage> All() const;
    // The (event code, value) pairs, in posting order.
    std::vector<std::pair<int, int>> Events() const;
    // Called on the posting thread for every message, after it is recorded.
    void OnPost(std::function<void(const PostedMessage&)> hook);

    CWnd window;

  private:
    static BOOL Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    mutable std::mutex m_lock;
    std::vector<PostedMessage> m_posted;
    std::function<void(const PostedMessage&)> m_hook;
};

// An image of `size` bytes with a recognisable pattern and `typeCode` at `offset`.
std::vector<uint8_t> MakeImage(size_t size, const std::string& typeCode = "ABC123",
                               uint32_t offset = 4);

// A drive reached through \\.\CdRom<number> (NT family) or an ASPI address.
DriveEntry CdRomEntry(int number, int atapi = 1, const std::string& typeCode = "ABC123");
DriveEntry AspiEntry(int adapter, int target, int lun, int atapi = 1,
                     const std::string& typeCode = "ABC123");

// The operation codes that reached a drive, in order; write mode entering and leaving are
// told apart ("E4+" and "E4-"), as are the two kinds of TEST UNIT READY ("00" and "00v").
std::vector<std::string> Opcodes(const std::vector<machine::sim::CommandRecord>& log);
std::vector<uint8_t> Cdb(const machine::sim::CommandRecord& record);

// A controller on a simulated machine, wired to a window as the worker wires it, with one
// drive in its list.
class UpdateRig {
  public:
    UpdateRig(const std::string& description, int platform, const DriveEntry& drive);

    // Writes an image into the rig's folder and returns its path.
    std::string Image(const std::vector<uint8_t>& bytes, const std::string& name = "fw.bin");
    std::shared_ptr<machine::sim::Drive> Drive(const std::string& name = "cd");
    std::vector<std::string> DriveOpcodes(const std::string& name = "cd");

    testsupport::SimMachineScope sim;
    testsupport::TempDir dir;
    PostedEvents events;
    std::atomic<int32_t> cancel{0};
    CDriveController controller;
};

}  // namespace enginetest
