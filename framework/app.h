// The application object, the command line, message boxes of the application, string
// resources, and the start of the program.
#pragma once

#include <vector>

#include "framework/afxstr.h"
#include "framework/msgmap.h"

class CWnd;
namespace afx {
class Frontend;
}

// Receives the command line argument by argument (CWinApp::ParseCommandLine).
class CCommandLineInfo {
  public:
    enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, FileNothing = -1 };

    CCommandLineInfo() = default;
    virtual ~CCommandLineInfo() = default;
    // One argument after the program name. bFlag: it began with '-' or '/', which has been
    // stripped. bLast: it is the last argument. The base keeps the first non-switch
    // argument as the file to open.
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    int m_nShellCommand = FileNew;
    CString m_strFileName;
};

// The one application object of the program, a global constructed before the framework
// starts.
class CWinApp : public CCmdTarget {
  public:
    // Without a name, the application is named after the executable's base name.
    explicit CWinApp(LPCSTR lpszAppName = nullptr);
    ~CWinApp() override;

    // The program's start-up; FALSE ends the program (there is no application message loop).
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // Calls ParseParam for every argument after the program name, in order.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    // The icon resource nIDResource, null when there is none.
    HICON LoadIcon(UINT nIDResource) const;
    // Three-dimensional controls need no registration on the systems this runs on: does
    // nothing and returns FALSE.
    BOOL Enable3dControls();
    // The message boxes of AfxMessageBox, titled with the application's name.
    virtual int DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt);

    LPCSTR m_pszAppName = nullptr;
    LPCSTR m_pszExeName = nullptr;
    CWnd* m_pMainWnd = nullptr;

    DECLARE_MESSAGE_MAP()

  private:
    friend int AfxRunApp(const std::vector<CString>& args);
    friend LPCSTR AfxGetAppName();
    void SetNames(const CString& exeBaseName);
    CString m_appName;
    CString m_exeName;
    bool m_nameGiven;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
LPCSTR AfxGetAppName();

// A message box owned by the main window, titled with the application's name. When the type
// names no icon: MB_OK and MB_OKCANCEL get the exclamation icon, MB_YESNO and MB_YESNOCANCEL
// the question icon.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));

// The string resource nID (UTF-8, line breaks as \n); empty when there is none.
CString AfxLoadString(UINT nID);

// Splits a command line the way the C runtime of Windows does: blanks separate arguments,
// double quotes group blanks into one, backslashes escape quotes.
std::vector<CString> AfxSplitCommandLine(const CString& commandLine);

// Runs the application object with the given arguments (the first is the program) on the
// calling thread, which becomes the user-interface thread: names the application, calls
// InitInstance and, when it returns TRUE, ExitInstance. Returns the exit code. Uses the
// frontend installed with afx::SetFrontend.
int AfxRunApp(const std::vector<CString>& args);
// main(): installs the frontend, runs the application, uninstalls the frontend.
int AfxWinMain(int argc, char* argv[], afx::Frontend& frontend);
