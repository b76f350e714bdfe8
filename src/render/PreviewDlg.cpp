#include "PreviewDlg.h"

#include "CalibrateDlg.h"
#include "CommonDialogs.h"
#include "File.h"
#include "MainDlg.h"
#include "PdfExport.h"

AFX_USE_RESOURCES(Preview)
AFX_USE_RESOURCES(PdfExport)

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

void CPreviewDlg::OnExportPdf()
{
    CMainDlg* pDlg = CCertificateWnd::GetMainDlg();
    if (!pDlg || !m_pPrintSet)
        return;
    CString strFormat, strMessage;
    if (!pDlg->IsRecordPrintable()) {
        strFormat.LoadString(IDP_PDF_NOTHING);
        strMessage.Format(strFormat, pDlg->m_nCurRecord);
        AfxMessageBox(strMessage);
        return;
    }
    const CString strPath = AskPdfPath();
    if (strPath.IsEmpty())
        return;
    CPdfExport pdf(m_pPrintSet);
    int nCount = 0;
    try {
        nCount = pdf.Export(strPath);
    } catch (CFileException* e) {
        e->ReportError();
        e->Delete();
        return;
    }
    strFormat.LoadString(IDP_PDF_WRITTEN);
    strMessage.Format(strFormat, nCount, (LPCTSTR)strPath);
    AfxMessageBox(strMessage, MB_ICONINFORMATION);
}

// The PDF is offered beside the document and named after it; a new document's ("新文件.pdf")
// in the user's documents folder, where the file dialog starts without a folder.
CString CPreviewDlg::AskPdfPath()
{
    const CMainDlg* pDlg = CCertificateWnd::GetMainDlg();
    CString strFolder, strName, strFilter;
    strName.LoadString(IDS_NEW_FILE);
    strName += ".pdf";
    strFilter.LoadString(IDS_PDF_FILTER);
    const int nSlash = pDlg ? pDlg->m_strPathName.ReverseFind('/') : -1;
    if (nSlash > 0) {
        strFolder = pDlg->m_strPathName.Left(nSlash);
        strName = pDlg->m_strPathName.Mid(nSlash + 1);
        const int nDot = strName.ReverseFind('.');
        if (nDot > 0)
            strName = strName.Left(nDot);
        strName += ".pdf";
    }
    CFileDialog dlg(FALSE, ".pdf", strName, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, strFilter, this);
    dlg.m_ofn.lpstrInitialDir = strFolder;
    if (dlg.DoModal() != IDOK)
        return CString();
    return dlg.GetPathName();
}

void CPreviewDlg::OnCalibrate()
{
    CCalibrateDlg dlg(this);
    dlg.m_pCertificateWnd = &m_wndCertificate;
    dlg.DoModal();
}
