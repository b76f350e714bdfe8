// CWinApp: the application object. The program has one global instance; AfxWinMain (called
// by main) starts the Qt application and runs that object's InitInstance, as the framework's
// WinMain does.
#pragma once

#include "Wnd.h"

class CWinApp : public CObject {
public:
    // NULL: the title from the string table (AFX_IDS_APP_TITLE), else the executable's name.
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The program's start; FALSE ends the program when it returns (a dialog-based program
    // runs its main dialog modally inside and returns FALSE).
    virtual BOOL InitInstance();
    // The event loop, for a program whose InitInstance returned TRUE.
    virtual int Run();
    // The program's exit code.
    virtual int ExitInstance();
    // The desktop session is ending: the main window may ask the user (WM_QUERYENDSESSION).
    // FALSE when it asks to keep the session going.
    BOOL QueryEndSession();

    // The user's settings (QSettings, one file for the program): an integer under a section
    // and an entry, GB18030 names; nDefault when there is none.
    UINT GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue);
    // A text entry; a NULL lpszValue removes the entry.
    BOOL WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue);

    HICON LoadIcon(UINT nIDResource) const;
    HCURSOR LoadCursor(UINT nIDResource) const;
    HCURSOR LoadStandardCursor(HCURSOR hStdCursor) const { return hStdCursor; }
    // Three-dimensional controls are the platform's own look.
    BOOL Enable3dControlsStatic() { return TRUE; }

    CWnd* m_pMainWnd = nullptr;
    LPCTSTR m_pszAppName = nullptr;   // GB18030
    LPCTSTR m_pszExeName = nullptr;   // the executable's file name without its folder

private:
    friend int AfxWinMain(int argc, char** argv);
    void SetCurrentNames();
    CString m_strAppName;
    CString m_strExeName;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
LPCTSTR AfxGetAppName();
// OLE controls are not used on this platform; the call is kept for the program's start-up.
void AfxEnableControlContainer();

// The full path of the running executable (NULL module: this program), GB18030, "/" as the
// separator; at most nSize - 1 bytes and a NUL. Returns the length copied.
DWORD GetModuleFileName(HMODULE hModule, LPTSTR lpFilename, DWORD nSize);

// Qt's own texts (the file dialog, the standard buttons of its boxes, the edits' context menu)
// in the program's language: Qt's zh_CN translations, from the folder where the system keeps
// Qt's translations. FALSE when they are not installed; Qt then speaks English.
BOOL AfxLoadQtTranslations();

// The program's start: the Qt application, its translations, then InitInstance (and Run when
// it returns TRUE), then ExitInstance. Returns the exit code.
int AfxWinMain(int argc, char** argv);
