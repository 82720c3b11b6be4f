// Win32 user-interface types and values that the class library's windows use, beyond
// those the program calls directly (winapi/winuser.h). Values as published.
#pragma once

#include "res/dialog_template.h"
#include "winapi/windows.h"

struct HMENU__;
typedef HMENU__* HMENU;
struct HDC__;
typedef HDC__* HDC;
typedef HICON HCURSOR;
typedef uintptr_t DWORD_PTR;
typedef intptr_t INT_PTR;
typedef const RECT* LPCRECT;
typedef RECT* LPRECT;

#define LOWORD(l) (static_cast<WORD>(static_cast<DWORD_PTR>(l) & 0xFFFF))
#define HIWORD(l) (static_cast<WORD>((static_cast<DWORD_PTR>(l) >> 16) & 0xFFFF))
#define MAKEWPARAM(l, h)                                    \
    (static_cast<WPARAM>((static_cast<DWORD>(l) & 0xFFFF) | \
                         ((static_cast<DWORD>(h) & 0xFFFF) << 16)))

// Messages.
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D

// System commands.
#define SC_SIZE 0xF000
#define SC_MOVE 0xF010
#define SC_MINIMIZE 0xF020
#define SC_MAXIMIZE 0xF030
#define SC_RESTORE 0xF120

// Menu item flags.
#define MF_BYCOMMAND 0x0000u
#define MF_STRING 0x0000u
#define MF_ENABLED 0x0000u
#define MF_GRAYED 0x0001u
#define MF_DISABLED 0x0002u
#define MF_BYPOSITION 0x0400u
#define MF_SEPARATOR 0x0800u

// Show commands beyond winuser.h.
#define SW_MINIMIZE 6
#define SW_RESTORE 9

// Control notifications (the high word of WM_COMMAND's wParam).
#define BN_CLICKED 0
#define CBN_SELCHANGE 1
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2
#define EN_CHANGE 0x0300

// Check states.
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002

// List results.
#define CB_ERR (-1)
#define CB_ERRSPACE (-2)
#define LB_ERR (-1)
#define LB_ERRSPACE (-2)
