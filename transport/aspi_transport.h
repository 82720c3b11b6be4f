// SCSI commands and management requests through ASPI for Win32 (WNASPI32.DLL).
#pragma once

#include "winapi/windows.h"
#include "winapi/wnaspi32.h"

// One command for Execute. The transport adds SRB_EVENT_NOTIFY to the flags itself.
struct AspiRequest {
    BYTE flags = 0;  // SRB_DIR_IN, SRB_DIR_OUT or 0 when no data moves
    DWORD bufferLength = 0;
    BYTE* buffer = nullptr;
    BYTE cdbLength = 0;
    BYTE cdb[16] = {};
};

// The raw outcome of Execute, derived from the status that ASPI left in the request block.
using AspiResultCode = int;

constexpr AspiResultCode kAspiGood = 0;
constexpr AspiResultCode kAspiNotCompleted = 16;
constexpr AspiResultCode kAspiHostAdapterError = 32;
constexpr AspiResultCode kAspiBusy = 48;
constexpr AspiResultCode kAspiReservationConflict = 49;
constexpr AspiResultCode kAspiNotReady = 50;
constexpr AspiResultCode kAspiMediumError = 51;
constexpr AspiResultCode kAspiHardwareError = 52;
constexpr AspiResultCode kAspiIllegalRequest = 53;
constexpr AspiResultCode kAspiUnitAttention = 54;
constexpr AspiResultCode kAspiDataProtect = 55;
constexpr AspiResultCode kAspiBlankCheck = 56;
constexpr AspiResultCode kAspiAbortedCommand = 57;
constexpr AspiResultCode kAspiEventFailed = 129;
constexpr AspiResultCode kAspiOtherFailure = -1;

// Size of the host adapter inquiry's answer: HA_Count, HA_SCSI_ID, HA_ManagerId,
// HA_Identifier, HA_Unique.
constexpr int kHostAdapterInquirySize = 50;

// Executes one command at a time on the current device (host adapter, target, LUN) and
// keeps its status and sense data. Does not own the module it is given.
class CAspiTransport {
  public:
    CAspiTransport(HMODULE module, int target, int hostAdapter, int lun);
    virtual ~CAspiTransport();
    CAspiTransport(const CAspiTransport&) = delete;
    CAspiTransport& operator=(const CAspiTransport&) = delete;

    int IsUsable() const;
    void SetAddress(int hostAdapter, int target, int lun);
    void GetAddress(BYTE* target, BYTE* hostAdapter, BYTE* lun) const;
    // A device below SCSI-2 also needs its LUN in CDB byte 1; returns the new SCSI-2 flag.
    int SetScsiLevel(int ansiVersion);

    AspiResultCode Execute(const AspiRequest& request);
    // Copies min(maxLength, sense length) bytes of the last command's sense data.
    int CopySense(BYTE* buffer, int maxLength) const;
    AspiResultCode Inquiry(BYTE* buffer, int length);

    // Management requests: each returns the request's SRB_Status, or SS_ERR without
    // sending when SendASPI32Command is missing. They share process-wide request blocks,
    // so only one thread may issue them at a time.
    BYTE HostAdapterInquiry(BYTE* output);  // kHostAdapterInquirySize bytes, only on SS_COMP
    BYTE GetDeviceType(BYTE* output);       // 0xFF unless SS_COMP
    BYTE AbortRequest(void* pendingBlock);

  protected:
    int m_adapterCount;
    int m_scsi2;
    BYTE m_lastStatus;
    BYTE m_lastHaStatus;
    BYTE m_lastTargetStatus;
    BYTE m_sense[100];
    int m_senseLength;
    int m_lun;
    int m_target;
    int m_hostAdapter;
    HMODULE m_module;
    SendASPI32CommandProc m_sendCommand;
    GetASPI32SupportInfoProc m_getSupportInfo;

  private:
    // Classifies the kept status fields and sense data, so it always describes the last
    // executed command.
    AspiResultCode LastResult() const;
};
