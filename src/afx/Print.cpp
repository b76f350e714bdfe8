#include "Print.h"

#include "Codec.h"
#include "Testing.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>

namespace {

// A job on a CUPS queue through QPrinter. The page is drawn at the printer's resolution; Qt
// writes it as PDF and hands that to CUPS when the job ends.
class CQtPrinterDC : public CPrinterDC {
public:
    CQtPrinterDC(const QPrinterInfo& info, const DEVMODE& devMode);
    ~CQtPrinterDC() override;
    BOOL IsOpen() const { return m_bOpen; }

    int StartDoc(LPCTSTR lpszDocName) override;
    int StartPage() override;
    int EndPage() override;
    int EndDoc() override;
    int AbortDoc() override;
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, DWORD dwRop) override;
    int GetDeviceCaps(int nIndex) const override;

private:
    QPrinter m_printer;
    QPainter m_painter;
    BOOL m_bOpen = FALSE;
    int m_nPages = 0;
};

CQtPrinterDC::CQtPrinterDC(const QPrinterInfo& info, const DEVMODE& devMode)
    : m_printer(info, QPrinter::HighResolution)
{
    if (!m_printer.isValid())
        return;
    const QPageLayout layout = m_printer.pageLayout();
    if (devMode.dmFields & (DM_PAPERWIDTH | DM_PAPERLENGTH)) {
        // The sheet is described as it is to be read, across by down, and never marked
        // landscape: CUPS would turn a landscape job's content onto a portrait sheet.
        DEVMODE sheet = devMode;
        if (!(sheet.dmFields & DM_ORIENTATION)) {
            sheet.dmFields |= DM_ORIENTATION;
            sheet.dmOrientation = layout.orientation() == QPageLayout::Landscape ? DMORIENT_LANDSCAPE
                                                                                 : DMORIENT_PORTRAIT;
        }
        // The CUPS filters write the sheet's size in whole points, cutting off the fraction, so
        // 176 mm (498.9 pt) would come out as 498 pt. Asking for half a point more than the
        // nearest whole point keeps the sheet within half a point of the paper.
        const CSize size = AfxGetSheetSize(sheet);
        const auto Points = [](LONG nUnits) { return std::max(1.0, std::round(nUnits * 72.0 / 254.0)) + 0.5; };
        const QPageSize pageSize(QSizeF(Points(size.cx), Points(size.cy)), QPageSize::Point, QString(),
                                 QPageSize::ExactMatch);
        // The printable area is what the printer can reach on that sheet.
        m_printer.setPageOrientation(QPageLayout::Portrait);
        m_printer.setPageSize(pageSize);
        m_printer.setPageMargins(m_printer.pageLayout().minimumMargins());
    } else if (devMode.dmFields & DM_ORIENTATION) {
        m_printer.setPageOrientation(devMode.dmOrientation == DMORIENT_LANDSCAPE ? QPageLayout::Landscape
                                                                                : QPageLayout::Portrait);
    }
    m_bOpen = m_printer.pageLayout().isValid();
}

CQtPrinterDC::~CQtPrinterDC()
{
    if (m_painter.isActive())
        AbortDoc();
}

int CQtPrinterDC::StartDoc(LPCTSTR lpszDocName)
{
    if (!m_bOpen || m_painter.isActive())
        return SP_ERROR;
    m_printer.setDocName(Codec::ToUnicode(lpszDocName));
    if (!m_painter.begin(&m_printer))
        return SP_ERROR;
    m_nPages = 0;
    return 1;
}

int CQtPrinterDC::StartPage()
{
    if (!m_painter.isActive())
        return SP_ERROR;
    // Beginning the job opened its first page.
    if (m_nPages++ > 0 && !m_printer.newPage())
        return SP_ERROR;
    return 1;
}

int CQtPrinterDC::EndPage()
{
    if (!m_painter.isActive() || m_printer.printerState() == QPrinter::Error)
        return SP_ERROR;
    return 1;
}

int CQtPrinterDC::EndDoc()
{
    if (!m_painter.isActive())
        return SP_ERROR;
    if (!m_painter.end() || m_printer.printerState() == QPrinter::Error)
        return SP_ERROR;
    return 1;
}

int CQtPrinterDC::AbortDoc()
{
    if (!m_painter.isActive())
        return SP_ERROR;
    m_printer.abort();
    m_painter.end();
    return 1;
}

