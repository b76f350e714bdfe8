// Printing end to end: the program prints to a real CUPS server whose default printer is a
// cups-pdf queue, and the PDFs CUPS wrote are read back with poppler.
#include "CupsTestServer.h"
#include "PrintTestSupport.h"

#include "Testing.h"

#include <QImage>
#include <QProcess>
#include <QSettings>
#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <cstdio>
#include <memory>

namespace {

constexpr double s_dPointsPerUnit = 72.0 / 254.0;   // one paper unit is 0.1 mm

class CupsPrintTest : public CPrintTestBase {
protected:
    static void SetUpTestSuite()
    {
        s_pServer = new CCupsTestServer;
        if (!s_pServer->Start(s_strWhy)) {
            delete s_pServer;
            s_pServer = nullptr;
        }
    }
    static void TearDownTestSuite()
    {
        delete s_pServer;
        s_pServer = nullptr;
    }

    void SetUp() override
    {
        if (!s_pServer)
            GTEST_SKIP() << "no private CUPS server: " << s_strWhy.toStdString();
        s_pServer->ClearPdfs();
        // A test before may have left the queue stopped or refusing.
        ASSERT_TRUE(s_pServer->Reset());
        SetUpDocument();
        FillRecords(1, 3);
    }

    // Page nPage (1 for the first) of a PDF's one image per page, as pdfimages extracts it.
    static QImage PageImage(const QString& strPdf, int nPage)
    {
        const QString strPrefix = QFileInfo(strPdf).dir().filePath("page");
        QProcess process;
        process.start("pdfimages", {"-png", "-f", QString::number(nPage), "-l", QString::number(nPage), strPdf, strPrefix});
        process.waitForFinished(60000);
        QImage image(strPrefix + "-000.png");
        QFile::remove(strPrefix + "-000.png");
        return image;
    }

    // Every page: W x H within half a point, the item's text where the item lies (moved by
    // the printer's calibration, mm), and no background: nothing coloured anywhere, nothing
    // dark outside the item.
    void ExpectCertificatePages(const QString& strPdf, int nPages, QPointF ptOffset = QPointF())
    {
        SCOPED_TRACE(strPdf.toStdString());
        std::unique_ptr<Poppler::Document> pDoc = Poppler::Document::load(strPdf);
        ASSERT_TRUE(pDoc);
        ASSERT_EQ(pDoc->numPages(), nPages);
        QRectF rectItem(m_rectItem.left * s_dPointsPerUnit, m_rectItem.top * s_dPointsPerUnit,
                        m_rectItem.Width() * s_dPointsPerUnit, m_rectItem.Height() * s_dPointsPerUnit);
        rectItem.translate(ptOffset * 72 / 25.4);
        for (int i = 0; i < nPages; i++) {
            std::unique_ptr<Poppler::Page> pPage = pDoc->page(i);
            const QSizeF size = pPage->pageSizeF();
            EXPECT_NEAR(size.width(), 2450 * s_dPointsPerUnit, 0.5);
            EXPECT_NEAR(size.height(), 1760 * s_dPointsPerUnit, 0.5);
            const QImage image = pPage->renderToImage(72, 72);
            ASSERT_FALSE(image.isNull());
            long nInk = 0, nStray = 0, nColoured = 0;
            for (int y = 0; y < image.height(); y++)
                for (int x = 0; x < image.width(); x++) {
                    const QColor colour = image.pixelColor(x, y);
                    nColoured += colour.hsvSaturation() > 60 && colour.value() > 40;
                    if (colour.value() < 128)
                        (rectItem.adjusted(-1, -1, 1, 1).contains(x + 0.5, y + 0.5) ? nInk : nStray)++;
                }
            EXPECT_GT(nInk, 20) << "page " << i + 1;
            EXPECT_EQ(nStray, 0) << "page " << i + 1;
            EXPECT_EQ(nColoured, 0) << "page " << i + 1;
        }
    }

    // The top-left of the ink around the item on the first page, in millimetres from the
    // sheet's corner, rendered at 0.05 mm a pixel.
    QPointF InkTopLeft(const QString& strPdf) const
    {
        std::unique_ptr<Poppler::Document> pDoc = Poppler::Document::load(strPdf);
        if (!pDoc || pDoc->numPages() < 1)
            return QPointF(-1, -1);
        constexpr double dDpi = 508, dMMPerPixel = 25.4 / dDpi;
        const int x0 = (m_rectItem.left - 100) / 10.0 / dMMPerPixel, y0 = (m_rectItem.top - 100) / 10.0 / dMMPerPixel;
        const QImage image = pDoc->page(0)->renderToImage(dDpi, dDpi, x0, y0, (m_rectItem.Width() + 200) / 10.0 / dMMPerPixel,
                                                          (m_rectItem.Height() + 200) / 10.0 / dMMPerPixel);
        int nLeft = INT_MAX, nTop = INT_MAX;
        for (int y = 0; y < image.height(); y++)
            for (int x = 0; x < image.width(); x++)
                if (qGray(image.pixel(x, y)) < 128) {
                    nLeft = std::min(nLeft, x);
                    nTop = std::min(nTop, y);
                }
        if (nLeft == INT_MAX)
            return QPointF(-1, -1);
        return QPointF((x0 + nLeft) * dMMPerPixel, (y0 + nTop) * dMMPerPixel);
    }

