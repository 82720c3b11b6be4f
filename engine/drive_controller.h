// The one object through which every command reaches a drive: the flash commands, the
// update procedure with its image transfer, and the discovery of supported drives.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/drive_entry.h"
#include "engine/flash_device.h"
#include "engine/update_result.h"
#include "framework/afxstr.h"
#include "params/drive_param.h"

class CFile;
class CWnd;
struct DeviceRecord;

class CDriveController : public CFlashDevice {
  public:
    // params: the parameter file's entries (may be null); the built-in rows follow them.
    CDriveController(int platform, HMODULE aspiModule, const CDriveParamList* params);
    ~CDriveController() override;

    // Update procedure (worker thread). Needs m_cancel, m_notifyWnd and m_notifyMsg.
    UpdateResult RunUpdate(int position, const char* imagePath);
    UpdateResult WaitForCompletion();
    void Notify(int code, int value);

    // Image transfer and type-code check.
    UpdateResult TransferImage(int32_t typeCodeOffset, const char* imagePath, int check);
    UpdateResult CheckTypeCode(int32_t typeCodeOffset, CFile& file);

    // Supported-drive discovery.
    int DiscoverDrives();
    int QualifyDevice(const DeviceRecord& record, DriveEntry& candidate,
                      const CStringList& dosNames);
    int IsSupportedVendor(const uint8_t* inquiry) const;
    int FindDriveParam(const uint8_t* inquiry, DriveParam& param) const;
    int ListDosDevices(CStringList& names);
    int AssociateNtDevice(DriveEntry& candidate, const CStringList& dosNames);
    int MatchDosDevices(const CStringList& dosNames, int kind, DriveEntry& candidate);
    static int ParseDecimal(const char* text);

    std::atomic<int32_t>* m_cancel;
    UINT m_notifyMsg;
    CWnd* m_notifyWnd;
    CDriveEntryList m_drives;
    CDriveParamList m_driveParams;

  private:
    bool CancelRequested() const;
    int ReadTypeCode(DriveEntry& candidate);
};
