#include "params/parse_hex.h"

uint32_t ParseHex(const CString& text) {
    uint32_t value = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            break;
        }
        value = (value << 4) | static_cast<uint32_t>(digit);  // 32 bits keep the last 8 digits
    }
    return value;
}
