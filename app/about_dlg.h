// The version dialog, opened from the system menu of the program's main window.
#pragma once

#include "framework/afxwin.h"

class CAboutDlg : public CDialog {
  public:
    CAboutDlg();
    ~CAboutDlg() override;
};
