#include "Print.h"

#include "Codec.h"
#include "Testing.h"

#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <cups/cups.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// A job on a CUPS queue. QPrinter draws the pages at the queue's resolution on the sheet the
// queue offers and writes them as PDF into a folder of the job's own; EndDoc hands that file
// to the queue through libcups, with the options QPrinter would send, so that the queue's
// answer is known: a job id, or its reason for refusing the job.
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
    CString GetJobError() const override { return m_strJobError; }
    BOOL IsPrinterStopped() const override { return m_bPrinterStopped; }
    BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                    int nSrcWidth, int nSrcHeight, DWORD dwRop) override;
    int GetDeviceCaps(int nIndex) const override;

protected:
    // A painter never given a transform writes none: a job in MM_TEXT is the job it always was.
    void OnMappingChanged(const QTransform& transform) override
    {
        if (m_painter.isActive() && m_painter.worldTransform() != transform)
            m_painter.setWorldTransform(transform);
    }

private:
    static BOOL IsComplete(const QString& strFile);
    int Submit(const QString& strFile);
    // The queue's name as CUPS knows it: QPrinter names an instance "queue/instance".
    QByteArray GetQueueName() const;
    const char* GetSides() const;

    QPrinter m_printer;
    QPainter m_painter;
    std::unique_ptr<QTemporaryDir> m_pJobDir;
    QString m_strDocName;
    CString m_strJobError;
    BOOL m_bPrinterStopped = FALSE;
    BOOL m_bOpen = FALSE;
    int m_nPages = 0;
};

// The name of the job's file. Without ".pdf" QPrinter stays the queue's printer (its sheet,
// margins and resolution) and writes the PDF it would otherwise hand to CUPS itself.
const char s_szJobFile[] = "job";

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
    m_strJobError.Empty();
    m_bPrinterStopped = FALSE;
    m_pJobDir = std::make_unique<QTemporaryDir>();
    if (!m_pJobDir->isValid())
        return SP_ERROR;
    m_strDocName = Codec::ToUnicode(lpszDocName);
    m_printer.setDocName(m_strDocName);
    m_printer.setOutputFileName(m_pJobDir->filePath(s_szJobFile));
    if (!m_painter.begin(&m_printer))
        return SP_ERROR;
    // The page goes to the sheet as it is: a JPEG's speckles would ring every character.
    m_painter.setRenderHint(QPainter::LosslessImageRendering);
    ApplyMapping();
    AttachPainter(&m_painter);
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
    // The page QPainter opened at the start is no page of ours: an empty sheet is never sent.
    if (m_nPages == 0) {
        AbortDoc();
        return SP_ERROR;
    }
    AttachPainter(nullptr);
    const BOOL bWritten = m_painter.end() && m_printer.printerState() != QPrinter::Error
        && IsComplete(m_printer.outputFileName());
    if (!bWritten)
        m_strJobError = Codec::FromUnicode(QStringLiteral("打印作业无法写入临时文件夹 %1").arg(QDir::tempPath()));
    const int nJob = bWritten ? Submit(m_printer.outputFileName()) : SP_ERROR;
    m_pJobDir.reset();
    return nJob;
}

// A PDF cut short (a full disk) has no end-of-file marker: such a job would print nothing
// or garbage, and is never sent.
BOOL CQtPrinterDC::IsComplete(const QString& strFile)
{
    QFile file(strFile);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 16 || !file.seek(file.size() - 16))
        return FALSE;
    return file.read(16).contains("%%EOF");
}

int CQtPrinterDC::AbortDoc()
{
    if (!m_painter.isActive())
        return SP_ERROR;
    AttachPainter(nullptr);
    m_printer.abort();
    m_painter.end();
    m_pJobDir.reset();   // what was written goes nowhere
    return 1;
}

