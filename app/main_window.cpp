#include "app/main_window.h"

#include "res/resource.h"

void AppendAboutMenuItem(CWnd& wnd) {
    CMenu* menu = wnd.GetSystemMenu(FALSE);
    if (menu == nullptr) {
        return;
    }
    const CString text = AfxLoadString(IDS_ABOUTBOX);
    if (text.empty()) {
        return;
    }
    menu->AppendMenu(MF_SEPARATOR);
    menu->AppendMenu(MF_STRING, IDM_ABOUTBOX, text.c_str());
}

bool IsAboutCommand(UINT nID) { return (nID & 0xFFF0) == IDM_ABOUTBOX; }

void NormalizePlacement(CWnd& wnd) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    wnd.GetWindowPlacement(&placement);
    if ((placement.showCmd & 3u) != 0) {
        placement.showCmd &= ~3u;
        wnd.SetWindowPlacement(&placement);
    }
}

int AskUser(CWnd& wnd, const CString& text, UINT type) {
    CString caption;
    wnd.GetWindowText(caption);
    return wnd.MessageBox(text.c_str(), caption.c_str(), type);
}
