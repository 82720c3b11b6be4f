// Runs inside a QEMU guest: asks the real kernel, through the program's own Windows-services
// layer and Linux host, what the drives answer, then runs the program's discovery and an
// update on every drive it finds. Prints "CHECK ..." lines that hold no host, target or device
// numbers (those depend on probe order), and "INFO ..." lines with them, for a reader.
//
// probe PARAMETER-FILE IMAGE [--as-user UID]
// probe --medium-change PRODUCT
#include <grp.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/drive_controller.h"
#include "params/param_file.h"
#include "winapi/ntddscsi.h"
#include "winapi/windows.h"

namespace {

std::string Text(const uint8_t* bytes, size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += (bytes[i] >= 0x20 && bytes[i] < 0x7F) ? char(bytes[i]) : '.';
    return s;
}

std::string Ident(const uint8_t* inq) {
    return "vendor=[" + Text(inq + 8, 8) + "] product=[" + Text(inq + 16, 16) + "]";
}

struct PortDevice {
    int port, bus, target, lun;
    bool claimed;
    std::vector<uint8_t> inquiry;
};

std::vector<PortDevice> ListPorts(const char* who) {
    std::vector<PortDevice> found;
    for (int port = 0;; ++port) {
        char path[32];
        std::snprintf(path, sizeof path, "\\\\.\\Scsi%d:", port);
        HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            std::printf("INFO %s ports %d\n", who, port);
            break;
        }
        std::vector<uint8_t> buf(10240);
        DWORD got = 0;
        if (!DeviceIoControl(h, IOCTL_SCSI_GET_INQUIRY_DATA, nullptr, 0, buf.data(),
                             static_cast<DWORD>(buf.size()), &got, nullptr)) {
            std::printf("CHECK %s port inquiry data failed error=%u\n", who,
                        unsigned(GetLastError()));
            CloseHandle(h);
            continue;
        }
        const int buses = buf[0];
        for (int bus = 0; bus < buses; ++bus) {
            SCSI_BUS_DATA data;
            std::memcpy(
                &data,
                buf.data() + offsetof(SCSI_ADAPTER_BUS_INFO, BusData) + bus * sizeof(SCSI_BUS_DATA),
                sizeof data);
            for (ULONG off = data.InquiryDataOffset; off != 0;) {
                SCSI_INQUIRY_DATA e;
                std::memcpy(&e, buf.data() + off, sizeof e);
                const uint8_t* inq = buf.data() + off + offsetof(SCSI_INQUIRY_DATA, InquiryData);
                PortDevice d{port,
                             e.PathId,
                             e.TargetId,
                             e.Lun,
                             e.DeviceClaimed != 0,
                             std::vector<uint8_t>(inq, inq + e.InquiryDataLength)};
                d.inquiry.resize(44, 0);
                std::printf("INFO %s port %d bus %d target %d lun %d claimed %d %s rev=[%s]\n", who,
                            port, bus, e.TargetId, e.Lun, int(d.claimed), Ident(inq).c_str(),
                            Text(inq + 32, 4).c_str());
                std::printf("CHECK %s port-device type=%d %s rev=[%s] length=%u claimed=%d\n", who,
                            inq[0] & 0x1F, Ident(inq).c_str(), Text(inq + 32, 4).c_str(),
                            unsigned(e.InquiryDataLength), int(d.claimed));
                found.push_back(d);
                off = e.NextInquiryDataOffset;
            }
        }
        CloseHandle(h);
    }
    return found;
}

struct Outcome {
    bool ok;
    unsigned status;
    uint8_t sense[14];
};

Outcome Send(HANDLE h, std::vector<uint8_t> cdb, UCHAR dir, void* data, ULONG len) {
    struct {
        SCSI_PASS_THROUGH_DIRECT spt;
        ULONG filler;
        UCHAR sense[14];
    } b;
    std::memset(&b, 0, sizeof b);
    b.spt.Length = sizeof b.spt;
    b.spt.CdbLength = static_cast<UCHAR>(cdb.size());
    b.spt.SenseInfoLength = sizeof b.sense;
    b.spt.SenseInfoOffset = offsetof(decltype(b), sense);
    b.spt.DataIn = dir;
    b.spt.DataBuffer = data;
    b.spt.DataTransferLength = len;
    b.spt.TimeOutValue = 10;
    std::memcpy(b.spt.Cdb, cdb.data(), cdb.size());
    DWORD got = 0;
    Outcome o{};
    o.ok = DeviceIoControl(h, IOCTL_SCSI_PASS_THROUGH_DIRECT, &b, sizeof b, &b, sizeof b, &got,
                           nullptr) != 0;
    o.status = b.spt.ScsiStatus;
    std::memcpy(o.sense, b.sense, sizeof o.sense);
    return o;
}

