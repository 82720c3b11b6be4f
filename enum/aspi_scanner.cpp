#include "enum/aspi_scanner.h"

#include <cstring>

namespace {

constexpr int kTargetCountByte = 3;  // of HA_Unique
constexpr int kLunsPerTarget = 16;
constexpr int kNoDeviceType = 0x1F;

int TargetCount(const HostAdapterRecord& adapter) { return adapter.HA_Unique[kTargetCountByte]; }

}  // namespace

CAspiScanner::CAspiScanner(HMODULE module) : CAspiTransport(module, 0, 0, 0) { ScanHostAdapters(); }

CAspiScanner::~CAspiScanner() { m_adapters.clear(); }

int CAspiScanner::ScanHostAdapters() {
    m_adapters.clear();
    if (IsUsable() == 0) {
        return 0;
    }
    for (int index = 0; index < m_adapterCount; ++index) {
        SetAddress(index, m_target, m_lun);
        BYTE answer[kHostAdapterInquirySize];
        if (HostAdapterInquiry(answer) != SS_COMP) {
            continue;
        }
        HostAdapterRecord adapter;
        adapter.adapterIndex = index;
        const BYTE* in = answer;
        adapter.HA_Count = *in++;
        adapter.HA_SCSI_ID = *in++;
        std::memcpy(adapter.HA_ManagerId, in, sizeof(adapter.HA_ManagerId));
        in += sizeof(adapter.HA_ManagerId);
        std::memcpy(adapter.HA_Identifier, in, sizeof(adapter.HA_Identifier));
        in += sizeof(adapter.HA_Identifier);
        std::memcpy(adapter.HA_Unique, in, sizeof(adapter.HA_Unique));
        BYTE& targets = adapter.HA_Unique[kTargetCountByte];
        if (targets == 0) {
            targets = 8;  // adapters that leave it open are narrow SCSI buses
        } else if (targets > 16) {
            targets = 16;  // wide SCSI addresses no more
        }
        m_adapters.push_back(adapter);
    }
    return static_cast<int>(m_adapters.size());
}

void CAspiScanner::PruneEmptyAdapters(CHostAdapterList* list) {
    CHostAdapterList& adapters = list != nullptr ? *list : m_adapters;
    for (auto it = adapters.begin(); it != adapters.end();) {
        bool answered = false;
        for (int target = 0; target < TargetCount(*it) && !answered; ++target) {
            if (target == it->HA_SCSI_ID) {
                continue;
            }
            SetAddress(it->adapterIndex, target, 0);
            BYTE deviceType;
            answered = GetDeviceType(&deviceType) == SS_COMP;
        }
        it = answered ? std::next(it) : adapters.erase(it);
    }
}

int CAspiScanner::ScanDevices(CDeviceRecordList& devices, DeviceTypeMask mask) {
    for (const HostAdapterRecord& adapter : m_adapters) {
        for (int target = 0; target < TargetCount(adapter); ++target) {
            SetAddress(adapter.adapterIndex, target, 0);
            BYTE deviceType;
            if (GetDeviceType(&deviceType) == SS_COMP) {
                ScanLuns(adapter, target, devices, mask);
            }
        }
    }
    return static_cast<int>(devices.size());
}

void CAspiScanner::ScanLuns(const HostAdapterRecord& adapter, int target,
                            CDeviceRecordList& devices, DeviceTypeMask mask) {
    DeviceRecord record;
    for (int lun = 0; lun < kLunsPerTarget; ++lun) {
        SetAddress(adapter.adapterIndex, target, lun);
        // Cleared for every LUN, so a short answer never carries bytes of the previous LUN.
        std::memset(&record, 0, sizeof(record));
        record.adapter = static_cast<BYTE>(m_hostAdapter);
        record.target = static_cast<BYTE>(m_target);
        record.lun = static_cast<BYTE>(m_lun);
        if (Inquiry(record.inquiry, kInquirySize) != kAspiGood) {
            break;
        }
        const int deviceType = record.inquiry[0] & 0x1F;
        const int ansiVersion = record.inquiry[2] & 0x07;
        if (lun == 0) {
            // Further LUNs of a SCSI-1 device need the LUN in the CDB as well.
            SetScsiLevel(ansiVersion);
        }
        if (MaskSelectsDevice(mask, record.inquiry, true)) {
            devices.push_back(record);
        } else if (deviceType == kNoDeviceType) {
            break;
        }
    }
}