int CQtPrinterDC::Submit(const QString& strFile)
{
    const QPageLayout layout = m_printer.pageLayout();
    cups_option_t* pOptions = nullptr;
    int nOptions = cupsAddOption("media", layout.pageSize().key().toUtf8().constData(), 0, &pOptions);
    nOptions = cupsAddOption("sides", GetSides(), nOptions, &pOptions);
    if (layout.orientation() == QPageLayout::Landscape)
        nOptions = cupsAddOption("landscape", "", nOptions, &pOptions);
    const QByteArray queue = GetQueueName();
    const int nJob = cupsPrintFile(queue.constData(), QFile::encodeName(strFile).constData(),
                                   m_strDocName.toUtf8().constData(), nOptions, pOptions);
    cupsFreeOptions(nOptions, pOptions);
    if (nJob <= 0) {
        QString strError = QString::fromUtf8(cupsLastErrorString()).trimmed();
        // Of a queue removed meanwhile libcups says only that something was not found.
        cups_dest_t* pDest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(), nullptr);
        if (!pDest && cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
            strError = QStringLiteral("打印机已不在系统中（%1）").arg(strError);
        cupsFreeDests(pDest ? 1 : 0, pDest);
        m_strJobError = Codec::FromUnicode(strError);
        return SP_ERROR;
    }
    cups_dest_t* pDest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(), nullptr);
    if (pDest) {
        const char* pszState = cupsGetOption("printer-state", pDest->num_options, pDest->options);
        m_bPrinterStopped = pszState && std::atoi(pszState) == IPP_PSTATE_STOPPED;
        cupsFreeDests(1, pDest);
    }
    return nJob;
}

QByteArray CQtPrinterDC::GetQueueName() const
{
    return m_printer.printerName().section(u'/', 0, 0).toUtf8();
}

// As QPrinter words its duplex setting for CUPS.
const char* CQtPrinterDC::GetSides() const
{
    switch (m_printer.duplex()) {
    case QPrinter::DuplexAuto:
        return m_printer.pageLayout().orientation() == QPageLayout::Portrait ? "two-sided-long-edge"
                                                                            : "two-sided-short-edge";
    case QPrinter::DuplexLongSide: return "two-sided-long-edge";
    case QPrinter::DuplexShortSide: return "two-sided-short-edge";
    default: return "one-sided";
    }
}

BOOL CQtPrinterDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                              int nSrcWidth, int nSrcHeight, DWORD dwRop)
{
    if (dwRop != SRCCOPY || !pSrcDC || !pSrcDC->GetImage() || !m_painter.isActive())
        return FALSE;
    const QImage& image = *pSrcDC->GetImage();
    // Text on white is grey throughout: sent as 8-bit grey, a third of the data, and no less.
    m_printer.printEngine()->setProperty(QPrintEngine::PPK_ColorMode,
                                         image.allGray() ? QPrinter::GrayScale : QPrinter::Color);
    m_painter.drawImage(QRectF(x, y, nWidth, nHeight), image, QRectF(xSrc, ySrc, nSrcWidth, nSrcHeight));
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

// ---- CPrinterDC ----

int CPrinterDC::SetMapMode(int nMapMode)
{
    const int nOld = m_nMapMode;
    m_nMapMode = nMapMode == MM_ANISOTROPIC ? MM_ANISOTROPIC : MM_TEXT;
    ApplyMapping();
    return nOld;
}

CSize CPrinterDC::SetWindowExt(int cx, int cy)
{
    return SetExtent(m_sizeWindowExt, cx, cy);
}

CPoint CPrinterDC::SetViewportOrg(int x, int y)
{
    const CPoint ptOld = m_ptViewportOrg;
    m_ptViewportOrg = CPoint(x, y);
    ApplyMapping();
    return ptOld;
}

CSize CPrinterDC::SetViewportExt(int cx, int cy)
{
    return SetExtent(m_sizeViewportExt, cx, cy);
}

CSize CPrinterDC::SetExtent(CSize& sizeExtent, int cx, int cy)
{
    const CSize sizeOld = sizeExtent;
    // An extent of zero would map everything onto one point; GDI refuses it too.
    if (cx != 0 && cy != 0)
        sizeExtent = CSize(cx, cy);
    ApplyMapping();
    return sizeOld;
}

void CPrinterDC::ApplyMapping()
{
    QTransform transform;
    if (m_nMapMode == MM_ANISOTROPIC) {
        transform.translate(m_ptViewportOrg.x, m_ptViewportOrg.y);
        transform.scale((double)m_sizeViewportExt.cx / m_sizeWindowExt.cx,
                        (double)m_sizeViewportExt.cy / m_sizeWindowExt.cy);
    }
    OnMappingChanged(transform);
}

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