std::string Describe(const Outcome& o) {
    if (!o.ok) return "failed error=" + std::to_string(GetLastError());
    char s[64];
    std::snprintf(s, sizeof s, "status=0x%02x sense=%x/%02x/%02x", o.status, o.sense[2] & 0x0F,
                  o.sense[12], o.sense[13]);
    return s;
}

// Each CD-ROM device name: its address, and what the drive answers to plain and vendor
// commands sent through the pass-through I/O control.
void ProbeCdRoms(const std::vector<PortDevice>& ports) {
    std::vector<char> names(65535);
    DWORD n = QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()));
    for (const char* p = names.data(); n && *p; p += std::strlen(p) + 1) {
        std::printf("INFO dos-name %s\n", p);
        if (std::strncmp(p, "CdRom", 5) != 0) continue;
        const std::string path = std::string("\\\\.\\") + p;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            std::printf("CHECK cdrom open failed error=%u\n", unsigned(GetLastError()));
            continue;
        }
        SCSI_ADDRESS a{};
        DWORD got = 0;
        DeviceIoControl(h, IOCTL_SCSI_GET_ADDRESS, nullptr, 0, &a, sizeof a, &got, nullptr);
        uint8_t inq[36] = {};
        Outcome o = Send(h, {0x12, 0, 0, 0, 36, 0}, SCSI_IOCTL_DATA_IN, inq, sizeof inq);
        const std::string id = Ident(inq);
        bool listed = false;
        for (const PortDevice& d : ports) {
            listed |= d.port == a.PortNumber && d.bus == a.PathId && d.target == a.TargetId &&
                      d.lun == a.Lun && std::memcmp(d.inquiry.data(), inq, 36) == 0;
        }
        std::printf("INFO cdrom %s port %d bus %d target %d lun %d %s\n", p, a.PortNumber, a.PathId,
                    a.TargetId, a.Lun, id.c_str());
        std::printf("CHECK cdrom %s INQUIRY %s same-as-port-listing=%s\n", id.c_str(),
                    Describe(o).c_str(), listed ? "yes" : "no");
        const struct {
            const char* name;
            std::vector<uint8_t> cdb;
        } commands[] = {
            {"TEST-UNIT-READY", {0, 0, 0, 0, 0, 0}},
            {"TEST-UNIT-READY-vendor", {0, 0, 0, 0, 0, 0x80}},
            {"E4-enter-10", {0xE4, 0, 0, 0, 0, 0, 0, 0, 0, 0x40}},
            {"E4-enter-12", {0xE4, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0}},
            {"E0-12", {0xE0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        };
        for (const auto& c : commands) {
            o = Send(h, c.cdb, SCSI_IOCTL_DATA_UNSPECIFIED, nullptr, 0);
            std::printf("CHECK cdrom %s %s %s\n", id.c_str(), c.name, Describe(o).c_str());
        }
        uint8_t data[10] = {};
        o = Send(h, {0xE3, 0, 0, 0, 0, 4, 0, 0, 10, 0}, SCSI_IOCTL_DATA_IN, data, sizeof data);
        std::printf("CHECK cdrom %s E3-read-10 %s\n", id.c_str(), Describe(o).c_str());
        CloseHandle(h);
    }
}

