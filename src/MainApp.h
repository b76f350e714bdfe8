// CMainApp: the application object. Its whole life is the main window, run modally.
#pragma once

#include "App.h"

class CMainApp : public CWinApp {
public:
    CMainApp();

    // The folder of the program's executable, without a trailing separator (CP936). The file
    // dialogs start here and the background picture is looked up here.
    char m_szAppDir[4096];

    // Runs the main window; FALSE, so the program ends when it closes.
    BOOL InitInstance() override;

    // Cuts a path at its last separator, looking from the end down to position 1: a path
    // whose only separator is its first character ("/veltrane") stays whole.
    static void RemoveFileName(char* pszPath);
};
