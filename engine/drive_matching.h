// Recognising a supported drive by its inquiry data.
#pragma once

#include <cstdint>

// Vendor identifications of supported drives, ended by an empty row: the drives report a
// blank vendor identification.
extern const char* const SupportedVendorPatterns[];

// Compares `pattern` with an inquiry field from its first byte, for as many characters as
// the pattern has: '?' matches any byte, every other character must equal the byte. A
// pattern longer than the field meets zero bytes past its end, which only '?' matches.
bool MatchInquiryPattern(const char* pattern, const uint8_t* field, int fieldLength);
