// CCommandLine: what the program is asked to do when it starts. Without options it opens its
// window (on a document, when one is named); --pdf and --print make certificates without any
// window, --help explains all of this. Parsing is apart from running, and needs nothing but
// the arguments, so that it can run before the application object exists.
#pragma once

#include "String.h"

#include <string>
#include <vector>

class CMainDlg;

class CCommandLine {
public:
    enum Command { cmdWindow, cmdHelp, cmdPdf, cmdPrint };
    // Exit codes: a run that failed, and a command line that could not be understood.
    enum { exitFailed = 1, exitUsage = 2 };

    struct Options {
        Command nCommand = cmdWindow;
        CString strDocument;   // GB18030, as every path of the program; may be empty in the window
        CString strOutput;     // --pdf's file
        int nFrom = 1;         // the first record to print
        BOOL bBackground = FALSE;
    };

    // The arguments after the program's name, as the system passes them (UTF-8). FALSE with
    // strError, one line in GB18030, when they do not make a command.
    static BOOL Parse(const std::vector<std::string>& args, Options& options, CString& strError);

    // The commands that run without a window, and so need no display.
    static BOOL IsWindowless(const Options& options) { return options.nCommand != cmdWindow; }

    // Runs --pdf or --print and returns the exit code, 0 for success. Prints one line: how
    // many certificates went where on standard output, or what failed, and where, on standard
    // error. Needs the application object; makes a main window but never shows it.
    static int Run(const Options& options);

    // A path from the command line as the program keeps it: absolute, so that the document's
    // folder (where its background picture lies) is known whatever the working folder.
    static CString AbsolutePath(const CString& strPath);
    // The text for --help.
    static CString GetHelpText();
    // Prints a message as one line, on stdout or stderr, in the terminal's encoding.
    static void PrintLine(const CString& strLine, bool bError);
    // Prints a text of several lines on stdout.
    static void PrintText(const CString& strText);

private:
    static BOOL ReadDocument(CMainDlg& dlg, const CString& strPath, CString& strError);
    static BOOL HasPrintable(CMainDlg& dlg, UINT nIDPrompt);
    static int ExportPdf(CMainDlg& dlg, const Options& options);
    static int Print(CMainDlg& dlg, const Options& options);
};
