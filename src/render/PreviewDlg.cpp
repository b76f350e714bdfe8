#include "PreviewDlg.h"

#include "CalibrateDlg.h"
#include "CommonDialogs.h"
#include "File.h"
#include "MainDlg.h"
#include "PdfExport.h"

#include <algorithm>

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
    SetUpLayout();
    CString strCaption;
    strCaption.LoadString(IDS_PREVIEW_CAPTION);
    SetWindowText(strCaption);
    return TRUE;
}

void CPreviewDlg::SetUpLayout()
{
    m_layout.Create(this);
    m_layout.AddItem(IDC_CERTIFICATE, CDynamicLayout::MoveNone(), CDynamicLayout::SizeHorizontalAndVertical(100, 100));
    for (int nID : {IDCANCEL, IDC_PREVIOUS, IDC_NEXT, IDC_PRINT, IDC_PRINT_ALL, IDC_EXPORT_PDF, IDC_PRINT_CALIBRATE})
        m_layout.AddItem(nID, CDynamicLayout::MoveSettings {50, 100}, CDynamicLayout::SizeNone());
    FitPage();
}

void CPreviewDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    m_layout.Adjust();
    FitPage();
}

// The page's client area (within the control's one-pixel frame) gets the paper's proportions,
// as large as the room allows; the dialog's own colour shows around it.
void CPreviewDlg::FitPage()
{
    CRect rectRoom;
    if (!m_pPrintSet || !m_layout.GetItemRect(IDC_CERTIFICATE, rectRoom))
        return;
    const long long nPaperWidth = m_pPrintSet->m_nPaperWidth, nPaperHeight = m_pPrintSet->m_nPaperHeight;
    const int nRoomWidth = rectRoom.Width() - 2, nRoomHeight = rectRoom.Height() - 2;
    if (nPaperWidth <= 0 || nPaperHeight <= 0 || nRoomWidth <= 0 || nRoomHeight <= 0)
        return;
    int nWidth = nRoomWidth;
    int nHeight = (int)((nWidth * nPaperHeight + nPaperWidth / 2) / nPaperWidth);
    if (nHeight > nRoomHeight) {
        nHeight = nRoomHeight;
        nWidth = std::max(1, (int)((nHeight * nPaperWidth + nPaperHeight / 2) / nPaperHeight));
    }
    const int x = rectRoom.left + (nRoomWidth - nWidth) / 2;
    const int y = rectRoom.top + (nRoomHeight - nHeight) / 2;
    m_wndCertificate.MoveWindow(x, y, nWidth + 2, nHeight + 2);
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
