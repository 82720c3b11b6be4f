// Lenient hexadecimal conversion of a typed or stored offset.
#pragma once

#include <cstdint>

#include "framework/afxstr.h"

// Reads hexadecimal digits (either case) from the start of the text and stops at the first
// other character: "8004" and "8004h" give 0x8004, "0x8004" gives 0, "" gives 0. Only the
// last eight digits count.
uint32_t ParseHex(const CString& text);
