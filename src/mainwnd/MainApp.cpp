#include "MainApp.h"

#include "MainDlg.h"

#include <cstring>

CMainApp::CMainApp() : m_nExitCode(0)
{
    m_szAppDir[0] = '\0';
}

BOOL CMainApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControlsStatic();

    GetModuleFileName(nullptr, m_szAppDir, sizeof(m_szAppDir));
    RemoveFileName(m_szAppDir);

    if (CCommandLine::IsWindowless(m_options)) {
        m_nExitCode = CCommandLine::Run(m_options);
        return FALSE;
    }
    CMainDlg dlg;
    dlg.m_strOpenPath = CCommandLine::AbsolutePath(m_options.strDocument);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;   // the window object ends here
    return FALSE;
}

int CMainApp::ExitInstance()
{
    CWinApp::ExitInstance();
    return m_nExitCode;
}

void CMainApp::RemoveFileName(char* pszPath)
{
    for (int i = (int)std::strlen(pszPath) - 1; i > 0; i--) {
        if (pszPath[i] == '/') {
            pszPath[i] = '\0';
            return;
        }
    }
}
