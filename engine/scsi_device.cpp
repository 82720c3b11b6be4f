#include "engine/scsi_device.h"

#include <cstdio>
#include <cstring>

#include "transport/platform_info.h"

namespace {

constexpr int kKeptSenseLength = 14;

void ApplySense(const uint8_t* sense, uint8_t& key, uint8_t& asc, uint8_t& ascq) {
    key = sense[2] & 0x0F;
    asc = sense[12];
    ascq = sense[13];
}

}  // namespace

CScsiDevice::CScsiDevice(int platform, HMODULE aspiModule)
    : m_ntNumber(-1),
      m_ntKind(0),
      m_lun(0),
      m_hostAdapter(0),
      m_targetId(0),
      m_lastCode(kCompletionSuccess),
      m_senseKey(0),
      m_asc(0),
      m_ascq(0),
      m_passThrough(nullptr),
      m_aspi(nullptr),
      m_ownedAspiModule(nullptr),
      m_aspiModule(nullptr),
      m_platform(platform) {
    if (m_platform == kPlatformUnknown) {
        CPlatformInfo probe(&m_platform);
    }
    if (m_platform == kPlatformWindows) {
        m_aspiModule = aspiModule;
        if (m_aspiModule == nullptr) {
            m_aspiModule = LoadLibraryA("WNASPI32.DLL");
            m_ownedAspiModule = m_aspiModule;
        }
        if (m_aspiModule != nullptr) {
            m_aspi = new CAspiTransport(m_aspiModule, 0, 0, 0);
        }
    } else {
        m_passThrough = new CPassThroughDevice(INVALID_HANDLE_VALUE);
    }
}

CScsiDevice::~CScsiDevice() {
    // The transport holds entry points of the module: it goes first.
    delete m_aspi;
    delete m_passThrough;
    if (m_ownedAspiModule != nullptr) {
        FreeLibrary(m_ownedAspiModule);
    }
}

void CScsiDevice::SetAspiAddress(int targetId, int hostAdapter, int lun) {
    m_targetId = targetId;
    m_hostAdapter = hostAdapter;
    m_lun = lun;
}

void CScsiDevice::SetNtDevice(int kind, int number) {
    m_ntKind = kind;
    m_ntNumber = number;
}

CommandStatus CScsiDevice::GetStatus() const { return {m_lastCode, m_senseKey, m_asc, m_ascq}; }

HANDLE CScsiDevice::OpenDevicePath(int kind, int number) {
    char path[32];
    switch (kind) {
        case 1:
            std::snprintf(path, sizeof(path), "\\\\.\\PhysicalDrive%d", number);
            break;
        case 2:
            std::snprintf(path, sizeof(path), "\\\\.\\CdRom%d", number);
            break;
        case 3:
            std::snprintf(path, sizeof(path), "\\\\.\\%c:", static_cast<char>('A' + number));
            break;
        default:
            return INVALID_HANDLE_VALUE;
    }
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // A device that refuses write access still answers commands when opened read-only.
        handle =
            CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    return handle;
}

CompletionCode CScsiDevice::ExecuteCommand(ScsiRequest& request) {
    if (m_aspi != nullptr) {
        return ExecuteAspi(request);
    }
    if (m_passThrough != nullptr) {
        return ExecutePassThrough(request);
    }
    return kCompletionNotSent;
}

CompletionCode CScsiDevice::ExecuteAspi(ScsiRequest& request) {
    m_aspi->SetAddress(m_hostAdapter, m_targetId, m_lun);

    AspiRequest aspi;
    aspi.flags = request.direction == kDirectionOut  ? SRB_DIR_OUT
                 : request.direction == kDirectionIn ? SRB_DIR_IN
                                                     : 0;
    aspi.bufferLength = request.length;
    aspi.buffer = static_cast<BYTE*>(request.buffer);
    aspi.cdbLength = request.cdbLength;
    std::memset(aspi.cdb, 0, sizeof(aspi.cdb));
    std::memcpy(aspi.cdb, request.cdb,
                request.cdbLength < sizeof(aspi.cdb) ? request.cdbLength : sizeof(aspi.cdb));

    const CompletionCode code = MapAspiResult(m_aspi->Execute(aspi));
    uint8_t sense[kKeptSenseLength] = {};
    m_aspi->CopySense(sense, kKeptSenseLength);
    ApplySense(sense, m_senseKey, m_asc, m_ascq);
    m_lastCode = code;
    return code;
}

CompletionCode CScsiDevice::ExecutePassThrough(ScsiRequest& request) {
    HANDLE handle = OpenDevicePath(m_ntKind, m_ntNumber);
    if (handle == INVALID_HANDLE_VALUE) {
        return kCompletionNotSent;
    }
    m_passThrough->Attach(handle);

    PassThroughRequest pt;
    pt.dataBuffer = request.buffer;
    pt.cdbLength = request.cdbLength;
    std::memcpy(pt.cdb, request.cdb, sizeof(pt.cdb));
    pt.dataTransferLength = request.length;
    pt.dataDirection = request.direction == kDirectionOut  ? SCSI_IOCTL_DATA_OUT
                       : request.direction == kDirectionIn ? SCSI_IOCTL_DATA_IN
                                                           : SCSI_IOCTL_DATA_UNSPECIFIED;

    const CompletionCode code = MapPassThroughResult(m_passThrough->ExecutePassThrough(pt));
    m_lastCode = code;
    m_senseKey = pt.senseKey;
    m_asc = pt.asc;
    m_ascq = pt.ascq;

    FlushFileBuffers(handle);
    CloseHandle(handle);
    // No handle outlives its command; keep none that is already closed.
    m_passThrough->Attach(INVALID_HANDLE_VALUE);
    return code;
}

CompletionCode CScsiDevice::MapAspiResult(AspiResultCode aspiResult) {
    switch (aspiResult) {
        case kAspiGood:
            return kCompletionSuccess;
        case kAspiNotCompleted:
        case kAspiHostAdapterError:
        case kAspiReservationConflict:
            return kCompletionTransportFailed;
        case kAspiBusy:
            return kCompletionBusy;
        case kAspiNotReady:
            return kCompletionNotReady;
        case kAspiMediumError:
        case kAspiBlankCheck:
            return kCompletionMediumError;
        case kAspiHardwareError:
            return kCompletionHardwareError;
        case kAspiIllegalRequest:
            return kCompletionIllegalRequest;
        case kAspiUnitAttention:
            return kCompletionUnitAttention;
        case kAspiDataProtect:
            return kCompletionDataProtect;
        case kAspiAbortedCommand:
            return kCompletionAbortedCommand;
        case kAspiEventFailed:
            return kCompletionNoEvent;
        default:
            return kCompletionOtherFailure;
    }
}

CompletionCode CScsiDevice::MapPassThroughResult(PassThroughResultCode passThroughResult) {
    switch (passThroughResult) {
        case kPassThroughGood:
            return kCompletionSuccess;
        case kPassThroughControlFailed:
            return kCompletionTransportFailed;
        case kPassThroughBusy:
            return kCompletionBusy;
        case kPassThroughNotReady:
            return kCompletionNotReady;
        case kPassThroughMediumError:
            return kCompletionMediumError;
        case kPassThroughHardwareError:
            return kCompletionHardwareError;
        case kPassThroughUnitAttention:
            return kCompletionUnitAttention;
        case kPassThroughDataProtect:
            return kCompletionDataProtect;
        case kPassThroughIllegalRequest:
            return kCompletionIllegalRequest;
        default:
            return kCompletionOtherFailure;
    }
}
