#include "app/updater_app.h"

#include <memory>

#include "app/updater_dlg.h"
#include "params/param_list_dlg.h"

CUpdaterApp theApp;

CUpdaterCommandLine::CUpdaterCommandLine() = default;

CUpdaterCommandLine::~CUpdaterCommandLine() = default;

void CUpdaterCommandLine::ParseParam(const char* pszParam, BOOL bFlag, BOOL /*bLast*/) {
    if (!bFlag) {
        m_strParam = pszParam;
    }
}

BEGIN_MESSAGE_MAP(CUpdaterApp, CWinApp)
END_MESSAGE_MAP()

CUpdaterApp::CUpdaterApp() : CWinApp(nullptr) {}

CUpdaterApp::~CUpdaterApp() = default;

BOOL CUpdaterApp::InitInstance() {
    Enable3dControls();
    m_cmdInfo.m_strParam.clear();  // a fresh start reads its own command line only
    ParseCommandLine(m_cmdInfo);

    std::unique_ptr<CDialog> dialog;
    if (m_cmdInfo.m_strParam.empty()) {
        dialog = std::make_unique<CUpdaterDlg>();
    } else {
        dialog = std::make_unique<CParamListDlg>(m_cmdInfo.m_strParam.c_str());
    }
    m_pMainWnd = dialog.get();
    dialog->DoModal();
    dialog.reset();
    m_pMainWnd = nullptr;
    return FALSE;
}
