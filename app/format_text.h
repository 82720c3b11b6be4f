// printf-style formatting into a string, for the program's formatted texts.
#pragma once

#include "framework/afxstr.h"

CString FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
