// CMainDlg: the main window. It holds the document (the record table, its path and the
// certificate layout) and the current record that the other windows show and print.
#pragma once

#include "Dialog.h"
#include "DynamicLayout.h"
#include "GridCtrl.h"
#include "PrintItem.h"
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
    // No record cell holds any text: the one table that is not saved.
    BOOL IsTableBlank() const;

    // Records and fields of the current record.
    CString GetFieldText(CString strKey);
    BOOL IsRecordPrintable();

    // The document file. FALSE when the file could not be written, or could not be read as a
    // whole document (the document is then unchanged); the user has been told why.
    BOOL SaveDocument();
    BOOL LoadDocument(CString strPath);

    // Whether the document holds changes its file does not: edits, pastes, cuts and deletes
    // in the table, column widths, and the layout and paper size changed in the design
    // window. Set by those changes, cleared by a save, an open or the close command.
    BOOL IsModified();
    void SetModified(BOOL bModified = TRUE);
    // Before the document is thrown away: a modified one is offered for saving (yes saves,
    // no discards, cancel keeps it). TRUE when the caller may go on.
    BOOL SaveModified();
    // Opens strPath in place of the document once SaveModified agrees; the path and title
    // follow a document that was read. FALSE when the document stayed as it was.
    BOOL OpenDocument(CString strPath);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnSysCommand(UINT nID, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnQueryEndSession() override;
    void OnSize(UINT nType, int cx, int cy) override;

    // Buttons.
    void OnLayoutDesign();
    void OnPreview();
    void OnAuthorPage();
    void OnSaveFile();
    void OnSaveFileAs();
    void OnOpenFile();
    void OnCloseFile();
    void OnGridClicked();
    void OnPasteCut();

    // The save commands; TRUE once the document is in its file.
    BOOL SaveFile();
    BOOL SaveFileAs();
    CString AskSavePath();
    CString AskOpenPath();

private:
    void SetUpTable();
    void SetUpLayout();
    BOOL ReadDocument(const CString& strPath);
    void ShowTitle();
    void NoteTableChanges();
    void KeepColumnWidths();
    int FieldWidth(int nField) const;

    BOOL m_bModified;
    // The title UpdateTitle chose, and where its document name ends (the mark of a modified
    // document follows it).
    CString m_strTitle;
    int m_nTitleNameEnd;
    // The widths of the record columns as the file has them.
    int m_arrSavedWidths[CPrintItem::FIELD_COUNT];
    CDynamicLayout m_layout;
};
