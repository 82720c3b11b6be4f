// Sending an image to the selected drive in 16 KiB blocks, after checking its type code.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/drive_controller.h"
#include "engine/update_event.h"
#include "framework/file.h"

namespace {

constexpr int32_t kBlockSize = 0x4000;
constexpr UINT kTypeCodeReadLength = 10;
constexpr size_t kTypeCodeLength = 6;

// Reads exactly `length` bytes. A read error or a file that ends early is a failed read:
// what the buffer holds then must never reach the drive or a comparison.
bool ReadExactly(CFile& file, void* buffer, UINT length) {
    try {
        return file.Read(buffer, length) == length;
    } catch (CFileException* e) {
        e->Delete();
        return false;
    }
}

// The status holds only the low 32 bits of the size: a file that still delivers data after
// them was larger, and the drive has not got the whole image.
UpdateResult CheckEndOfImage(CFile& file) {
    uint8_t probe = 0;
    try {
        return file.Read(&probe, 1) == 0 ? kUpdateSuccess : kUpdateImageOpenFailed;
    } catch (CFileException* e) {
        e->Delete();
        return kUpdateImageReadFailed;
    }
}

}  // namespace

UpdateResult CDriveController::TransferImage(int32_t typeCodeOffset, const char* imagePath,
                                             int check) {
    CFile file;
    if (!file.Open(imagePath, CFile::modeRead | CFile::shareDenyWrite)) {
        return kUpdateImageOpenFailed;
    }
    CFileStatus status;
    if (!file.GetStatus(status)) {
        file.Abort();
        return kUpdateImageOpenFailed;
    }
    // A size of 2 GiB or more reads as negative: refuse it rather than send wrong lengths.
    const int32_t size = static_cast<int32_t>(status.m_size);
    if (size < 0) {
        file.Abort();
        return kUpdateImageOpenFailed;
    }
    const int32_t count = size / kBlockSize;
    const int32_t rest = size % kBlockSize;

    UpdateResult result = check == 1 ? CheckTypeCode(typeCodeOffset, file) : kUpdateSuccess;

    std::vector<uint8_t> block(kBlockSize);
    for (int32_t i = 0; i < count && result == kUpdateSuccess; ++i) {
        if (CancelRequested()) {
            result = kUpdateCancelled;
            break;
        }
        Notify(kEventProgress, static_cast<int>(static_cast<int64_t>(i) * 100 / count));
        if (!ReadExactly(file, block.data(), kBlockSize)) {
            result = kUpdateImageReadFailed;
        } else if (TransferBlock(block.data(), kBlockSize) != kCompletionSuccess) {
            result = kUpdateTransferFailed;
        }
    }
    if (result == kUpdateSuccess && rest != 0) {
        if (CancelRequested()) {
            result = kUpdateCancelled;
        } else if (!ReadExactly(file, block.data(), static_cast<UINT>(rest))) {
            result = kUpdateImageReadFailed;
        } else if (TransferBlock(block.data(), rest) != kCompletionSuccess) {
            result = kUpdateTransferFailed;
        }
    }
    if (result == kUpdateSuccess) {
        result = CheckEndOfImage(file);
    }
    // Nothing was written, so closing cannot lose data; its errors must not escape the run.
    file.Abort();
    return result;
}

UpdateResult CDriveController::CheckTypeCode(int32_t typeCodeOffset, CFile& file) {
    UpdateResult result = kUpdateSuccess;
    const uint32_t address = static_cast<uint32_t>(typeCodeOffset);
    uint8_t fromImage[kTypeCodeReadLength] = {};
    uint8_t fromDrive[kTypeCodeReadLength] = {};
    try {
        file.Seek(typeCodeOffset, CFile::begin);
        if (!ReadExactly(file, fromImage, kTypeCodeReadLength)) {
            result = kUpdateImageReadFailed;
        }
    } catch (CFileException* e) {
        e->Delete();
        result = kUpdateImageReadFailed;
    }
    if (result == kUpdateSuccess) {
        if (ReadData(fromDrive, address, kTypeCodeReadLength) != kCompletionSuccess) {
            result = kUpdateTypeCodeReadFailed;
        } else if (std::memcmp(fromImage, fromDrive, kTypeCodeLength) != 0) {
            result = kUpdateTypeCodeMismatch;
        }
    }
    try {
        file.SeekToBegin();
    } catch (CFileException* e) {
        e->Delete();
        if (result == kUpdateSuccess) {
            result = kUpdateImageReadFailed;
        }
    }
    return result;
}
