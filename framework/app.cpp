#include "framework/app.h"

#include "framework/frontend.h"
#include "framework/model.h"
#include "framework/window_system.h"
#include "framework/wnd.h"

namespace {

CWinApp* g_app = nullptr;
std::vector<CString> g_arguments;

// "C:\dir\prog.exe" and "/usr/bin/prog" both give "prog".
CString BaseName(const CString& path) {
    size_t slash = path.find_last_of("/\\");
    CString name = slash == CString::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != CString::npos && dot > 0) name.erase(dot);
    return name;
}

CString ExecutableBaseName() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return BaseName(CString(path, length));
    return g_arguments.empty() ? CString() : BaseName(g_arguments.front());
}

// A switch begins with '-' or '/'. An argument with a further '/' after a leading one is an
// absolute path on this system, not a switch.
bool IsSwitch(const CString& argument) {
    if (argument.empty()) return false;
    if (argument[0] == '-') return true;
    return argument[0] == '/' && argument.find('/', 1) == CString::npos;
}

}  // namespace

// ---- CCommandLineInfo

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL) {
    if (bFlag || !m_strFileName.empty()) return;
    m_strFileName = pszParam;
    m_nShellCommand = FileOpen;
}

// ---- CWinApp

// clang-format off
BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()
// clang-format on

CWinApp::CWinApp(LPCSTR lpszAppName) : m_nameGiven(lpszAppName != nullptr) {
    if (m_nameGiven) {
        m_appName = lpszAppName;
        m_pszAppName = m_appName.c_str();
    }
    if (g_app == nullptr) g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

void CWinApp::SetNames(const CString& exeBaseName) {
    m_exeName = exeBaseName;
    m_pszExeName = m_exeName.c_str();
    if (!m_nameGiven) {
        m_appName = exeBaseName;
        m_pszAppName = m_appName.c_str();
    }
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
    for (size_t i = 1; i < g_arguments.size(); ++i) {
        const CString& argument = g_arguments[i];
        bool isSwitch = IsSwitch(argument);
        const char* text = argument.c_str() + (isSwitch ? 1 : 0);
        rCmdInfo.ParseParam(text, isSwitch ? TRUE : FALSE,
                            i + 1 == g_arguments.size() ? TRUE : FALSE);
    }
}

HICON CWinApp::LoadIcon(UINT nIDResource) const { return afx::IconHandle(nIDResource); }

BOOL CWinApp::Enable3dControls() { return FALSE; }

int CWinApp::DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT) {
    if ((nType & MB_ICONMASK) == 0) {
        switch (nType & MB_TYPEMASK) {
            case MB_OK:
            case MB_OKCANCEL:
                nType |= MB_ICONEXCLAMATION;
                break;
            case MB_YESNO:
            case MB_YESNOCANCEL:
                nType |= MB_ICONQUESTION;
                break;
            default:
                break;
        }
    }
    // Owned by the window that takes input now, else by the main window.
    afx::Window* owner = afx::TopWindow();
    if (owner == nullptr && m_pMainWnd != nullptr) {
        owner = afx::detail::WindowOf(*m_pMainWnd);
    }
    return afx::detail::RunMessageBox(owner, lpszPrompt != nullptr ? lpszPrompt : "",
                                      AfxGetAppName(), nType);
}

CWinApp* AfxGetApp() { return g_app; }

CWnd* AfxGetMainWnd() { return g_app == nullptr ? nullptr : g_app->m_pMainWnd; }

LPCSTR AfxGetAppName() {
    if (g_app == nullptr) return "";
    if (g_app->m_pszAppName == nullptr) g_app->SetNames(ExecutableBaseName());
    return g_app->m_pszAppName;
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT nIDHelp) {
    if (g_app != nullptr) return g_app->DoMessageBox(lpszText, nType, nIDHelp);
    return afx::detail::RunMessageBox(afx::TopWindow(), lpszText != nullptr ? lpszText : "", "",
                                      nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    CString text = AfxLoadString(nIDPrompt);
    return AfxMessageBox(text.c_str(), nType,
                         nIDHelp == static_cast<UINT>(-1) ? nIDPrompt : nIDHelp);
}

CString AfxLoadString(UINT nID) {
    const char* text = res::FindString(nID);
    return text == nullptr ? CString() : CString(text);
}

std::vector<CString> AfxSplitCommandLine(const CString& commandLine) {
    std::vector<CString> arguments;
    CString current;
    bool inArgument = false;
    bool quoted = false;
    size_t i = 0;
    while (i < commandLine.size()) {
        char c = commandLine[i];
        if ((c == ' ' || c == '\t') && !quoted) {
            if (inArgument) arguments.push_back(current);
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == '\\') {
            // 2n backslashes before a quote are n backslashes and the quote counts;
            // 2n+1 are n backslashes and a literal quote; elsewhere backslashes are literal.
            size_t run = 0;
            while (i < commandLine.size() && commandLine[i] == '\\') {
                ++run;
                ++i;
            }
            if (i < commandLine.size() && commandLine[i] == '"') {
                current.append(run / 2, '\\');
                if (run % 2 == 1) {
                    current += '"';
                    ++i;
                }
            } else {
                current.append(run, '\\');
            }
            continue;
        }
        if (c == '"') {
            // Two quotes inside quotes are one literal quote.
            if (quoted && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
                current += '"';
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument) arguments.push_back(current);
    return arguments;
}

int AfxRunApp(const std::vector<CString>& args) {
    g_arguments = args;
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 1;
    app->SetNames(ExecutableBaseName());
    // There is no application message loop: the program's windows are modal dialogs that
    // InitInstance runs.
    app->InitInstance();
    return app->ExitInstance();
}

int AfxWinMain(int argc, char* argv[], afx::Frontend& frontend) {
    std::vector<CString> args(argv, argv + argc);
    afx::Frontend* previous = afx::GetFrontend();
    afx::SetFrontend(&frontend);
    int code = AfxRunApp(args);
    afx::SetFrontend(previous);
    return code;
}
