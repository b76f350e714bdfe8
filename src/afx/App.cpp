#include "App.h"

#include "Codec.h"

#include <QSettings>

#include "Codec.h"
#include "Resource.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QSessionManager>
#include <QTranslator>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

CWinApp* s_pApp = nullptr;

// The executable's path as the file system has it (UTF-8).
std::string ExecutablePath()
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        return path.string();
    return QCoreApplication::instance() ? QCoreApplication::applicationFilePath().toStdString() : std::string();
}

CString ExecutablePathBytes()
{
    const std::string strPath = ExecutablePath();
    return Codec::FromUnicode(QString::fromUtf8(strPath.data(), (qsizetype)strPath.size()));
}

} // namespace

CWinApp::CWinApp(LPCTSTR lpszAppName)
{
    s_pApp = this;
    if (lpszAppName) {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName;
    }
}

CWinApp::~CWinApp()
{
    if (s_pApp == this)
        s_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::Run()
{
    QApplication::exec();
    return ExitInstance();
}

int CWinApp::ExitInstance()
{
    return 0;
}

BOOL CWinApp::QueryEndSession()
{
    if (!m_pMainWnd || !m_pMainWnd->GetSafeHwnd())
        return TRUE;
    return (BOOL)m_pMainWnd->SendMessage(WM_QUERYENDSESSION, 0, 0);
}

HICON CWinApp::LoadIcon(UINT nIDResource) const
{
    return AfxLoadIcon(nIDResource);
}

HCURSOR CWinApp::LoadCursor(UINT nIDResource) const
{
    return AfxLoadCursor(nIDResource);
}

// The names become known when the program starts, after the resources were registered.
void CWinApp::SetCurrentNames()
{
    const CString strPath = ExecutablePathBytes();
    m_strExeName = strPath.Mid(strPath.ReverseFind('/') + 1);
    m_pszExeName = m_strExeName;
    if (m_strAppName.IsEmpty() && !m_strAppName.LoadString(AFX_IDS_APP_TITLE))
        m_strAppName = m_strExeName;
    m_pszAppName = m_strAppName;
}

CWinApp* AfxGetApp()
{
    return s_pApp;
}

CWnd* AfxGetMainWnd()
{
    return s_pApp ? s_pApp->m_pMainWnd : nullptr;
}

LPCTSTR AfxGetAppName()
{
    return s_pApp && s_pApp->m_pszAppName ? s_pApp->m_pszAppName : "";
}

void AfxEnableControlContainer() {}

DWORD GetModuleFileName(HMODULE, LPTSTR lpFilename, DWORD nSize)
{
    if (!lpFilename || nSize == 0)
        return 0;
    const CString strPath = ExecutablePathBytes();
    const DWORD nLength = std::min<DWORD>((DWORD)strPath.GetLength(), nSize - 1);
    std::memcpy(lpFilename, (LPCTSTR)strPath, nLength);
    lpFilename[nLength] = '\0';
    return nLength;
}

BOOL AfxLoadQtTranslations()
{
    static QTranslator* s_pTranslator = nullptr;
    if (s_pTranslator)
        return TRUE;
    auto pTranslator = std::make_unique<QTranslator>();
    if (!pTranslator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(pTranslator.get()))
        return FALSE;
    // Installed for the rest of the process.
    s_pTranslator = pTranslator.release();
    return TRUE;
}

int AfxWinMain(int argc, char** argv)
{
    QApplication app(argc, argv);
    AfxLoadQtTranslations();
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return -1;
    pApp->SetCurrentNames();
    // The session manager asks before the desktop session ends; the program may ask the user.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, [pApp](QSessionManager& manager) {
        if (!manager.allowsInteraction())
            return;
        if (!pApp->QueryEndSession())
            manager.cancel();
        manager.release();
    });
    if (!pApp->InitInstance()) {
        if (pApp->m_pMainWnd && pApp->m_pMainWnd->GetSafeHwnd())
            pApp->m_pMainWnd->DestroyWindow();
        return pApp->ExitInstance();
    }
    return pApp->Run();
}

// ---- Settings ----

namespace {

// One settings file for the program; a section name may hold any character but the separators.
QString ProfileKey(LPCTSTR lpszSection, LPCTSTR lpszEntry)
{
    QString strSection = Codec::ToUnicode(lpszSection);
    strSection.replace(u'/', u'_').replace(u'\\', u'_');
    return strSection + u'/' + Codec::ToUnicode(lpszEntry);
}

} // namespace

UINT CWinApp::GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Veltrane"), QStringLiteral("veltrane"));
    bool bOk = false;
    const int nValue = settings.value(ProfileKey(lpszSection, lpszEntry)).toInt(&bOk);
    return (UINT)(bOk ? nValue : nDefault);
}

BOOL CWinApp::WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Veltrane"), QStringLiteral("veltrane"));
    settings.setValue(ProfileKey(lpszSection, lpszEntry), nValue);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

BOOL CWinApp::WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Veltrane"), QStringLiteral("veltrane"));
    if (lpszValue)
        settings.setValue(ProfileKey(lpszSection, lpszEntry), Codec::ToUnicode(lpszValue));
    else
        settings.remove(ProfileKey(lpszSection, lpszEntry));
    settings.sync();
    return settings.status() == QSettings::NoError;
}
