#include "tests/engine/engine_support.h"

#include <cstdio>

#include "engine/update_event.h"
#include "winapi/user_seam.h"

namespace enginetest {
namespace {

std::mutex g_activeLock;
PostedEvents* g_active = nullptr;

// A handle no real window has: the events only need to name it.
HWND const kWindowHandle = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7E57));

}  // namespace

PostedEvents::PostedEvents() {
    window.m_hWnd = kWindowHandle;
    std::lock_guard<std::mutex> hold(g_activeLock);
    g_active = this;
    winapi::SetPostMessageHandler(&PostedEvents::Record);
}

PostedEvents::~PostedEvents() {
    std::lock_guard<std::mutex> hold(g_activeLock);
    winapi::SetPostMessageHandler(nullptr);
    g_active = nullptr;
    window.m_hWnd = nullptr;
}

BOOL PostedEvents::Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard<std::mutex> hold(g_activeLock);
    if (g_active == nullptr) return FALSE;
    PostedMessage posted{hwnd, message, wParam, lParam, std::this_thread::get_id()};
    std::function<void(const PostedMessage&)> hook;
    {
        std::lock_guard<std::mutex> inner(g_active->m_lock);
        g_active->m_posted.push_back(posted);
        hook = g_active->m_hook;
    }
    if (hook) hook(posted);
    return TRUE;
}

std::vector<PostedMessage> PostedEvents::All() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_posted;
}

std::vector<std::pair<int, int>> PostedEvents::Events() const {
    std::vector<std::pair<int, int>> events;
    for (const PostedMessage& m : All()) {
        events.emplace_back(static_cast<int>(m.code), static_cast<int>(m.value));
    }
    return events;
}

void PostedEvents::OnPost(std::function<void(const PostedMessage&)> hook) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_hook = std::move(hook);
}

std::vector<uint8_t> MakeImage(size_t size, const std::string& typeCode, uint32_t offset) {
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i) {
        image[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    }
    for (size_t i = 0; i < typeCode.size() && offset + i < size; ++i) {
        image[offset + i] = static_cast<uint8_t>(typeCode[i]);
    }
    return image;
}

DriveEntry CdRomEntry(int number, int atapi, const std::string& typeCode) {
    DriveEntry entry;
    entry.ntKind = kNtCdRom;
    entry.ntNumber = number;
    entry.atapi = atapi;
    entry.typeCode = typeCode;
    entry.typeCodeOffset = 4;
    return entry;
}

DriveEntry AspiEntry(int adapter, int target, int lun, int atapi, const std::string& typeCode) {
    DriveEntry entry;
    entry.hostAdapter = static_cast<uint8_t>(adapter);
    entry.targetId = static_cast<uint8_t>(target);
    entry.lun = static_cast<uint8_t>(lun);
    entry.atapi = atapi;
    entry.typeCode = typeCode;
    entry.typeCodeOffset = 4;
    return entry;
}

std::vector<std::string> Opcodes(const std::vector<machine::sim::CommandRecord>& log) {
    std::vector<std::string> codes;
    for (const machine::sim::CommandRecord& r : log) {
        char text[8];
        std::snprintf(text, sizeof(text), "%02X", r.cdb[0]);
        std::string code = text;
        if (r.cdb[0] == 0xE4) code += r.cdb[9] == 0x40 ? "+" : "-";
        if (r.cdb[0] == 0x00 && r.cdb[5] == 0x80) code += "v";
        codes.push_back(code);
    }
    return codes;
}

std::vector<uint8_t> Cdb(const machine::sim::CommandRecord& record) {
    return std::vector<uint8_t>(record.cdb.begin(), record.cdb.begin() + record.cdbLength);
}

UpdateRig::UpdateRig(const std::string& description, int platform, const DriveEntry& drive)
    : sim(description), controller(platform, nullptr, nullptr) {
    controller.m_drives.push_back(drive);
    controller.m_notifyWnd = &events.window;
    controller.m_notifyMsg = WM_UPDATE_EVENT;
    controller.m_cancel = &cancel;
}

std::string UpdateRig::Image(const std::vector<uint8_t>& bytes, const std::string& name) {
    return dir.Write(name, bytes);
}

std::shared_ptr<machine::sim::Drive> UpdateRig::Drive(const std::string& name) {
    return sim.drive(name);
}

std::vector<std::string> UpdateRig::DriveOpcodes(const std::string& name) {
    return Opcodes(Drive(name)->Log());
}

}  // namespace enginetest
