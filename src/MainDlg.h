// CMainDlg: the main window. It holds the document (the record table, its path and the
// certificate layout) and the current record that the other windows show and print.
#pragma once

#include "Dialog.h"
#include "GridCtrl.h"
#include "PrintSet.h"
#include "resource.h"

class CMainDlg : public CDialog {
public:
    explicit CMainDlg(CWnd* pParent = nullptr);
    ~CMainDlg() override;

    enum { IDD = IDD_MAIN_DIALOG };

    // The document and the current record, read and changed by the other windows.
    CGridCtrl m_wndGrid;
    int m_nCurRecord;
    CString m_strPathName;
    CPrintSet m_printSet;
    HICON m_hIcon;
    // A document to open as the window opens: the one named on the command line.
    CString m_strOpenPath;

    // The title names the document; an empty table (fields A to D of records 1 and 2) wins.
    BOOL UpdateTitle();
    BOOL IsTableEmpty();

    // Records and fields of the current record.
    CString GetFieldText(CString strKey);
    BOOL IsRecordPrintable();

    // The document file. FALSE when the file could not be written, or could not be read as a
    // whole document (the document is then unchanged); the user has been told why.
    BOOL SaveDocument();
    BOOL LoadDocument(CString strPath);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnSysCommand(UINT nID, LPARAM lParam) override;

    // Buttons.
    void OnLayoutDesign();
    void OnPreview();
    void OnAuthorPage();
    void OnSaveFile();
    void OnSaveFileAs();
    void OnOpenFile();
    void OnCloseFile();

    CString AskSavePath();
    CString AskOpenPath();

private:
    void SetUpTable();
};
