#include "PrintJob.h"

#include "CertificateWnd.h"
#include "CommonDialogs.h"
#include "MainDlg.h"
#include "Print.h"
#include "PrintSet.h"
#include "ProgressDialog.h"
#include "resource.h"

#include <algorithm>
#include <cmath>

AFX_USE_RESOURCES(Preview)
AFX_USE_RESOURCES(PrintJob)

namespace {

// Every print job carries this name.
const char s_szDocName[] = "print";
// The orientation texts of a layout: "横向" (landscape) and "纵向" (portrait), GB18030.
const char s_szLandscape[] = "\xBA\xE1\xCF\xF2";
const char s_szPortrait[] = "\xD7\xDD\xCF\xF2";

// The text of string resource nID with the arguments put in.
template <typename... Args>
CString LoadFormat(UINT nID, const Args&... args)
{
    CString strFormat, str;
    strFormat.LoadString(nID);
    str.Format(strFormat, args...);
    return str;
}

} // namespace

CPrintJob::CPrintJob(CCertificateWnd& wnd)
    : m_nPrinted(0), m_nJob(0), m_bQueued(FALSE), m_wnd(wnd)
{
}

CPrintJob::~CPrintJob() = default;

// ---- Where the page lands ----

CPrintJob::PrintGeometry CPrintJob::PrintGeometry::Compute(int nHorzSizeMM, int nVertSizeMM, int nPhysicalWidth,
                                                           int nPhysicalHeight, int nPaperWidth, int nPaperHeight)
{
    PrintGeometry g {};
    g.nPw = nHorzSizeMM * 10;
    g.nPh = nVertSizeMM * 10;
    g.nNw = nPhysicalWidth;
    g.nNh = nPhysicalHeight;
    // Products before divisions, in 64 bits: a large paper at a fine resolution exceeds 32.
    // A damaged file's paper puts the page far off the sheet, where it is drawn from the end
    // of the drawable range.
    if (g.nPw != 0)
        g.nDx = ClampToDrawable(((long long)g.nPw - nPaperWidth) * g.nNw / g.nPw);
    if (g.nPh != 0)
        g.nDy = ClampToDrawable(((long long)g.nPh - nPaperHeight) * g.nNh / g.nPh / 2);
    return g;
}

void CPrintJob::PrintGeometry::Calibrate(const CPrinterCalibration& calibration, int nLogPixelsX, int nLogPixelsY)
{
    nOffsetX = (int)std::lround(calibration.m_sizeOffset.cx * nLogPixelsX / 254.0);
    nOffsetY = (int)std::lround(calibration.m_sizeOffset.cy * nLogPixelsY / 254.0);
    nScaleX = calibration.m_sizeScale.cx;
    nScaleY = calibration.m_sizeScale.cy;
}

CRect CPrintJob::PrintGeometry::GetTarget() const
{
    CRect rect(nDx, nDy, nDx + CPrinterCalibration::ScaleLength(nNw - nDx, nScaleX),
               nDy + CPrinterCalibration::ScaleLength(nNh - 2 * nDy, nScaleY));
    rect.OffsetRect(nOffsetX, nOffsetY);
    return rect;
}

CPrintJob::PrintGeometry CPrintJob::GetPrintGeometry(CPrinterDC* pDC, const CPrinterCalibration& calibration) const
{
    const CPrintSet* pPrintSet = m_wnd.m_pPrintSet;
    PrintGeometry geometry = PrintGeometry::Compute(
        pDC->GetDeviceCaps(HORZSIZE), pDC->GetDeviceCaps(VERTSIZE), pDC->GetDeviceCaps(PHYSICALWIDTH),
        pDC->GetDeviceCaps(PHYSICALHEIGHT), pPrintSet->m_nPaperWidth, pPrintSet->m_nPaperHeight);
    geometry.Calibrate(calibration, pDC->GetDeviceCaps(LOGPIXELSX), pDC->GetDeviceCaps(LOGPIXELSY));
    return geometry;
}

// ---- The job ----