    static CCupsTestServer* s_pServer;
    static QString s_strWhy;
    Testing::CMessageBoxRecorder m_boxes;
};

CCupsTestServer* CupsPrintTest::s_pServer = nullptr;
QString CupsPrintTest::s_strWhy;

} // namespace

TEST_F(CupsPrintTest, PrintCurrentAndPrintAllComeOutAsTheLayoutsSheets)
{
    m_dlg.m_nCurRecord = 2;
    ASSERT_TRUE(m_wnd.PrintCurrent());
    QStringList pdfs = s_pServer->WaitForPdfs(1);
    ASSERT_EQ(pdfs.size(), 1);
    ExpectCertificatePages(pdfs[0], 1);
    EXPECT_EQ(m_dlg.m_nCurRecord, 2);

    s_pServer->ClearPdfs();
    m_dlg.m_nCurRecord = 1;
    ASSERT_TRUE(m_wnd.PrintAll());
    EXPECT_EQ(m_dlg.m_nCurRecord, 4);
    pdfs = s_pServer->WaitForPdfs(1);
    ASSERT_EQ(pdfs.size(), 1);   // one job for the three records
    ExpectCertificatePages(pdfs[0], 3);
    EXPECT_TRUE(m_boxes.Calls().empty());
}

TEST_F(CupsPrintTest, CalibrationMovesThePrintedTextByItsMillimetres)
{
    m_dlg.m_nCurRecord = 1;
    ASSERT_TRUE(m_wnd.PrintCurrent());
    QStringList pdfs = s_pServer->WaitForPdfs(1);
    ASSERT_EQ(pdfs.size(), 1);
    const QPointF ptPlain = InkTopLeft(pdfs[0]);
    ASSERT_GE(ptPlain.x(), 0);

    const CString strQueue = Codec::FromUnicode(s_pServer->Queue());
    ASSERT_TRUE(CCertificateWnd::WritePrinterOffset(strQueue, CSize(30, -20)));
    // The setting is in the file, for the next start of the program.
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Veltrane", "veltrane");
    EXPECT_EQ(settings.value("Calibration " + s_pServer->Queue() + "/OffsetX").toInt(), 30);
    EXPECT_EQ(settings.value("Calibration " + s_pServer->Queue() + "/OffsetY").toInt(), -20);

    s_pServer->ClearPdfs();
    ASSERT_TRUE(m_wnd.PrintCurrent());
    pdfs = s_pServer->WaitForPdfs(1);
    ASSERT_EQ(pdfs.size(), 1);
    ExpectCertificatePages(pdfs[0], 1, QPointF(3.0, -2.0));
    const QPointF ptMoved = InkTopLeft(pdfs[0]);
    std::printf("calibration +3.0/-2.0 mm moved the text by %.2f / %.2f mm\n", ptMoved.x() - ptPlain.x(),
                ptMoved.y() - ptPlain.y());
    EXPECT_NEAR(ptMoved.x() - ptPlain.x(), 3.0, 0.1);
    EXPECT_NEAR(ptMoved.y() - ptPlain.y(), -2.0, 0.1);
    EXPECT_TRUE(m_boxes.Calls().empty());
}

