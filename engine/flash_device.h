// The vendor flash commands (0xE0 to 0xE4 and TEST UNIT READY with the vendor bit), in
// the 10-byte SCSI or the 12-byte ATAPI form of the selected drive.
#pragma once

#include <cstdint>

#include "engine/drive_entry.h"
#include "engine/scsi_device.h"

class CFlashDevice : public CScsiDevice {
  public:
    CFlashDevice(int platform, HMODULE aspiModule);
    ~CFlashDevice() override;

    // Points every following command at the drive, with its command form.
    void SelectDrive(const DriveEntry& entry);

    CompletionCode TestUnitReady(int vendorFlag);
    CompletionCode ReleaseLock();
    CompletionCode CompleteWritePreparation();
    CompletionCode TransferBlock(const void* data, int32_t length);
    CompletionCode ReadData(void* buffer, uint32_t address, int32_t length);
    CompletionCode SetWriteMode(int enter);

    int32_t m_atapi;  // exactly 1 selects the 12-byte ATAPI blocks

  private:
    uint8_t VendorCdbLength() const;
};