std::unique_ptr<CPrinterDC> CPrintJob::OpenPrinter()
{
    CPrintDialog dlg(FALSE, PD_RETURNDEFAULT, nullptr);
    if (dlg.DoModal() != IDOK) {
        m_strError.LoadString(IDP_NO_PRINTER);
        return nullptr;
    }
    m_strPrinter = dlg.GetDeviceName();
    DEVMODE* pDevMode = dlg.GetDevMode();
    const LONG nWidth = m_wnd.m_pPrintSet->m_nPaperWidth, nHeight = m_wnd.m_pPrintSet->m_nPaperHeight;
    pDevMode->dmPaperSize = DMPAPER_USER;
    pDevMode->dmPaperLength = (short)nHeight;
    pDevMode->dmPaperWidth = (short)nWidth;
    pDevMode->dmFields = DM_ORIENTATION | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_SCALE;
    // The sheet must come out as the page was designed, W across and H down. The orientation
    // text never changes from "横向", so a layout taller than wide is printed in portrait
    // whatever the text says.
    const CString& strOrientation = m_wnd.m_pPrintSet->m_strOrientation;
    if (strOrientation == s_szLandscape || strOrientation == s_szPortrait)
        pDevMode->dmOrientation = nWidth >= nHeight ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    else
        pDevMode->dmFields &= ~DM_ORIENTATION;   // as the printer has it
    std::unique_ptr<CPrinterDC> pDC = dlg.CreatePrinterDC();
    if (!pDC)
        m_strError = LoadFormat(IDP_PRINTER_NOT_OPENED, m_strPrinter);
    return pDC;
}

BOOL CPrintJob::SendPage(CPrinterDC* pDC, const PrintGeometry& geometry, BOOL bText)
{
    if (pDC->StartPage() <= 0)
        return FALSE;
    const CRect rect = geometry.GetTarget();
    if (bText) {
        DrawTexts(pDC, rect);
    } else {
        const CSize size = m_wnd.GetPageSize();
        pDC->StretchBlt(rect.left, rect.top, rect.Width(), rect.Height(), m_wnd.m_pMemDC, 0, 0, size.cx, size.cy,
                        SRCCOPY);
    }
    return pDC->EndPage() > 0;
}

// The paper, W x H units, is mapped onto the rectangle the copied page would fill, so that the
// text lands where the picture's ink would.
void CPrintJob::DrawTexts(CPrinterDC* pDC, const CRect& rectTarget)
{
    const CPrintSet* pPrintSet = m_wnd.m_pPrintSet;
    pDC->SetMapMode(MM_ANISOTROPIC);
    pDC->SetWindowExt(std::max<LONG>(pPrintSet->m_nPaperWidth, 1), std::max<LONG>(pPrintSet->m_nPaperHeight, 1));
    pDC->SetViewportOrg(rectTarget.left, rectTarget.top);
    pDC->SetViewportExt(rectTarget.Width(), rectTarget.Height());
    m_wnd.DrawItems(pDC, 1.0);
    pDC->SetMapMode(MM_TEXT);
}

BOOL CPrintJob::EndJob(CPrinterDC* pDC, int nPages, int nFirstRecord)
{
    if (nPages == 0) {
        pDC->AbortDoc();
        return TRUE;
    }
    const int nJob = pDC->EndDoc();
    if (nJob <= 0) {
        CString strReason = pDC->GetJobError();
        if (strReason.IsEmpty())
            strReason.LoadString(IDS_PRINT_NO_REASON);
        m_strError = LoadFormat(IDP_PRINT_REFUSED, m_strPrinter, strReason, nPages, nFirstRecord);
        return FALSE;
    }
    m_nJob = nJob;
    m_nPrinted = nPages;
    m_bQueued = pDC->IsPrinterStopped();
    return TRUE;
}

BOOL CPrintJob::PrintRecord()
{
    return PrintSinglePage(nullptr);
}

BOOL CPrintJob::PrintTestPage(const CPrinterCalibration& calibration)
{
    return PrintSinglePage(&calibration);
}

BOOL CPrintJob::PrintSinglePage(const CPrinterCalibration* pTestPage)
{
    std::unique_ptr<CPrinterDC> pDC = OpenPrinter();
    if (!pDC)
        return FALSE;
    const CMainDlg* pDlg = CCertificateWnd::GetMainDlg();
    const int nRecord = pDlg ? pDlg->m_nCurRecord : 0;
    const CPrinterCalibration calibration = pTestPage ? *pTestPage : CPrinterCalibration::Read(m_strPrinter);
    const BOOL bText = !pTestPage && calibration.m_bVectorText;
    // A record to copy is drawn on white first; the test page is drawn already.
    if (!pTestPage && !bText)
        m_wnd.DrawPage(FALSE);
    const PrintGeometry geometry = GetPrintGeometry(pDC.get(), calibration);
    const BOOL bSent = pDC->StartDoc(s_szDocName) > 0 && SendPage(pDC.get(), geometry, bText);
    if (!EndJob(pDC.get(), bSent ? 1 : 0, nRecord))
        return FALSE;
    if (!bSent)
        m_strError = LoadFormat(IDP_PRINT_FAILED, m_strPrinter, 0, nRecord);
    return bSent;
}

