#include "engine/flash_device.h"

#include "transport/platform_info.h"

namespace {

constexpr uint8_t kOpTestUnitReady = 0x00;
constexpr uint8_t kOpReleaseLock = 0xE0;
constexpr uint8_t kOpCompleteWritePreparation = 0xE1;
constexpr uint8_t kOpTransferBlock = 0xE2;
constexpr uint8_t kOpReadData = 0xE3;
constexpr uint8_t kOpSetWriteMode = 0xE4;

constexpr uint8_t kVendorControl = 0x80;
constexpr uint8_t kEnterWriteMode = 0x40;

ScsiRequest Command(uint8_t opcode, uint8_t cdbLength) {
    ScsiRequest request;
    request.cdbLength = cdbLength;
    request.cdb[0] = opcode;
    return request;
}

}  // namespace

CFlashDevice::CFlashDevice(int platform, HMODULE aspiModule)
    : CScsiDevice(platform, aspiModule), m_atapi(0) {}

CFlashDevice::~CFlashDevice() = default;

void CFlashDevice::SelectDrive(const DriveEntry& entry) {
    if (m_platform == kPlatformWindows) {
        SetAspiAddress(entry.targetId, entry.hostAdapter, entry.lun);
    } else {
        SetNtDevice(entry.ntKind, entry.ntNumber);
    }
    m_atapi = entry.atapi;
}

uint8_t CFlashDevice::VendorCdbLength() const { return m_atapi == 1 ? 12 : 10; }

CompletionCode CFlashDevice::TestUnitReady(int vendorFlag) {
    ScsiRequest request = Command(kOpTestUnitReady, m_atapi == 1 ? 12 : 6);
    request.cdb[5] = vendorFlag == 1 ? kVendorControl : 0;
    return ExecuteCommand(request);
}

CompletionCode CFlashDevice::ReleaseLock() {
    ScsiRequest request = Command(kOpReleaseLock, VendorCdbLength());
    return ExecuteCommand(request);
}

CompletionCode CFlashDevice::CompleteWritePreparation() {
    ScsiRequest request = Command(kOpCompleteWritePreparation, VendorCdbLength());
    return ExecuteCommand(request);
}

CompletionCode CFlashDevice::TransferBlock(const void* data, int32_t length) {
    ScsiRequest request = Command(kOpTransferBlock, VendorCdbLength());
    const uint32_t n = static_cast<uint32_t>(length);
    request.cdb[5] = static_cast<uint8_t>(n >> 16);
    request.cdb[6] = static_cast<uint8_t>(n >> 8);
    request.cdb[7] = static_cast<uint8_t>(n);
    request.direction = kDirectionOut;
    request.length = n;
    // Data out: the transport only reads the buffer.
    request.buffer = const_cast<void*>(data);
    return ExecuteCommand(request);
}

CompletionCode CFlashDevice::ReadData(void* buffer, uint32_t address, int32_t length) {
    ScsiRequest request = Command(kOpReadData, VendorCdbLength());
    const uint16_t n = static_cast<uint16_t>(length);
    request.cdb[2] = static_cast<uint8_t>(address >> 24);
    request.cdb[3] = static_cast<uint8_t>(address >> 16);
    request.cdb[4] = static_cast<uint8_t>(address >> 8);
    request.cdb[5] = static_cast<uint8_t>(address);
    request.cdb[7] = static_cast<uint8_t>(n >> 8);
    request.cdb[8] = static_cast<uint8_t>(n);
    request.direction = kDirectionIn;
    request.length = n;
    request.buffer = buffer;
    return ExecuteCommand(request);
}

CompletionCode CFlashDevice::SetWriteMode(int enter) {
    ScsiRequest request = Command(kOpSetWriteMode, VendorCdbLength());
    request.cdb[9] = enter == 1 ? kEnterWriteMode : 0;
    return ExecuteCommand(request);
}
