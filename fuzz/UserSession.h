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
#include <string>

class CMainApp;

class CUserSession {
public:
    // Documents go to strFolder (UTF-8); app becomes the main window's application.
    CUserSession(CMainApp& app, const std::string& strFolder);

    // "" when every check held and the reopened document equals the saved one; otherwise
    // what broke first.
    std::string Run(const uint8_t* pData, size_t nSize);

    // How often each kind of step changed the document ("pasted", "grew", "column fitted",
    // "item moved", ...), and how many round trips held, over all runs so far.
    const std::map<std::string, int>& Tally() const { return m_tally; }

private:
    CMainApp& m_app;
    std::string m_strFolder;
    std::map<std::string, int> m_tally;
};
