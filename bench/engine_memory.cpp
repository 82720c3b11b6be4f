// Peak heap use of one complete update, for a 1 MiB and a 64 MiB image. The image is read
// block by block through one fixed buffer, so the peak must not grow with the image size.
//
// The drive here is a minimal pass-through device that accepts blocks and forgets them (a
// drive that kept them, like the simulated one, would itself grow with the image).
// Exit status 1 when the peak grows.

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "engine/drive_controller.h"
#include "machine/machine.h"
#include "winapi/ntddscsi.h"

namespace {

std::atomic<long long> g_live{0};
std::atomic<long long> g_peak{0};
std::atomic<long long> g_allocations{0};

// Every block carries its size in front so that delete can count it.
constexpr size_t kHeader = alignof(std::max_align_t);

void* Allocate(size_t size) {
    void* raw = std::malloc(size + kHeader);
    if (raw == nullptr) throw std::bad_alloc();
    *static_cast<size_t*>(raw) = size;
    const long long live = g_live += static_cast<long long>(size);
    long long peak = g_peak.load();
    while (live > peak && !g_peak.compare_exchange_weak(peak, live)) {
    }
    ++g_allocations;
    return static_cast<char*>(raw) + kHeader;
}

void Release(void* p) {
    if (p == nullptr) return;
    char* raw = static_cast<char*>(p) - kHeader;
    g_live -= static_cast<long long>(*reinterpret_cast<size_t*>(raw));
    std::free(raw);
}

}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, size_t) noexcept { Release(p); }
void operator delete[](void* p, size_t) noexcept { Release(p); }

namespace {

class VirtualClock : public machine::Clock {
  public:
    void Sleep(DWORD ms) override { m_now += ms; }
    uint64_t NowMs() override { return m_now; }

  private:
    std::atomic<uint64_t> m_now{0};
};

// Accepts every command; after the write preparation it reports two phases, then the end.
class ForgetfulDrive : public machine::Device {
  public:
    explicit ForgetfulDrive(long long& received, int& pollsLeft)
        : m_received(received), m_pollsLeft(pollsLeft) {}

    DWORD IoControl(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                    DWORD& returned) override {
        if (code != IOCTL_SCSI_PASS_THROUGH_DIRECT || inSize < sizeof(SCSI_PASS_THROUGH_DIRECT) ||
            outSize < inSize) {
            return ERROR_INVALID_PARAMETER;
        }
        std::memmove(out, in, inSize);
        auto* spt = static_cast<SCSI_PASS_THROUGH_DIRECT*>(out);
        uint8_t* sense = static_cast<uint8_t*>(out) + spt->SenseInfoOffset;
        spt->ScsiStatus = 0;
        switch (spt->Cdb[0]) {
            case 0xE2:
                m_received += spt->DataTransferLength;
                break;
            case 0xE1:
                m_pollsLeft = 3;
                break;
            case 0x00:
                if (spt->Cdb[5] == 0x80 && m_pollsLeft > 0) {
                    --m_pollsLeft;
                    spt->ScsiStatus = 0x02;
                    std::memset(sense, 0, 14);
                    sense[0] = 0x70;
                    sense[2] = 0x02;
                    sense[12] = m_pollsLeft == 0 ? 0x3A : 0xF7;
                    sense[13] = static_cast<uint8_t>(m_pollsLeft == 0 ? 0 : 2 - m_pollsLeft);
                }
                break;
            default:
                break;
        }
        returned = inSize;
        return ERROR_SUCCESS;
    }

  private:
    long long& m_received;
    int& m_pollsLeft;
};

class BenchMachine : public machine::Machine {
  public:
    bool Version(OSVERSIONINFOA& info) override {
        info.dwPlatformId = VER_PLATFORM_WIN32_NT;
        return true;
    }
    std::unique_ptr<machine::Device> OpenDevice(const std::string& path, DWORD, DWORD,
                                                DWORD& error) override {
        if (path != "\\\\.\\CdRom0") {
            error = ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
        return std::make_unique<ForgetfulDrive>(received, pollsLeft);
    }
    std::shared_ptr<machine::Module> LoadModule(const std::string&, DWORD& error) override {
        error = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    DWORD LogicalDrives() override { return 0; }
    UINT DriveType(const std::string&) override { return DRIVE_NO_ROOT_DIR; }
    std::vector<std::string> DosDeviceNames() override { return {}; }
    std::string ModuleFileName() override { return "/bench/cdrwupdate"; }
    machine::Clock& clock() override { return m_clock; }
    bool MayPowerOff() override { return false; }
    bool PowerOff(UINT) override { return false; }

    long long received = 0;
    int pollsLeft = 0;

  private:
    VirtualClock m_clock;
};

// A sparse file: its size costs no disk and no memory.
std::string MakeImage(const char* dir, long long size) {
    std::string path = std::string(dir) + "/image-" + std::to_string(size) + ".bin";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr || ftruncate(fileno(f), size) != 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
    std::fclose(f);
    return path;
}

long HighWaterKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct Measurement {
    UpdateResult result;
    long long received;
    long long peakHeap;
    long long allocations;
};

Measurement MeasureUpdate(BenchMachine& bench, const std::string& image) {
    CDriveController controller(VER_PLATFORM_WIN32_NT, nullptr, nullptr);
    DriveEntry drive;
    drive.ntKind = kNtCdRom;
    drive.ntNumber = 0;
    controller.m_drives.push_back(drive);
    std::atomic<int32_t> cancel{0};
    controller.m_cancel = &cancel;

    bench.received = 0;
    const long long before = g_live.load();
    g_peak = before;
    const long long allocationsBefore = g_allocations.load();
    const UpdateResult result = controller.RunUpdate(0, image.c_str());
    return {result, bench.received, g_peak.load() - before,
            g_allocations.load() - allocationsBefore};
}

}  // namespace

int main() {
    auto owned = std::make_unique<BenchMachine>();
    BenchMachine& bench = *owned;
    machine::Install(std::move(owned));

    char dir[] = "/tmp/cdrw-bench-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        std::perror("mkdtemp");
        return 2;
    }
    const long long sizes[] = {1LL << 20, 64LL << 20};
    Measurement measured[2];
    std::printf("%-10s %-8s %-12s %-16s %-12s %s\n", "image", "result", "sent", "peak heap",
                "allocations", "VmHWM after");
    for (int i = 0; i < 2; ++i) {
        const std::string image = MakeImage(dir, sizes[i]);
        measured[i] = MeasureUpdate(bench, image);
        std::printf("%-10s %-8d %-12lld %-16lld %-12lld %ld KiB\n", i == 0 ? "1 MiB" : "64 MiB",
                    measured[i].result, measured[i].received, measured[i].peakHeap,
                    measured[i].allocations, HighWaterKiB());
        std::remove(image.c_str());
    }
    rmdir(dir);
    machine::Install(nullptr);

    bool ok = true;
    for (int i = 0; i < 2; ++i) {
        ok = ok && measured[i].result == kUpdateSuccess && measured[i].received == sizes[i];
    }
    if (!ok) {
        std::printf("FAIL: an update did not complete\n");
        return 1;
    }
    if (measured[1].peakHeap > measured[0].peakHeap) {
        std::printf("FAIL: peak heap grows with the image size\n");
        return 1;
    }
    std::printf("peak heap of an update does not grow with the image size\n");
    return 0;
}
