// CMainApp: the application object. Its whole life is the main window, run modally.
#pragma once

#include "App.h"
#include "CommandLine.h"

class CMainApp : public CWinApp {
public:
    CMainApp();

    // The folder of the program's executable, without a trailing separator (GB18030): /usr/bin
    // once installed. The background picture is looked up here when the document has none.
    char m_szAppDir[4096];

    // What the command line asked for; main() fills it in before the program starts.
    CCommandLine::Options m_options;

    // Runs the main window, or the command line's command; FALSE, so the program ends then.
    BOOL InitInstance() override;
    // The command's exit code; 0 after the window.
    int ExitInstance() override;

    // Cuts a path at its last separator, looking from the end down to position 1: a path
    // whose only separator is its first character ("/veltrane") stays whole.
    static void RemoveFileName(char* pszPath);

private:
    int m_nExitCode;
};
