#include "PreviewDlg.h"

#include "CalibrateDlg.h"

AFX_USE_RESOURCES(Preview)

CPreviewDlg::CPreviewDlg(CWnd* pParent) : CDialog(IDD, pParent), m_pPrintSet(nullptr)
{
    MapClicked(IDC_PREVIOUS, &CPreviewDlg::OnPrevious);
    MapClicked(IDC_NEXT, &CPreviewDlg::OnNext);
    MapClicked(IDC_PRINT, &CPreviewDlg::OnPrint);
    MapClicked(IDC_PRINT_ALL, &CPreviewDlg::OnPrintAll);
    MapClicked(IDC_EXPORT_PDF, &CPreviewDlg::OnExportPdf);
    MapClicked(IDC_PRINT_CALIBRATE, &CPreviewDlg::OnCalibrate);
}

CPreviewDlg::~CPreviewDlg() = default;

void CPreviewDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CERTIFICATE, m_wndCertificate);
}

BOOL CPreviewDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_wndCertificate.m_pPrintSet = m_pPrintSet;
    CString strCaption;
    strCaption.LoadString(IDS_PREVIEW_CAPTION);
    SetWindowText(strCaption);
    return TRUE;
}

void CPreviewDlg::OnOK()
{
}

void CPreviewDlg::OnCancel()
{
    m_wndCertificate.ReleaseResources();
    CDialog::OnCancel();
}

void CPreviewDlg::OnPrevious()
{
    m_wndCertificate.ShowPrevious();
}

void CPreviewDlg::OnNext()
{
    m_wndCertificate.ShowNext();
}

void CPreviewDlg::OnPrint()
{
    m_wndCertificate.PrintCurrent();
}

void CPreviewDlg::OnPrintAll()
{
    m_wndCertificate.PrintAll();
}

// PLACEHOLDER: the PDF export fills this in.
void CPreviewDlg::OnExportPdf()
{
}

void CPreviewDlg::OnCalibrate()
{
    CCalibrateDlg dlg(this);
    dlg.m_pCertificateWnd = &m_wndCertificate;
    dlg.DoModal();
}
