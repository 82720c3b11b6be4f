#include "enum/device_enumerator.h"

#include <cstdio>
#include <memory>
#include <new>

#include "enum/aspi_scanner.h"
#include "enum/port_inquiry_data.h"
#include "transport/pass_through_device.h"

namespace {

constexpr DWORD kInquiryBufferSize = 10240;

}  // namespace

CDeviceEnumerator::CDeviceEnumerator(PlatformId platformId) : m_platformId(platformId) {
    if (m_platformId == kPlatformUnknown) {
        CPlatformInfo probe(&m_platformId);
    }
}

CDeviceEnumerator::~CDeviceEnumerator() = default;

int CDeviceEnumerator::Enumerate(CDeviceRecordList& devices, HMODULE aspiModule,
                                 DeviceTypeMask mask) {
    devices.clear();
    if (m_platformId == kPlatformWindows) {
        EnumerateAspi(aspiModule, devices, mask);
    } else if (m_platformId == kPlatformNt) {
        EnumerateNt(devices, mask);
    }
    return static_cast<int>(devices.size());
}

void CDeviceEnumerator::EnumerateAspi(HMODULE aspiModule, CDeviceRecordList& devices,
                                      DeviceTypeMask mask) {
    CAspiScanner scanner(aspiModule);
    if (scanner.IsUsable() == 0) {
        return;
    }
    scanner.PruneEmptyAdapters();
    CDeviceRecordList found;
    scanner.ScanDevices(found, mask);
    devices.splice(devices.end(), found);
}

void CDeviceEnumerator::EnumerateNt(CDeviceRecordList& devices, DeviceTypeMask mask) {
    // Port numbers are dense: the first one missing ends the search.
    for (int port = 0;; ++port) {
        char path[32];
        std::snprintf(path, sizeof(path), "\\\\.\\Scsi%d:", port);
        HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return;
        }
        {
            CPassThroughDevice device(handle);
            std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[kInquiryBufferSize]());
            int reported = 0;
            if (buffer != nullptr &&
                device.GetInquiryData(buffer.get(), kInquiryBufferSize, &reported) == 0) {
                const size_t size =
                    std::min<size_t>(reported < 0 ? 0 : reported, kInquiryBufferSize);
                AppendPortDevices(buffer.get(), size, static_cast<BYTE>(port), mask, devices);
            }
        }
        CloseHandle(handle);
    }
}
