// The resource formats: dialog templates, string table entries and icons, with the window
// style values (as published for Win32) that templates use.
#pragma once

#include <cstddef>

#include "winapi/windef.h"

// Window styles.
#define WS_POPUP 0x80000000u
#define WS_CHILD 0x40000000u
#define WS_VISIBLE 0x10000000u
#define WS_DISABLED 0x08000000u
#define WS_CAPTION 0x00C00000u
#define WS_BORDER 0x00800000u
#define WS_VSCROLL 0x00200000u
#define WS_HSCROLL 0x00100000u
#define WS_SYSMENU 0x00080000u
#define WS_GROUP 0x00020000u
#define WS_TABSTOP 0x00010000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_EX_APPWINDOW 0x00040000u

// Dialog styles.
#define DS_3DLOOK 0x0004u
#define DS_SETFONT 0x0040u
#define DS_MODALFRAME 0x0080u
#define DS_CENTER 0x0800u

// Button styles.
#define BS_PUSHBUTTON 0x0000u
#define BS_DEFPUSHBUTTON 0x0001u
#define BS_CHECKBOX 0x0002u
#define BS_AUTOCHECKBOX 0x0003u
#define BS_RADIOBUTTON 0x0004u
#define BS_3STATE 0x0005u
#define BS_AUTO3STATE 0x0006u
#define BS_GROUPBOX 0x0007u
#define BS_AUTORADIOBUTTON 0x0009u
#define BS_TYPEMASK 0x000Fu

// Static styles.
#define SS_LEFT 0x0000u
#define SS_CENTER 0x0001u
#define SS_RIGHT 0x0002u
#define SS_ICON 0x0003u
#define SS_TYPEMASK 0x001Fu
#define SS_NOPREFIX 0x0080u
#define SS_CENTERIMAGE 0x0200u

// Edit styles.
#define ES_LEFT 0x0000u
#define ES_AUTOHSCROLL 0x0080u

// Combo box styles.
#define CBS_DROPDOWNLIST 0x0003u
#define CBS_SORT 0x0100u

// List box styles.
#define LBS_NOTIFY 0x0001u
#define LBS_SORT 0x0002u
#define LBS_NOINTEGRALHEIGHT 0x0100u

// Progress bar styles.
#define PBS_SMOOTH 0x01u

namespace res {

// The window class of a template item, as a resource compiler names it.
enum class ControlClass { Button, Static, Edit, ComboBox, ListBox, Progress };

// One control of a dialog template. Position and size are in dialog units.
struct DialogItemTemplate {
    ControlClass controlClass;
    const char* text;  // UTF-8; null for none
    int id;
    short x, y, cx, cy;
    DWORD style;
    UINT iconId;  // for SS_ICON statics: the icon resource shown
};

// A dialog template: caption, font, size in dialog units, styles and the controls in
// template order, which is also the tab order.
struct DialogTemplate {
    UINT id;
    const char* caption;
    const char* fontName;
    WORD pointSize;
    short cx, cy;
    DWORD style;
    DWORD exStyle;
    const DialogItemTemplate* items;
    size_t itemCount;
};

// An icon: its size in pixels and a small picture in text rows that a terminal can draw
// (each row the same number of columns).
struct IconResource {
    UINT id;
    int width, height;
    const char* const* rows;
    size_t rowCount;
};

// The program's resources. Null when there is no resource with that id.
const DialogTemplate* FindDialogTemplate(UINT id);
const char* FindString(UINT id);  // UTF-8, line breaks as \n
const IconResource* FindIcon(UINT id);

}  // namespace res
