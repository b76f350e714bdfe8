// CUserSession: a user's session with the main window, chosen by bytes. Pastes of odd text at
// any cell, in-place edits typed with real keys, cuts and deletes, dividers dragged and
// double-clicked, documents with more rows opened, the design window's items added, moved,
// resized, edited and deleted and its paper resized, all through real events and the dialogs'
// real widgets. Then "保存文件" saves the document and a fresh main window opens it again:
// every cell, row heading, column width, item and the paper size must come back.
// The property test runs fixed seeds of it; the fuzz target runs whatever the fuzzer makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class CMainApp;
class CMainDlg;

class CUserSession {
public:
    // Documents go to strFolder (UTF-8); app becomes the main window's application. The
    // table starts with nRecords rows instead of its 300 when asked: a smaller one is quicker,
    // and a paste grows it sooner. Each run makes its main window and the window that reads
    // the saved document anew, or, quicker, reuses both, starting a new document in them.
    CUserSession(CMainApp& app, const std::string& strFolder, int nRecords = 300, bool bReuseWindows = false);
    ~CUserSession();

    // "" when every check held and the reopened document equals the saved one; otherwise
    // what broke first.
    std::string Run(const uint8_t* pData, size_t nSize);

    // How often each kind of step changed the document ("pasted", "grew", "column fitted",
    // "item moved", ...), and how many round trips held, over all runs so far.
    const std::map<std::string, int>& Tally() const { return m_tally; }

private:
    std::unique_ptr<CMainDlg> MakeWindow() const;
    void NewDocument(CMainDlg& dlg) const;
    void CloseWindows();

    CMainApp& m_app;
    std::string m_strFolder;
    int m_nRecords;
    bool m_bReuseWindows;
    std::map<std::string, int> m_tally;
    std::unique_ptr<CMainDlg> m_pDialog;
    std::unique_ptr<CMainDlg> m_pReader;
};
