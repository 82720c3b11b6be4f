// The base of the drive controller: owns the transport the platform calls for, holds the
// address of the drive that commands go to and the outcome of the last command.
#pragma once

#include <cstdint>

#include "engine/scsi_request.h"
#include "transport/aspi_transport.h"
#include "transport/pass_through_device.h"
#include "winapi/windows.h"

class CScsiDevice {
  public:
    // platform 0 asks the platform probe; module null on the Windows 95/98 family makes
    // this object load WNASPI32.DLL itself (and free it again when destroyed).
    CScsiDevice(int platform, HMODULE aspiModule);
    virtual ~CScsiDevice();
    CScsiDevice(const CScsiDevice&) = delete;
    CScsiDevice& operator=(const CScsiDevice&) = delete;

    // Executes one command on the selected drive; 0 on success.
    CompletionCode ExecuteCommand(ScsiRequest& request);
    void SetAspiAddress(int targetId, int hostAdapter, int lun);
    void SetNtDevice(int kind, int number);
    CommandStatus GetStatus() const;
    // Opens \\.\PhysicalDriveN, \\.\CdRomN or \\.\X: for reading and writing, falling back
    // to read-only access.
    HANDLE OpenDevicePath(int kind, int number);

    static CompletionCode MapAspiResult(AspiResultCode aspiResult);
    static CompletionCode MapPassThroughResult(PassThroughResultCode passThroughResult);

    int32_t m_ntNumber;
    int32_t m_ntKind;
    int32_t m_lun;
    int32_t m_hostAdapter;
    int32_t m_targetId;
    CompletionCode m_lastCode;
    uint8_t m_senseKey;
    uint8_t m_asc;
    uint8_t m_ascq;
    CPassThroughDevice* m_passThrough;
    CAspiTransport* m_aspi;
    HMODULE m_ownedAspiModule;
    HMODULE m_aspiModule;
    int m_platform;

  private:
    CompletionCode ExecuteAspi(ScsiRequest& request);
    CompletionCode ExecutePassThrough(ScsiRequest& request);
};
