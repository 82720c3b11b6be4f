// Test helpers that speak the drive's flash protocol through either transport: a command
// sender for pass-through and one for ASPI, images with an identification block, and a
// whole update (write mode, blocks, lock release, write preparation, polling, leaving).
#pragma once

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/machine/aspi_support.h"
#include "winapi/ntddscsi.h"
#include "winapi/windows.h"

namespace flashtest {

enum Dir { kNone, kOut, kIn };

struct Reply {
    bool delivered = false;  // false: the transport itself failed (see error)
    DWORD error = 0;
    BYTE status = 0;
    BYTE key = 0, asc = 0, ascq = 0;
    DWORD transferred = 0;
};

using Sender = std::function<Reply(const std::vector<BYTE>& cdb, Dir dir, BYTE* data, DWORD len)>;

// Opens the path before and closes it after every command, as the program does.
inline Sender PassThrough(const std::string& path) {
    return [path](const std::vector<BYTE>& cdb, Dir dir, BYTE* data, DWORD len) {
        Reply r;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            r.error = GetLastError();
            return r;
        }
        struct {
            SCSI_PASS_THROUGH_DIRECT sptd;
            ULONG filler;
            UCHAR sense[32];
        } block;
        std::memset(&block, 0, sizeof block);
        block.sptd.Length = sizeof block.sptd;
        block.sptd.CdbLength = static_cast<UCHAR>(cdb.size());
        block.sptd.SenseInfoLength = 14;
        block.sptd.DataIn = dir == kOut  ? SCSI_IOCTL_DATA_OUT
                            : dir == kIn ? SCSI_IOCTL_DATA_IN
                                         : SCSI_IOCTL_DATA_UNSPECIFIED;
        block.sptd.DataTransferLength = len;
        block.sptd.TimeOutValue = 10;
        block.sptd.DataBuffer = data;
        block.sptd.SenseInfoOffset = offsetof(decltype(block), sense);
        std::memcpy(block.sptd.Cdb, cdb.data(), cdb.size());
        DWORD returned = 0;
        if (DeviceIoControl(h, IOCTL_SCSI_PASS_THROUGH_DIRECT, &block, sizeof block, &block,
                            sizeof block, &returned, nullptr)) {
            r.delivered = true;
            r.status = block.sptd.ScsiStatus;
            r.key = block.sense[2] & 0x0F;
            r.asc = block.sense[12];
            r.ascq = block.sense[13];
            r.transferred = block.sptd.DataTransferLength;
        } else {
            r.error = GetLastError();
        }
        FlushFileBuffers(h);
        CloseHandle(h);
        return r;
    };
}

inline Sender ThroughAspi(aspitest::Aspi& aspi, BYTE ha, BYTE target, BYTE lun) {
    return [&aspi, ha, target, lun](const std::vector<BYTE>& cdb, Dir dir, BYTE* data, DWORD len) {
        BYTE flags = dir == kOut ? SRB_DIR_OUT : dir == kIn ? SRB_DIR_IN : 0;
        aspitest::Outcome o =
            aspitest::Exec(aspi, ha, target, lun, cdb.data(), cdb.size(), flags, data, len);
        Reply r;
        r.delivered =
            o.srb.SRB_Status == SS_COMP || (o.srb.SRB_Status == SS_ERR && o.srb.SRB_HaStat == 0);
        r.status = o.srb.SRB_TargStat;
        r.key = o.srb.SenseArea[2] & 0x0F;
        r.asc = o.srb.SenseArea[12];
        r.ascq = o.srb.SenseArea[13];
        return r;
    };
}

// A vendor command block: opcode, then (index, value) pairs; 12 bytes for ATAPI, else 10.
inline std::vector<BYTE> Vendor(bool atapi, BYTE opcode,
                                std::initializer_list<std::pair<int, BYTE>> bytes = {}) {
    std::vector<BYTE> cdb(atapi ? 12 : 10, 0);
    cdb[0] = opcode;
    for (auto& b : bytes) cdb[static_cast<size_t>(b.first)] = b.second;
    return cdb;
}

inline std::vector<BYTE> TestUnitReady(bool atapi, bool vendorBit) {
    std::vector<BYTE> cdb(atapi ? 12 : 6, 0);
    cdb[5] = vendorBit ? 0x80 : 0x00;
    return cdb;
}

inline std::vector<BYTE> Block(bool atapi, DWORD length) {
    return Vendor(atapi, 0xE2,
                  {{5, static_cast<BYTE>(length >> 16)},
                   {6, static_cast<BYTE>(length >> 8)},
                   {7, static_cast<BYTE>(length)}});
}

inline std::vector<BYTE> ReadFlash(bool atapi, DWORD address, WORD length) {
    return Vendor(atapi, 0xE3,
                  {{2, static_cast<BYTE>(address >> 24)},
                   {3, static_cast<BYTE>(address >> 16)},
                   {4, static_cast<BYTE>(address >> 8)},
                   {5, static_cast<BYTE>(address)},
                   {7, static_cast<BYTE>(length >> 8)},
                   {8, static_cast<BYTE>(length)}});
}

// An image of `size` bytes whose identification block sits at typeCodeOffset - 4.
inline std::vector<BYTE> Image(size_t size, const std::string& typeCode,
                               const std::string& revision, size_t typeCodeOffset = 4) {
    std::vector<BYTE> image(size);
    for (size_t i = 0; i < size; ++i) image[i] = static_cast<BYTE>(i * 7 + 3);
    size_t block = typeCodeOffset - 4;
    auto put = [&](size_t at, const std::string& text, size_t width) {
        for (size_t i = 0; i < width && block + at + i < size; ++i)
            image[block + at + i] = static_cast<BYTE>(i < text.size() ? text[i] : ' ');
    };
    put(4, typeCode, 6);
    put(10, "", 8);
    put(19, "CD-R/RW KP2140A", 16);
    put(36, revision, 4);
    return image;
}

struct Update {
    Reply enter, release, prepare;
    std::vector<Reply> blocks;
    std::vector<int> phases;  // the phases seen, each once, in order
    int polls = 0;
    Reply end;  // the sense that ended the polling
};

// The whole update through `send`: TEST UNIT READY, write mode, blocks of 16 KiB, lock
// release, write preparation, polling every 500 ms, leaving write mode.
inline Update RunUpdate(const Sender& send, bool atapi, std::vector<BYTE> image) {
    Update u;
    send(TestUnitReady(atapi, false), kNone, nullptr, 0);
    u.enter = send(Vendor(atapi, 0xE4, {{9, 0x40}}), kNone, nullptr, 0);
    for (size_t at = 0; at < image.size(); at += 16384) {
        DWORD n = static_cast<DWORD>(std::min<size_t>(16384, image.size() - at));
        u.blocks.push_back(send(Block(atapi, n), kOut, image.data() + at, n));
    }
    u.release = send(Vendor(atapi, 0xE0), kNone, nullptr, 0);
    u.prepare = send(Vendor(atapi, 0xE1), kNone, nullptr, 0);
    for (; u.polls < 1000; ++u.polls) {
        Reply r = send(TestUnitReady(atapi, true), kNone, nullptr, 0);
        if (r.key == 2 && r.asc == 0xF7) {
            if (u.phases.empty() || u.phases.back() != r.ascq) u.phases.push_back(r.ascq);
        } else if ((r.key == 2 && r.asc == 0x3A) || r.key == 4) {
            u.end = r;
            break;
        }
        Sleep(500);
    }
    send(Vendor(atapi, 0xE4), kNone, nullptr, 0);
    return u;
}

}  // namespace flashtest
