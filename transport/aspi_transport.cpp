#include "transport/aspi_transport.h"

#include <algorithm>
#include <cstring>

namespace {

// How long a command may take before it is aborted: long enough for a drive that
// erases and programs its whole flash memory.
constexpr DWORD kCommandWaitMs = 0x300000;

constexpr BYTE kTargetGood = 0x00;
constexpr BYTE kTargetCheckCondition = 0x02;
constexpr BYTE kTargetBusy = 0x08;
constexpr BYTE kTargetReservationConflict = 0x18;

// The management requests complete before SendASPI32Command returns; their blocks are
// shared by every transport object.
SRB_HAInquiry g_haInquiryBlock;
SRB_GDEVBlock g_deviceTypeBlock;
SRB_Abort g_abortBlock;

// ASPI may complete a command on a thread of its own; it writes SRB_Status last.
BYTE RequestStatus(const SRB_ExecSCSICmd& block) {
    return __atomic_load_n(&block.SRB_Status, __ATOMIC_ACQUIRE);
}

AspiResultCode ForSenseKey(BYTE senseKey) {
    switch (senseKey) {
        case 0x0:  // NO SENSE
        case 0x1:  // RECOVERED ERROR
            return kAspiGood;
        case 0x2:
            return kAspiNotReady;
        case 0x3:
            return kAspiMediumError;
        case 0x4:
            return kAspiHardwareError;
        case 0x5:
            return kAspiIllegalRequest;
        case 0x6:
            return kAspiUnitAttention;
        case 0x7:
            return kAspiDataProtect;
        case 0x8:
            return kAspiBlankCheck;
        case 0xB:
            return kAspiAbortedCommand;
        default:
            return kAspiOtherFailure;
    }
}

// GetProcAddress hands back a generic function pointer; the entry point's own type is known
// only by name. The detour through void(*)() is the sanctioned way to say so.
template <class Proc>
Proc EntryPoint(HMODULE module, LPCSTR name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

CAspiTransport::CAspiTransport(HMODULE module, int target, int hostAdapter, int lun)
    : m_adapterCount(0),
      m_scsi2(1),
      m_lastStatus(SS_COMP),
      m_lastHaStatus(0),
      m_lastTargetStatus(0),
      m_sense(),
      m_senseLength(SENSE_LEN),
      m_lun(lun & 0xFF),
      m_target(target & 0xFF),
      m_hostAdapter(hostAdapter & 0xFF),
      m_module(module),
      m_sendCommand(nullptr),
      m_getSupportInfo(nullptr) {
    if (m_module == nullptr) {
        return;
    }
    m_getSupportInfo = EntryPoint<GetASPI32SupportInfoProc>(m_module, "GetASPI32SupportInfo");
    m_sendCommand = EntryPoint<SendASPI32CommandProc>(m_module, "SendASPI32Command");
    if (m_getSupportInfo != nullptr) {
        const DWORD info = m_getSupportInfo();
        if (((info >> 8) & 0xFF) == SS_COMP) {
            m_adapterCount = static_cast<int>(info & 0xFF);
        }
    }
}

CAspiTransport::~CAspiTransport() = default;

int CAspiTransport::IsUsable() const {
    return m_module != nullptr && m_sendCommand != nullptr && m_getSupportInfo != nullptr ? 1 : 0;
}

void CAspiTransport::SetAddress(int hostAdapter, int target, int lun) {
    m_hostAdapter = hostAdapter & 0xFF;
    m_target = target & 0xFF;
    m_lun = lun & 0xFF;
}

void CAspiTransport::GetAddress(BYTE* target, BYTE* hostAdapter, BYTE* lun) const {
    if (target != nullptr) *target = static_cast<BYTE>(m_target);
    if (hostAdapter != nullptr) *hostAdapter = static_cast<BYTE>(m_hostAdapter);
    if (lun != nullptr) *lun = static_cast<BYTE>(m_lun);
}

int CAspiTransport::SetScsiLevel(int ansiVersion) {
    m_scsi2 = ansiVersion >= 2 ? 1 : 0;
    return m_scsi2;
}

AspiResultCode CAspiTransport::Execute(const AspiRequest& request) {
    // Nothing can be sent: report the command as not completed rather than repeat the
    // previous command's outcome, which may read as success.
    if (m_sendCommand == nullptr) {
        return kAspiNotCompleted;
    }
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (event == nullptr) {
        return kAspiEventFailed;
    }

    // Every field not set here stays 0, the sense area included, so a command that
    // returns no sense data leaves zeros behind.
    SRB_ExecSCSICmd block;
    std::memset(&block, 0, sizeof(block));
    block.SRB_Cmd = SC_EXEC_SCSI_CMD;
    block.SRB_HaId = static_cast<BYTE>(m_hostAdapter);
    block.SRB_Target = static_cast<BYTE>(m_target);
    block.SRB_Lun = static_cast<BYTE>(m_lun);
    block.SRB_Flags = request.flags | SRB_EVENT_NOTIFY;
    block.SRB_BufLen = request.bufferLength;
    block.SRB_BufPointer = request.buffer;
    block.SRB_SenseLen = static_cast<BYTE>(m_senseLength);
    block.SRB_CDBLen = request.cdbLength;
    block.SRB_PostProc = event;
    const size_t cdbLength = std::min<size_t>(request.cdbLength, sizeof(block.CDBByte));
    std::memcpy(block.CDBByte, request.cdb, cdbLength);
    if (m_scsi2 == 0) {
        // SCSI-1 devices take the LUN in the top three bits of CDB byte 1.
        block.CDBByte[1] = static_cast<BYTE>((m_lun << 5) | (block.CDBByte[1] & 0x1F));
    }
    block.SRB_Status = SS_PENDING;

    m_sendCommand(&block);
    if (RequestStatus(block) == SS_PENDING) {
        WaitForSingleObject(event, kCommandWaitMs);
        // Timed out, or the wait itself failed: the block lives on this stack, so ASPI must
        // let go of it before this function returns.
        if (RequestStatus(block) == SS_PENDING) {
            AbortRequest(&block);
        }
    }

    m_lastStatus = RequestStatus(block);
    m_lastHaStatus = block.SRB_HaStat;
    m_lastTargetStatus = block.SRB_TargStat;
    if (block.SRB_SenseLen != 0) {
        const size_t senseCopy = std::min<size_t>(block.SRB_SenseLen, sizeof(block.SenseArea));
        std::memcpy(m_sense, block.SenseArea, senseCopy);
    }
    CloseHandle(event);
    return LastResult();
}

AspiResultCode CAspiTransport::LastResult() const {
    if (m_lastStatus == SS_COMP) {
        return kAspiGood;
    }
    if (m_lastStatus != SS_ERR) {
        return kAspiNotCompleted;
    }
    if (m_lastHaStatus != 0) {
        return kAspiHostAdapterError;
    }
    switch (m_lastTargetStatus) {
        case kTargetGood:
            return kAspiNotCompleted;
        case kTargetBusy:
            return kAspiBusy;
        case kTargetReservationConflict:
            return kAspiReservationConflict;
        case kTargetCheckCondition:
            return ForSenseKey(m_sense[2] & 0x0F);
        default:
            return kAspiOtherFailure;
    }
}

int CAspiTransport::CopySense(BYTE* buffer, int maxLength) const {
    const int count = std::max(0, std::min(maxLength, m_senseLength));
    if (count > 0) {
        std::memcpy(buffer, m_sense, static_cast<size_t>(count));
    }
    return count;
}

AspiResultCode CAspiTransport::Inquiry(BYTE* buffer, int length) {
    AspiRequest request;
    request.flags = SRB_DIR_IN;
    request.bufferLength = static_cast<DWORD>(length);
    request.buffer = buffer;
    request.cdbLength = 6;
    request.cdb[0] = 0x12;
    request.cdb[4] = static_cast<BYTE>(length & 0xFF);
    return Execute(request);
}

BYTE CAspiTransport::HostAdapterInquiry(BYTE* output) {
    if (m_sendCommand == nullptr) {
        return SS_ERR;
    }
    SRB_HAInquiry& block = g_haInquiryBlock;
    std::memset(&block, 0, sizeof(block));
    block.SRB_Cmd = SC_HA_INQUIRY;
    block.SRB_HaId = static_cast<BYTE>(m_hostAdapter);
    m_sendCommand(&block);
    const BYTE status = block.SRB_Status;
    if (status == SS_COMP) {
        BYTE* out = output;
        *out++ = block.HA_Count;
        *out++ = block.HA_SCSI_ID;
        std::memcpy(out, block.HA_ManagerId, sizeof(block.HA_ManagerId));
        out += sizeof(block.HA_ManagerId);
        std::memcpy(out, block.HA_Identifier, sizeof(block.HA_Identifier));
        out += sizeof(block.HA_Identifier);
        std::memcpy(out, block.HA_Unique, sizeof(block.HA_Unique));
    }
    return status;
}

BYTE CAspiTransport::GetDeviceType(BYTE* output) {
    *output = 0xFF;
    if (m_sendCommand == nullptr) {
        return SS_ERR;
    }
    SRB_GDEVBlock& block = g_deviceTypeBlock;
    std::memset(&block, 0, sizeof(block));
    block.SRB_Cmd = SC_GET_DEV_TYPE;
    block.SRB_HaId = static_cast<BYTE>(m_hostAdapter);
    block.SRB_Target = static_cast<BYTE>(m_target);
    block.SRB_Lun = static_cast<BYTE>(m_lun);
    m_sendCommand(&block);
    const BYTE status = block.SRB_Status;
    if (status == SS_COMP) {
        *output = block.SRB_DeviceType;
    }
    return status;
}

BYTE CAspiTransport::AbortRequest(void* pendingBlock) {
    if (m_sendCommand == nullptr) {
        return SS_ERR;
    }
    SRB_Abort& block = g_abortBlock;
    std::memset(&block, 0, sizeof(block));
    block.SRB_Cmd = SC_ABORT_SRB;
    block.SRB_HaId = static_cast<BYTE>(m_hostAdapter);
    block.SRB_ToAbort = pendingBlock;
    m_sendCommand(&block);
    return block.SRB_Status;
}