// The program's own road: the controller on the reported platform with the parameter file,
// discovery, then an update of every discovered drive.
void RunProgram(const char* who, const char* paramFile, const char* image) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    int platform = GetVersionExA(&info) ? int(info.dwPlatformId) : 0;
    std::printf("CHECK %s platform=%d\n", who, platform);
    CDriveParamList params;
    CParamFile file(paramFile);
    file.Load(params);
    std::printf("CHECK %s parameter-entries=%zu\n", who, params.size());
    CDriveController controller(platform, nullptr, &params);
    const int count = controller.DiscoverDrives();
    std::printf("CHECK %s discovered=%d\n", who, count);
    int index = 0;
    for (const DriveEntry& d : controller.m_drives) {
        // The path discovery tied to the drive must lead to the drive it enumerated.
        char path[32];
        std::snprintf(path, sizeof path,
                      d.ntKind == 1 ? "\\\\.\\PhysicalDrive%d" : "\\\\.\\CdRom%d", d.ntNumber);
        HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        uint8_t inq[36] = {};
        if (h != INVALID_HANDLE_VALUE) {
            Send(h, {0x12, 0, 0, 0, 36, 0}, SCSI_IOCTL_DATA_IN, inq, sizeof inq);
            CloseHandle(h);
        }
        std::printf("INFO %s drive %d port %d target %d lun %d kind %d number %d\n", who, index,
                    d.hostAdapter, d.targetId, d.lun, d.ntKind, d.ntNumber);
        std::printf("CHECK %s drive %s typecode=[%s] atapi=%d kind=%d path-leads-to-it=%s\n", who,
                    Ident(d.inquiry).c_str(), d.typeCode.c_str(), d.atapi, d.ntKind,
                    std::memcmp(inq + 8, d.inquiry + 8, 24) == 0 ? "yes" : "no");
        ++index;
    }
    std::atomic<int32_t> cancel{0};
    controller.m_cancel = &cancel;
    controller.m_notifyWnd = nullptr;
    controller.m_notifyMsg = 0;
    index = 0;
    for (const DriveEntry& d : controller.m_drives) {
        const int result = controller.RunUpdate(index++, image);
        CommandStatus s = controller.GetStatus();
        std::printf("CHECK %s update %s result=%d last-sense=%x/%02x/%02x\n", who,
                    Ident(d.inquiry).c_str(), result, s.senseKey, s.asc, s.ascq);
    }
}

// Polls the blank-vendor drive whose product starts with `product` the way the program polls
// (open, TEST UNIT READY, close) while a disc is inserted from outside, and prints the distinct
// answers in order: the unit attention must reach the program, nothing in between takes it.
int WatchMediumChange(const char* product) {
    std::vector<char> names(65535);
    DWORD n = QueryDosDeviceA(nullptr, names.data(), static_cast<DWORD>(names.size()));
    std::string path;
    for (const char* p = names.data(); n && *p && path.empty(); p += std::strlen(p) + 1) {
        if (std::strncmp(p, "CdRom", 5) != 0) continue;
        const std::string candidate = std::string("\\\\.\\") + p;
        HANDLE h = CreateFileA(candidate.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        uint8_t inq[36] = {};
        Send(h, {0x12, 0, 0, 0, 36, 0}, SCSI_IOCTL_DATA_IN, inq, sizeof inq);
        CloseHandle(h);
        if (std::memcmp(inq + 8, "        ", 8) == 0 &&
            std::strncmp(reinterpret_cast<char*>(inq + 16), product, std::strlen(product)) == 0) {
            path = candidate;
        }
    }
    if (path.empty()) {
        std::printf("CHECK medium-change no drive\n");
        return 1;
    }
    std::printf("GUEST waiting for a medium\n");
    std::string answers, last;
    for (int i = 0; i < 1200; ++i) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        const Outcome o = Send(h, {0, 0, 0, 0, 0, 0}, SCSI_IOCTL_DATA_UNSPECIFIED, nullptr, 0);
        CloseHandle(h);
        const std::string answer = Describe(o);
        if (answer != last) answers += (answers.empty() ? "" : " -> ") + answer;
        last = answer;
        if (o.ok && o.status == 0) break;
        usleep(100000);
    }
    std::printf("CHECK medium-change TEST-UNIT-READY %s\n", answers.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (argc == 3 && std::strcmp(argv[1], "--medium-change") == 0) {
        return WatchMediumChange(argv[2]);
    }
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: probe PARAMETER-FILE IMAGE [--as-user UID]\n"
                     "       probe --medium-change PRODUCT\n");
        return 2;
    }
    if (argc == 5 && std::strcmp(argv[3], "--as-user") == 0) {
        const int uid = std::atoi(argv[4]);
        if (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0) {
            std::printf("CHECK user could not drop privileges\n");
            return 1;
        }
        ListPorts("user");
        RunProgram("user", argv[1], argv[2]);
        return 0;
    }
    std::vector<PortDevice> ports = ListPorts("root");
    ProbeCdRoms(ports);
    RunProgram("root", argv[1], argv[2]);
    return 0;
}
