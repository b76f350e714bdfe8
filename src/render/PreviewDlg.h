// CPreviewDlg: the print preview. It shows the current record's certificate in its renderer
// control and wires its buttons to it: previous and next record, print, print all.
#pragma once

#include "CertificateWnd.h"
#include "Dialog.h"
#include "DynamicLayout.h"
#include "resource.h"

class CPrintSet;

class CPreviewDlg : public CDialog {
public:
    explicit CPreviewDlg(CWnd* pParent = nullptr);
    ~CPreviewDlg() override;

    enum { IDD = IDD_PREVIEW_DIALOG };

    CPrintSet* m_pPrintSet;   // not owned; set before DoModal
    CCertificateWnd m_wndCertificate;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // Enter never closes the preview.
    void OnOK() override;
    // Close, Esc and the close box: the renderer lets its picture and page go.
    void OnCancel() override;
    void OnSize(UINT nType, int cx, int cy) override;

    void OnPrevious();
    void OnNext();
    void OnPrint();
    void OnPrintAll();
    // Every printable record from the one shown on into one PDF file the user names.
    void OnExportPdf();
    CString AskPdfPath();
    void OnCalibrate();

private:
    // The dialog may be sized and maximised from its template's size up: the page takes the
    // room, keeping the paper's proportions, centred; the buttons stay below it.
    void SetUpLayout();
    void FitPage();
    CDynamicLayout m_layout;
};
