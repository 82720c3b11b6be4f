// Walks ASPI host adapters, targets and LUNs to find devices.
#pragma once

#include "enum/device_record.h"
#include "framework/afxstr.h"
#include "transport/aspi_transport.h"

struct HostAdapterRecord {
    int adapterIndex;
    BYTE HA_Count;
    BYTE HA_SCSI_ID;  // the adapter's own SCSI id
    BYTE HA_ManagerId[16];
    BYTE HA_Identifier[16];
    BYTE HA_Unique[16];  // byte 3: the target count, normalised to 1..16 (0 reads as 8)
};

using CHostAdapterList = CTypedList<HostAdapterRecord>;

// A transport object of its own, separate from the controller's; it lists the adapters
// that answer as soon as it is constructed.
class CAspiScanner : public CAspiTransport {
  public:
    explicit CAspiScanner(HMODULE module);
    ~CAspiScanner() override;

    // Lists the adapters that answer the host adapter inquiry; returns their number.
    int ScanHostAdapters();
    // Drops adapters on which no target other than the adapter itself answers.
    // Null prunes the scanner's own list.
    void PruneEmptyAdapters(CHostAdapterList* list = nullptr);
    // Appends the devices that `mask` selects, adapter, target and LUN ascending; returns
    // the number of records in `devices`.
    int ScanDevices(CDeviceRecordList& devices, DeviceTypeMask mask);

  private:
    void ScanLuns(const HostAdapterRecord& adapter, int target, CDeviceRecordList& devices,
                  DeviceTypeMask mask);

    CHostAdapterList m_adapters;
};
