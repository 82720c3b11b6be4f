// One SCSI command as the controller executes it, and its transport-independent outcome.
#pragma once

#include <cstdint>

// Multiples of 16; callers only compare against kCompletionSuccess, the finer values are
// kept for GetStatus.
using CompletionCode = int32_t;

constexpr CompletionCode kCompletionSuccess = 0;
constexpr CompletionCode kCompletionTransportFailed = 16;
constexpr CompletionCode kCompletionOtherFailure = 32;
constexpr CompletionCode kCompletionNoEvent = 48;
constexpr CompletionCode kCompletionBusy = 64;
constexpr CompletionCode kCompletionNotReady = 80;
constexpr CompletionCode kCompletionMediumError = 96;
constexpr CompletionCode kCompletionHardwareError = 112;
constexpr CompletionCode kCompletionUnitAttention = 128;
constexpr CompletionCode kCompletionDataProtect = 144;
constexpr CompletionCode kCompletionIllegalRequest = 160;
constexpr CompletionCode kCompletionAbortedCommand = 176;
// Returned when the command could not even be sent: no transport, or the device path did
// not open. Any non-zero value would do; this one says what happened.
constexpr CompletionCode kCompletionNotSent = kCompletionTransportFailed;

enum ScsiDirection : uint8_t {
    kDirectionNone = 0,
    kDirectionOut = 1,  // host to drive
    kDirectionIn = 2,   // drive to host
};

struct ScsiRequest {
    uint8_t direction = kDirectionNone;
    uint32_t length = 0;
    void* buffer = nullptr;
    uint8_t cdbLength = 0;
    uint8_t cdb[16] = {};
};

struct CommandStatus {
    CompletionCode code;
    uint8_t senseKey;
    uint8_t asc;
    uint8_t ascq;
};
