// The application object: reads the command line and runs the one dialog of the program.
#pragma once

#include "framework/afxwin.h"

// Keeps the last argument that is not a switch: the parameter file to edit.
class CUpdaterCommandLine : public CCommandLineInfo {
  public:
    CUpdaterCommandLine();
    ~CUpdaterCommandLine() override;
    // Switches are ignored; the base's own parsing is never used, so the command line
    // cannot make the framework open, print or exchange anything.
    void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast) override;

    CString m_strParam;
};

class CUpdaterApp : public CWinApp {
  public:
    CUpdaterApp();
    ~CUpdaterApp() override;

    // Update dialog without a parameter, parameter editor with one; always FALSE, so the
    // program ends when that dialog has closed.
    BOOL InitInstance() override;

    CUpdaterCommandLine m_cmdInfo;

    DECLARE_MESSAGE_MAP()
};

// The one application object.
extern CUpdaterApp theApp;
