// What both dialogs that run as the program's main window do: the version item of the
// system menu and the show state they start with.
#pragma once

#include "framework/afxwin.h"

// Appends a separator and the version item (string 101, command IDM_ABOUTBOX) to the
// window's system menu; nothing when the window has no system menu or the string is empty.
void AppendAboutMenuItem(CWnd& wnd);
// Whether a system command is the version item's (the low four bits are the system's own).
bool IsAboutCommand(UINT nID);
// Clears bits 0 and 1 of the window placement's show command, so the dialog does not start
// minimised or maximised whatever the caller asked for.
void NormalizePlacement(CWnd& wnd);
// A message box titled with the window's caption as it reads now.
int AskUser(CWnd& wnd, const CString& text, UINT type);
