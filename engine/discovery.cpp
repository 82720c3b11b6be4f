// Which of the machine's devices are drives this program can update, and how to reach them.
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "engine/drive_controller.h"
#include "enum/device_enumerator.h"
#include "enum/drive_letter_scan.h"
#include "transport/pass_through_device.h"
#include "transport/platform_info.h"

namespace {

constexpr DWORD kDosNamesBufferSize = 65535;
constexpr int kTypeCodeLength = 6;
constexpr int kTypeCodeReadLength = 10;

bool SameAddress(const SCSI_ADDRESS& address, const DriveEntry& candidate) {
    // The bus number is not part of a drive's address here.
    return address.PortNumber == candidate.hostAdapter && address.TargetId == candidate.targetId &&
           address.Lun == candidate.lun;
}

// Asks an opened device for its SCSI address; false when it cannot say.
bool QueryAddress(CPassThroughDevice& device, SCSI_ADDRESS& address) {
    std::memset(&address, 0, sizeof(address));
    address.Length = sizeof(address);
    return device.GetScsiAddress(&address, sizeof(address)) == 0;
}

}  // namespace

int CDriveController::DiscoverDrives() {
    m_drives.clear();
    CDeviceRecordList devices;
    CDeviceEnumerator enumerator(m_platform);
    enumerator.Enumerate(devices, m_aspiModule, kDeviceCdRom);

    CStringList dosNames;
    if (m_platform == kPlatformNt) {
        ListDosDevices(dosNames);
    }
    for (const DeviceRecord& record : devices) {
        DriveEntry candidate;
        if (QualifyDevice(record, candidate, dosNames) == 1) {
            m_drives.push_back(candidate);
        }
    }
    return static_cast<int>(m_drives.size());
}

int CDriveController::QualifyDevice(const DeviceRecord& record, DriveEntry& candidate,
                                    const CStringList& dosNames) {
    if (IsSupportedVendor(record.inquiry) != 1) {
        return 0;
    }
    DriveParam param;
    if (FindDriveParam(record.inquiry, param) == 0) {
        return 0;
    }
    candidate.hostAdapter = record.adapter;
    candidate.targetId = record.target;
    candidate.lun = record.lun;
    std::memcpy(candidate.inquiry, record.inquiry, kInquiryLength);
    candidate.typeCodeOffset = param.typeCodeOffset;
    candidate.atapi = param.atapi;

    int result = 1;
    if (m_platform == kPlatformNt) {
        result = AssociateNtDevice(candidate, dosNames);
    }
    if (param.typeCodeEnable == 1 && result == 1) {
        result = ReadTypeCode(candidate);
    }
    return result;
}

// A drive whose entry enables the type code is listed only with all six characters.
int CDriveController::ReadTypeCode(DriveEntry& candidate) {
    SelectDrive(candidate);
    TestUnitReady(0);
    if (SetWriteMode(1) != kCompletionSuccess) {
        return 0;
    }
    int result = 0;
    uint8_t buffer[kTypeCodeReadLength] = {};
    if (ReadData(buffer, candidate.typeCodeOffset, kTypeCodeReadLength) == kCompletionSuccess) {
        candidate.typeCode.clear();
        for (int i = 0; i < kTypeCodeLength && buffer[i] >= 0x20 && buffer[i] <= 0x7E; ++i) {
            candidate.typeCode += static_cast<char>(buffer[i]);
        }
        result = candidate.typeCode.size() == kTypeCodeLength ? 1 : 0;
    }
    SetWriteMode(0);
    return result;
}

int CDriveController::ListDosDevices(CStringList& names) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[kDosNamesBufferSize]);
    if (!buffer) {
        return static_cast<int>(names.size());
    }
    const DWORD length = QueryDosDeviceA(nullptr, buffer.get(), kDosNamesBufferSize);
    if (length != 0) {
        // Names end with a zero byte each, the list with an empty name; never read past
        // what the system says it wrote.
        const char* end =
            buffer.get() + (length < kDosNamesBufferSize ? length : kDosNamesBufferSize);
        for (const char* name = buffer.get(); name < end && *name != '\0';) {
            const size_t n = strnlen(name, static_cast<size_t>(end - name));
            names.emplace_back(name, n);
            name += n + 1;
        }
    }
    return static_cast<int>(names.size());
}

int CDriveController::AssociateNtDevice(DriveEntry& candidate, const CStringList& dosNames) {
    if (!dosNames.empty()) {
        int matched = MatchDosDevices(dosNames, kNtPhysicalDrive, candidate);
        if (matched != 0) {
            return matched;
        }
        matched = MatchDosDevices(dosNames, kNtCdRom, candidate);
        if (matched != 0) {
            return matched;
        }
    }
    CDriveLetterList letters;
    CDriveLetterScan scan(letters, kDriveCdRom);
    int result = 0;
    for (const DriveLetterRecord& letter : letters) {
        CPassThroughDevice device;
        if (device.OpenDriveLetter(letter.letter, GENERIC_READ) == 1 && device.IsOpen() == 1) {
            SCSI_ADDRESS address;
            if (QueryAddress(device, address) && SameAddress(address, candidate)) {
                candidate.ntKind = kNtDriveLetter;
                candidate.ntNumber = letter.driveIndex;
                result = 1;
            }
        }
    }
    return result;
}

int CDriveController::MatchDosDevices(const CStringList& dosNames, int kind,
                                      DriveEntry& candidate) {
    const char* prefix = kind == kNtCdRom ? "CdRom" : "PhysicalDrive";
    const size_t prefixLength = std::strlen(prefix);
    int result = 0;
    for (const CString& name : dosNames) {
        if (name.compare(0, prefixLength, prefix) != 0) {
            continue;
        }
        const int number = ParseDecimal(name.c_str() + prefixLength);
        const CString path = "\\\\.\\" + name;
        HANDLE handle =
            CreateFileA(path.c_str(), 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            continue;
        }
        CPassThroughDevice device;
        device.Attach(handle);
        SCSI_ADDRESS address;
        if (QueryAddress(device, address) && SameAddress(address, candidate)) {
            candidate.ntKind = kind;
            candidate.ntNumber = number;
            result = 1;
        }
        CloseHandle(handle);
    }
    return result;
}

int CDriveController::ParseDecimal(const char* text) {
    // Only names ending in decimal digits reach this; wrap-around is harmless there.
    uint32_t value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        value = value * 10 + static_cast<uint32_t>(*c - '0');
    }
    return static_cast<int>(value);
}
