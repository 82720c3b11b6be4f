// One drive parameter entry: which drives it covers and how they are driven.
#pragma once

#include <cstdint>

#include "framework/afxstr.h"

struct DriveParam {
    CString productName;  // INI section name; empty for a built-in row
    CString modelName;    // pattern for the inquiry product id: '?' is any one character
    uint32_t typeCodeOffset = 0;
    int32_t atapi = 0;           // 1: ATAPI device, anything else: SCSI
    int32_t typeCodeEnable = 0;  // 1: the type code is read from the drive and checked
};

using CDriveParamList = CTypedList<DriveParam>;
