// The update procedure: write mode, transfer, lock release, write preparation, polling.
#include "engine/drive_controller.h"
#include "engine/update_event.h"

namespace {

constexpr uint8_t kSenseNotReady = 0x2;
constexpr uint8_t kSenseHardwareError = 0x4;
constexpr uint8_t kAscMediumNotPresent = 0x3A;  // the drive's way of saying "done"
constexpr uint8_t kAscEraseFailed = 0xF1;
constexpr uint8_t kAscWriteFailed = 0xF2;
constexpr uint8_t kAscWrittenDataInvalid = 0xF4;
constexpr uint8_t kAscReceivedDataInvalid = 0xF5;
constexpr uint8_t kAscFlashPhase = 0xF7;
constexpr uint8_t kLastPhase = 0x03;
constexpr DWORD kPollIntervalMs = 500;

}  // namespace

UpdateResult CDriveController::RunUpdate(int position, const char* imagePath) {
    Notify(kEventStarted, 0);
    UpdateResult result = kUpdateBadDrive;
    if (position >= 0 && static_cast<size_t>(position) < m_drives.size()) {
        auto it = m_drives.begin();
        std::advance(it, position);
        const DriveEntry drive = *it;
        SelectDrive(drive);
        TestUnitReady(0);
        if (SetWriteMode(1) != kCompletionSuccess) {
            result = kUpdateWriteModeFailed;
        } else {
            result = TransferImage(static_cast<int32_t>(drive.typeCodeOffset), imagePath,
                                   drive.typeCode.empty() ? 0 : 1);
            // A cancelled transfer must not be followed by the lock release: the drive
            // would flash an incomplete image.
            if (result == kUpdateSuccess) {
                if (ReleaseLock() != kCompletionSuccess) {
                    result = kUpdateReleaseLockFailed;
                } else if (CompleteWritePreparation() != kCompletionSuccess) {
                    result = kUpdatePreparationFailed;
                } else {
                    result = WaitForCompletion();
                }
            }
            SetWriteMode(0);
        }
    }
    Notify(kEventFinished, result);
    return result;
}

UpdateResult CDriveController::WaitForCompletion() {
    UpdateResult result = kUpdateSuccess;
    bool running = true;
    do {
        TestUnitReady(1);
        const CommandStatus status = GetStatus();
        if (status.senseKey == kSenseNotReady && status.asc == kAscMediumNotPresent) {
            result = kUpdateSuccess;
            running = false;
        } else if (status.senseKey == kSenseHardwareError && status.asc == kAscEraseFailed) {
            result = kUpdateEraseFailed;
            running = false;
        } else if (status.senseKey == kSenseHardwareError && status.asc == kAscWriteFailed) {
            result = kUpdateWriteFailed;
            running = false;
        } else if (status.senseKey == kSenseHardwareError && status.asc == kAscWrittenDataInvalid) {
            result = kUpdateWrittenDataInvalid;
            running = false;
        } else if (status.senseKey == kSenseHardwareError &&
                   status.asc == kAscReceivedDataInvalid) {
            result = kUpdateReceivedDataInvalid;
            running = false;
        } else if (status.senseKey == kSenseNotReady && status.asc == kAscFlashPhase &&
                   status.ascq <= kLastPhase) {
            Notify(kEventChecking + status.ascq, 0);
        }
        Sleep(kPollIntervalMs);
    } while (running && !CancelRequested());
    return result;
}
