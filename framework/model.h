// The window model: the state of every dialog, message box and control, complete without
// any frontend. Frontends and tests read it; they change it only through afx::user
// (framework/user_input.h), the way a person would. Everything here belongs to the
// user-interface thread that created the window.
#pragma once

#include <memory>
#include <vector>

#include "framework/afxstr.h"
#include "framework/window_types.h"

class CWnd;

namespace afx {

enum class WindowKind {
    Dialog,
    MessageBox,
    Static,       // text; alignment from SS_LEFT / SS_CENTER / SS_RIGHT, SS_CENTERIMAGE
    Icon,         // SS_ICON static showing `icon`
    PushButton,   // BS_PUSHBUTTON or BS_DEFPUSHBUTTON (the default button)
    CheckBox,     // BS_CHECKBOX / BS_AUTOCHECKBOX (and three-state kinds)
    RadioButton,  // BS_RADIOBUTTON / BS_AUTORADIOBUTTON; a WS_GROUP item starts a group
    GroupBox,
    ComboBox,  // drop-down list; CBS_SORT keeps items sorted
    ListBox,   // LBS_SORT keeps items sorted; LBS_NOTIFY sends selection notifications
    Edit,
    Progress,
};

struct ListItem {
    CString text;
    DWORD_PTR data = 0;
};

struct MenuItem {
    UINT flags = MF_STRING;  // MF_SEPARATOR, MF_GRAYED ...
    UINT id = 0;
    CString text;
};

// Position and size in dialog units (4 horizontal units are a character's average width,
// 8 vertical units its height).
struct DialogRect {
    int x = 0, y = 0, cx = 0, cy = 0;
};

// An icon drawn into a window while painting, at pixel coordinates of its client area.
struct PaintedIcon {
    HICON icon = nullptr;
    int x = 0, y = 0;
};

class Window {
  public:
    Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd = nullptr;
    WindowKind kind = WindowKind::Dialog;
    int id = 0;                // control id; 0 for dialogs and message boxes
    Window* parent = nullptr;  // controls: their dialog; top-level windows: their owner
    CWnd* handler = nullptr;   // receives the window's messages; null for unbound controls
    CString text;              // caption of a top-level window, text of a control
    DWORD style = 0;
    DWORD exStyle = 0;
    DialogRect rect;
    bool enabled = true;
    bool visible = true;

    // Lists.
    std::vector<ListItem> items;
    int curSel = -1;
    // Check boxes and radio buttons: BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE.
    int check = BST_UNCHECKED;
    // Progress bars.
    int lower = 0, upper = 100, pos = 0;
    // Icon statics.
    HICON icon = nullptr;

    // Top-level windows.
    std::vector<std::unique_ptr<Window>> controls;  // template order = tab order
    CString fontName;
    int pointSize = 0;
    bool hasSystemMenu = false;
    std::vector<MenuItem> systemMenu;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    UINT showCmd = SW_SHOWNORMAL;  // SW_SHOWNORMAL, SW_SHOWMINIMIZED or SW_SHOWMAXIMIZED
    Window* focus = nullptr;
    bool needsPaint = false;
    std::vector<PaintedIcon> painted;  // what the last WM_PAINT drew

    // Message boxes: `text` is the caption, `message` the text, `boxType` the MB_ flags;
    // `controls` hold one push button per answer (IDOK, IDYES, ...), the default first.
    CString message;
    UINT boxType = 0;
    int boxResult = 0;  // the answer; 0 while the box is open

    // The object GetDlgItem hands out for a control that no member is bound to.
    std::unique_ptr<CWnd> ownWnd;

    ~Window();

    bool IsTopLevel() const { return kind == WindowKind::Dialog || kind == WindowKind::MessageBox; }
    // The control with that id, null when there is none.
    Window* Control(int controlId) const;
    // The default push button of a dialog, null when there is none.
    Window* DefaultButton() const;
    // Whether a control takes input now: it and its dialog are enabled and visible.
    bool TakesInput() const;
    // Items are kept in byte-wise text order (CBS_SORT / LBS_SORT).
    bool Sorted() const;
};

// The window behind a handle; null for unknown or destroyed windows. Only the thread that
// owns the window may use it (or a test while that thread waits for input).
Window* FindWindow(HWND hwnd);

// The modal windows of the calling thread, the first opened first (the last is on top).
const std::vector<Window*>& ModalWindows();
// The window that takes input now: the last modal window, or null.
Window* TopWindow();

// Dialog units to pixels, with the base units of the dialogs' font.
int DialogUnitsToPixelsX(int units);
int DialogUnitsToPixelsY(int units);

// The handle of icon resource `resourceId`, null when there is none.
HICON IconHandle(UINT resourceId);
// The icon resource behind an icon handle, null for an unknown handle.
const res::IconResource* IconImage(HICON icon);

}  // namespace afx
