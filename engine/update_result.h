// The outcome of one update run, as the dialog turns it into a message.
#pragma once

#include <cstdint>

using UpdateResult = int32_t;

constexpr UpdateResult kUpdateSuccess = 0;
constexpr UpdateResult kUpdateBadDrive = 1;
constexpr UpdateResult kUpdateWriteModeFailed = 2;
constexpr UpdateResult kUpdateImageOpenFailed = 3;
constexpr UpdateResult kUpdateTransferFailed = 4;
constexpr UpdateResult kUpdateReleaseLockFailed = 5;
constexpr UpdateResult kUpdatePreparationFailed = 6;
constexpr UpdateResult kUpdateReceivedDataInvalid = 7;
constexpr UpdateResult kUpdateEraseFailed = 8;
constexpr UpdateResult kUpdateWriteFailed = 9;
constexpr UpdateResult kUpdateWrittenDataInvalid = 10;
constexpr UpdateResult kUpdateTypeCodeReadFailed = 11;
constexpr UpdateResult kUpdateTypeCodeMismatch = 12;
constexpr UpdateResult kUpdateImageReadFailed = 13;
// The user abandoned the run while the image was being sent; the drive got no lock
// release, no write preparation and no polling, so it never flashes a partial image.
constexpr UpdateResult kUpdateCancelled = 15;