// A stopped printer holds the job: that is success, and the user is told that it waits. What
// the queue holds and what the printer finally prints is each page exactly as it was drawn,
// with no JPEG speckles round the characters.
TEST_F(CupsPrintTest, StoppedPrinterQueuesTheJobAndItsPagesArriveUnchanged)
{
    ASSERT_TRUE(s_pServer->Admin("cupsdisable"));
    m_dlg.m_nCurRecord = 1;
    ASSERT_TRUE(m_wnd.PrintAll());
    EXPECT_EQ(m_dlg.m_nCurRecord, 4);
    ASSERT_EQ(m_boxes.Calls().size(), 1u);
    EXPECT_EQ(m_boxes.Calls()[0].nType, (UINT)(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(m_boxes.Calls()[0].strText.Find(Gbk("打印机“") + Codec::FromUnicode(s_pServer->Queue()) + Gbk("”已停止：3 张证书")), 0);
    EXPECT_EQ(s_pServer->Jobs().size(), 1);
    const QStringList files = s_pServer->SpooledFiles();
    ASSERT_EQ(files.size(), 1);
    const QList<QStringList> images = CCupsTestServer::PdfImages(files[0]);
    ASSERT_EQ(images.size(), 3);
    for (const QStringList& row : images)
        EXPECT_NE(row.value(8), QStringLiteral("jpeg")) << row.join(u' ').toStdString();

    ASSERT_TRUE(s_pServer->Admin("cupsenable"));
    const QStringList pdfs = s_pServer->WaitForPdfs(1);
    ASSERT_EQ(pdfs.size(), 1);
    ExpectCertificatePages(pdfs[0], 3);
    for (int nRecord = 1; nRecord <= 3; nRecord++) {
        SCOPED_TRACE(nRecord);
        m_dlg.m_nCurRecord = nRecord;
        m_wnd.SplitAllItems();
        m_wnd.DrawPage(FALSE);
        const QImage drawn = m_wnd.m_pMemDC->GetImage()->convertToFormat(QImage::Format_Grayscale8);
        const QImage printed = PageImage(pdfs[0], nRecord).convertToFormat(QImage::Format_Grayscale8);
        ASSERT_EQ(printed.size(), drawn.size());
        long nDiffering = 0;
        for (int y = 0; y < drawn.height(); y++)
            nDiffering += std::memcmp(drawn.constScanLine(y), printed.constScanLine(y), (size_t)drawn.width()) != 0;
        EXPECT_EQ(nDiffering, 0) << "rows that differ";
    }
}

// A queue that refuses jobs gets none: the user is told so in the queue's words, the preview
// stays where it was, and once the queue takes jobs again "连续打印" prints what was missing.
TEST_F(CupsPrintTest, RefusingQueueGetsNoJobAndThePreviewStays)
{
    ASSERT_TRUE(s_pServer->Admin("cupsreject"));
    const qsizetype nJobs = s_pServer->Jobs(true).size();
    m_dlg.m_nCurRecord = 1;
    EXPECT_FALSE(m_wnd.PrintAll());
    EXPECT_FALSE(m_wnd.PrintCurrent());
    EXPECT_EQ(m_dlg.m_nCurRecord, 1);
    EXPECT_EQ(s_pServer->Jobs(true).size(), nJobs);
    ASSERT_EQ(m_boxes.Calls().size(), 2u);
    for (const Testing::MessageBoxCall& call : m_boxes.Calls()) {
        const QString strText = Codec::ToUnicode(call.strText);
        EXPECT_EQ(call.nType, (UINT)(MB_OK | MB_ICONSTOP));
        EXPECT_TRUE(strText.contains(QStringLiteral("打印队列没有接受")));
        EXPECT_TRUE(strText.contains(QStringLiteral("not accepting jobs"))) << strText.toStdString();
        EXPECT_TRUE(strText.contains(QStringLiteral("从第 1 条记录起没有打印"))) << strText.toStdString();
    }

    ASSERT_TRUE(s_pServer->Admin("cupsaccept"));
    EXPECT_TRUE(m_wnd.PrintAll());
    EXPECT_EQ(m_dlg.m_nCurRecord, 4);
    const QStringList pdfs = s_pServer->WaitForPdfs(1);
    ASSERT_EQ(pdfs.size(), 1);
    ExpectCertificatePages(pdfs[0], 3);
}

// "取消" before the first page: no job reaches the queue, not even an empty one.
TEST_F(CupsPrintTest, CancelBeforeTheFirstPageSendsNoJob)
{
    const qsizetype nJobs = s_pServer->Jobs(true).size();
    CancelProgressWhenShown();
    m_dlg.m_nCurRecord = 1;
    EXPECT_FALSE(m_wnd.PrintAll());
    EXPECT_EQ(m_dlg.m_nCurRecord, 1);
    EXPECT_TRUE(m_boxes.Calls().empty());
    EXPECT_EQ(s_pServer->Jobs(true).size(), nJobs);
    EXPECT_TRUE(s_pServer->Pdfs().isEmpty());
}

// A printer removed while the job is drawn: said as such, not as libcups' "file not found".
TEST_F(CupsPrintTest, PrinterRemovedMeanwhileIsSaidSo)
{
    const QString strGone = s_pServer->Queue() + QStringLiteral("Gone");
    ASSERT_TRUE(s_pServer->AddDefaultQueue(strGone));
    WhenProgressShows(1, [&](QProgressDialog*) { EXPECT_TRUE(s_pServer->RemoveQueue(strGone)); });
    m_dlg.m_nCurRecord = 1;
    EXPECT_FALSE(m_wnd.PrintAll());
    EXPECT_EQ(m_dlg.m_nCurRecord, 1);
    ASSERT_EQ(m_boxes.Calls().size(), 1u);
    EXPECT_GE(m_boxes.Calls()[0].strText.Find(Gbk("打印队列没有接受这项打印作业：打印机已不在系统中")), 0);
}