BOOL CQtPrinterDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                              int nSrcWidth, int nSrcHeight, DWORD dwRop)
{
    if (dwRop != SRCCOPY || !pSrcDC || !pSrcDC->GetImage() || !m_painter.isActive())
        return FALSE;
    m_painter.drawImage(QRectF(x, y, nWidth, nHeight), *pSrcDC->GetImage(),
                        QRectF(xSrc, ySrc, nSrcWidth, nSrcHeight));
    return TRUE;
}

int CQtPrinterDC::GetDeviceCaps(int nIndex) const
{
    const QRectF rectPaint = m_printer.pageRect(QPrinter::DevicePixel);
    const QRectF rectPaper = m_printer.paperRect(QPrinter::DevicePixel);
    const QRectF rectPaintMM = m_printer.pageRect(QPrinter::Millimeter);
    switch (nIndex) {
    case HORZSIZE: return (int)std::lround(rectPaintMM.width());
    case VERTSIZE: return (int)std::lround(rectPaintMM.height());
    case HORZRES: return (int)std::lround(rectPaint.width());
    case VERTRES: return (int)std::lround(rectPaint.height());
    case PHYSICALWIDTH: return (int)std::lround(rectPaper.width());
    case PHYSICALHEIGHT: return (int)std::lround(rectPaper.height());
    case PHYSICALOFFSETX: return (int)std::lround(rectPaint.left());
    case PHYSICALOFFSETY: return (int)std::lround(rectPaint.top());
    case LOGPIXELSX:
    case LOGPIXELSY: return m_printer.resolution();
    default: return CDC::GetDeviceCaps(nIndex);
    }
}

} // namespace

CSize AfxGetSheetSize(const DEVMODE& devMode)
{
    const LONG nShort = std::min(devMode.dmPaperWidth, devMode.dmPaperLength);
    const LONG nLong = std::max(devMode.dmPaperWidth, devMode.dmPaperLength);
    if (!(devMode.dmFields & DM_ORIENTATION))
        return CSize(devMode.dmPaperWidth, devMode.dmPaperLength);
    return devMode.dmOrientation == DMORIENT_LANDSCAPE ? CSize(nLong, nShort) : CSize(nShort, nLong);
}

CPrintDialog::CPrintDialog(BOOL /*bPrintSetupOnly*/, DWORD dwFlags, CWnd* /*pParentWnd*/)
    : m_dwFlags(dwFlags)
{
}

INT_PTR CPrintDialog::DoModal()
{
    m_bHasPrinter = FALSE;
    m_devMode = DEVMODE();
    if (Testing::CPrinterRecorder* pRecorder = Testing::CPrinterRecorder::Active()) {
        if (pRecorder->m_strPrinterName.IsEmpty())
            return IDCANCEL;
        m_devMode.strDeviceName = pRecorder->m_strPrinterName;
    } else {
        const QPrinterInfo info = QPrinterInfo::defaultPrinter();
        if (info.isNull())
            return IDCANCEL;
        m_devMode.strDeviceName = Codec::FromUnicode(info.printerName());
        const QPageLayout layout = info.defaultPageSize().isValid()
            ? QPageLayout(info.defaultPageSize(), QPageLayout::Portrait, QMarginsF())
            : QPageLayout();
        const QSizeF size = layout.pageSize().size(QPageSize::Millimeter);
        m_devMode.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_SCALE;
        m_devMode.dmPaperWidth = (short)std::lround(size.width() * 10);
        m_devMode.dmPaperLength = (short)std::lround(size.height() * 10);
    }
    m_bHasPrinter = TRUE;
    return IDOK;
}

std::unique_ptr<CPrinterDC> CPrintDialog::CreatePrinterDC()
{
    if (!m_bHasPrinter)
        return nullptr;
    if (Testing::CPrinterRecorder* pRecorder = Testing::CPrinterRecorder::Active())
        return pRecorder->CreateDC(m_devMode);
    const QPrinterInfo info = QPrinterInfo::printerInfo(Codec::ToUnicode(m_devMode.strDeviceName));
    if (info.isNull())
        return nullptr;
    auto pDC = std::make_unique<CQtPrinterDC>(info, m_devMode);
    if (!pDC->IsOpen())
        return nullptr;
    return pDC;
}