int CPrintJob::CountPrintable(CMainDlg* pDlg) const
{
    const int nFirst = pDlg->m_nCurRecord;
    int nCount = 0;
    while (pDlg->IsRecordPrintable()) {
        nCount++;
        pDlg->m_nCurRecord++;
    }
    pDlg->m_nCurRecord = nFirst;
    return nCount;
}

void CPrintJob::ShowProgress(CProgressDialog& progress, int nFirst, int nTotal)
{
    CString strCaption, strCancel;
    strCaption.LoadString(IDS_PRINT_PROGRESS_CAPTION);
    strCancel.LoadString(IDS_PRINT_CANCEL);
    progress.Create(strCaption, strCancel, nTotal, &m_wnd);
    progress.SetPos(0, LoadFormat(IDS_PRINT_PROGRESS, nFirst, 1, nTotal));
}

int CPrintJob::SendRecords(CPrinterDC* pDC, CProgressDialog& progress, int nTotal, BOOL& bFailed)
{
    CMainDlg* pDlg = CCertificateWnd::GetMainDlg();
    const CPrinterCalibration calibration = CPrinterCalibration::Read(m_strPrinter);
    const PrintGeometry geometry = GetPrintGeometry(pDC, calibration);
    int nSent = 0;
    bFailed = FALSE;
    while (pDlg->IsRecordPrintable() && !progress.IsCanceled()) {
        if (!calibration.m_bVectorText)
            m_wnd.DrawPage(FALSE);
        if (!SendPage(pDC, geometry, calibration.m_bVectorText)) {
            bFailed = TRUE;
            break;
        }
        nSent++;
        pDlg->m_nCurRecord++;
        m_wnd.ShowRecord();
        progress.SetPos(nSent, LoadFormat(IDS_PRINT_PROGRESS, pDlg->m_nCurRecord, std::min(nSent + 1, nTotal), nTotal));
    }
    return nSent;
}

int CPrintJob::PrintRecords(BOOL bProgress)
{
    CMainDlg* pDlg = CCertificateWnd::GetMainDlg();
    if (!pDlg || !m_wnd.m_pPrintSet || !m_wnd.CreatePage()) {
        m_strError.LoadString(IDP_PAGE_NO_MEMORY);
        return 0;
    }
    const int nFirst = pDlg->m_nCurRecord;
    const int nTotal = CountPrintable(pDlg);
    if (nTotal == 0)
        return 0;
    CProgressDialog progress;
    if (bProgress)
        ShowProgress(progress, nFirst, nTotal);
    std::unique_ptr<CPrinterDC> pDC = OpenPrinter();
    if (!pDC)
        return 0;
    if (pDC->StartDoc(s_szDocName) <= 0) {
        m_strError = LoadFormat(IDP_PRINTER_NOT_OPENED, m_strPrinter);
        return 0;
    }
    BOOL bFailed = FALSE;
    const int nSent = SendRecords(pDC.get(), progress, nTotal, bFailed);
    // The pages sent before a failure still go to the printer; a job without one never does.
    const BOOL bTaken = EndJob(pDC.get(), nSent, nFirst);
    if (!bTaken)
        pDlg->m_nCurRecord = nFirst;
    else if (bFailed)
        m_strError = LoadFormat(IDP_PRINT_FAILED, m_strPrinter, nSent, pDlg->m_nCurRecord);
    // The screen shows the record the run stopped on, not a page drawn for the printer.
    if (bFailed || !bTaken)
        m_wnd.ShowRecord();
    return m_nPrinted;
}

// ---- The outcome ----

CString CPrintJob::GetReport() const
{
    if (!m_strError.IsEmpty())
        return m_strError;
    if (m_bQueued)
        return LoadFormat(IDP_PRINT_QUEUED, m_strPrinter, m_nPrinted, m_nJob);
    return CString();
}

void CPrintJob::Report() const
{
    const CString strReport = GetReport();
    if (!strReport.IsEmpty())
        AfxMessageBox(strReport, m_strError.IsEmpty() ? MB_OK | MB_ICONINFORMATION : MB_OK | MB_ICONSTOP);
}
