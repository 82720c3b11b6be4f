// The Windows services the program calls, in one include.
#pragma once

#include "winapi/windef.h"
#include "winapi/winbase.h"
#include "winapi/winuser.h"
#include "winapi/security.h"
