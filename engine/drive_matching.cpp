#include "engine/drive_matching.h"

#include "engine/drive_controller.h"

const char* const SupportedVendorPatterns[] = {"        ", ""};

bool MatchInquiryPattern(const char* pattern, const uint8_t* field, int fieldLength) {
    for (int i = 0; pattern[i] != '\0'; ++i) {
        if (pattern[i] == '?') {
            continue;
        }
        const uint8_t byte = i < fieldLength ? field[i] : 0;
        if (static_cast<uint8_t>(pattern[i]) != byte) {
            return false;
        }
    }
    return true;
}

int CDriveController::IsSupportedVendor(const uint8_t* inquiry) const {
    for (const char* const* pattern = SupportedVendorPatterns; (*pattern)[0] != '\0'; ++pattern) {
        if (MatchInquiryPattern(*pattern, inquiry + kInquiryVendorOffset, kInquiryVendorLength)) {
            return 1;
        }
    }
    return 0;
}

int CDriveController::FindDriveParam(const uint8_t* inquiry, DriveParam& param) const {
    for (const DriveParam& entry : m_driveParams) {
        param = entry;
        if (MatchInquiryPattern(entry.modelName.c_str(), inquiry + kInquiryProductOffset,
                                kInquiryProductLength)) {
            return 1;
        }
    }
    return 0;
}
