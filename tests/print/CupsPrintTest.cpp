// Printing end to end: the program prints to a real CUPS server whose default printer is a
// cups-pdf queue, and the PDFs CUPS wrote are read back with poppler.
#include "CupsTestServer.h"
#include "PrintTestSupport.h"

#include "PrinterCalibration.h"
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

    // The ink's bounding box within 10 mm round rectPaper (0.1 mm) on page nPage (0 for the
    // first), in millimetres from the sheet's corner, rendered at 0.05 mm a pixel; empty when
    // there is none.
    static QRectF InkBox(const QString& strPdf, const CRect& rectPaper, int nPage = 0)
    {
        std::unique_ptr<Poppler::Document> pDoc = Poppler::Document::load(strPdf);
        if (!pDoc || pDoc->numPages() <= nPage)
            return QRectF();
        constexpr double dDpi = 508, dMMPerPixel = 25.4 / dDpi;
        const int x0 = (int)((rectPaper.left - 100) / 10.0 / dMMPerPixel), y0 = (int)((rectPaper.top - 100) / 10.0 / dMMPerPixel);
        const QImage image = pDoc->page(nPage)->renderToImage(dDpi, dDpi, x0, y0, (int)((rectPaper.Width() + 200) / 10.0 / dMMPerPixel),
                                                              (int)((rectPaper.Height() + 200) / 10.0 / dMMPerPixel));
        int nLeft = INT_MAX, nTop = INT_MAX, nRight = -1, nBottom = -1;
        for (int y = 0; y < image.height(); y++)
            for (int x = 0; x < image.width(); x++)
                if (qGray(image.pixel(x, y)) < 128) {
                    nLeft = std::min(nLeft, x);
                    nTop = std::min(nTop, y);
                    nRight = std::max(nRight, x + 1);
                    nBottom = std::max(nBottom, y + 1);
                }
        if (nRight < 0)
            return QRectF();
        return QRectF(QPointF(x0 + nLeft, y0 + nTop) * dMMPerPixel, QPointF(x0 + nRight, y0 + nBottom) * dMMPerPixel);
    }
    QPointF InkTopLeft(const QString& strPdf) const
    {
        const QRectF rect = InkBox(strPdf, m_rectItem);
        return rect.isEmpty() ? QPointF(-1, -1) : rect.topLeft();
    }

    // A second item far from the first, near the paper's bottom right: what the scale moves most.
    void AddFarItem()
    {
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = m_rectFar;
        pItem->m_strText = Gbk("第{A}号");
        pItem->m_strFontName = Gbk("宋体");
        m_dlg.m_printSet.m_arrItems.Add(pItem);
    }
    // Prints the record shown with calibration; the PDF the queue wrote, kept in the test's
    // folder.
    QString PrintCurrentWith(const CPrinterCalibration& calibration)
    {
        EXPECT_TRUE(calibration.Write(Codec::FromUnicode(s_pServer->Queue())));
        s_pServer->ClearPdfs();
        EXPECT_TRUE(m_wnd.PrintCurrent());
        const QStringList pdfs = s_pServer->WaitForPdfs(1);
        const QString strKept = m_dir.filePath(QStringLiteral("printed-%1.pdf").arg(++m_nKept));
        return pdfs.size() == 1 && QFile::rename(pdfs[0], strKept) ? strKept : QString();
    }
    int m_nKept = 0;

    const CRect m_rectFar {1900, 1500, 2300, 1573};
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
    CPrinterCalibration calibration;
    calibration.m_sizeOffset = CSize(30, -20);
    ASSERT_TRUE(calibration.Write(strQueue));
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

// The scale stretches the page about its top-left corner before the offset moves it: what lies
// far from that corner moves by more, and the distance between two texts grows by the scale.
TEST_F(CupsPrintTest, ScaleStretchesThePageAboutItsCornerThenTheOffsetMovesIt)
{
    AddFarItem();
    m_dlg.m_nCurRecord = 1;
    const QString strPlain = PrintCurrentWith(CPrinterCalibration());
    const QPointF ptNear = InkBox(strPlain, m_rectItem).topLeft(), ptFar = InkBox(strPlain, m_rectFar).topLeft();
    ASSERT_GT(ptFar.x(), 150);

    CPrinterCalibration calibration;
    calibration.m_sizeOffset = CSize(30, -20);   // 3.0 mm right, 2.0 mm up
    calibration.m_sizeScale = CSize(100, -50);   // 10 per mille longer across, 5 shorter down
    const QString strCalibrated = PrintCurrentWith(calibration);
    ASSERT_FALSE(strCalibrated.isEmpty());
    for (const auto& [rect, ptPlain] : {std::pair {m_rectItem, ptNear}, std::pair {m_rectFar, ptFar}}) {
        const QPointF pt = InkBox(strCalibrated, rect).topLeft();
        std::printf("text at %.2f / %.2f mm lands at %.2f / %.2f mm\n", ptPlain.x(), ptPlain.y(), pt.x(), pt.y());
        EXPECT_NEAR(pt.x(), ptPlain.x() * 1.010 + 3.0, 0.1);
        EXPECT_NEAR(pt.y(), ptPlain.y() * 0.995 - 2.0, 0.1);
    }
    EXPECT_TRUE(m_boxes.Calls().empty());
}

// 清晰打印: the queue gets the texts as text, drawn at the printer's resolution in the place
// where the picture's ink lands, offset and scale included, and no picture of the page at all.
// The job the queue holds is searchable there. What cups-pdf makes of it (through PostScript)
// keeps the glyphs in fonts but not which characters they are, so there the ink is measured.
TEST_F(CupsPrintTest, VectorTextReachesTheQueueAsTextWhereThePicturesInkIs)
{
    AddFarItem();
    CPrinterCalibration calibration;
    calibration.m_sizeOffset = CSize(-15, 25);
    calibration.m_sizeScale = CSize(-80, 120);
    m_dlg.m_nCurRecord = 2;
    m_wnd.ShowRecord();
    const QString strPicture = PrintCurrentWith(calibration);
    ASSERT_FALSE(strPicture.isEmpty());
    const QRectF arrPictureInk[] = {InkBox(strPicture, m_rectItem), InkBox(strPicture, m_rectFar)};

    calibration.m_bVectorText = TRUE;
    ASSERT_TRUE(calibration.Write(Codec::FromUnicode(s_pServer->Queue())));
    ASSERT_TRUE(s_pServer->Admin("cupsdisable"));
    s_pServer->ClearPdfs();
    m_dlg.m_nCurRecord = 1;
    m_wnd.ShowRecord();
    ASSERT_TRUE(m_wnd.PrintAll());
    const QStringList files = s_pServer->SpooledFiles();
    ASSERT_EQ(files.size(), 1);
    std::unique_ptr<Poppler::Document> pDoc = Poppler::Document::load(files[0]);
    ASSERT_TRUE(pDoc);
    ASSERT_EQ(pDoc->numPages(), 3);
    for (int i = 0; i < 3; i++) {
        const QString strPage = pDoc->page(i)->text(QRectF()).remove(u' ').remove(u'\n');
        EXPECT_TRUE(strPage.contains(QStringLiteral("学生%1同学").arg(i + 1))) << strPage.toStdString();
        EXPECT_TRUE(strPage.contains(QStringLiteral("第学生%1号").arg(i + 1))) << strPage.toStdString();
    }
    // Record 2's texts lie where the picture of record 2 put its ink.
    const auto boxes = pDoc->page(1)->textList();
    const QString arrExpected[] = {QStringLiteral("学生2同学"), QStringLiteral("第学生2号")};
    for (int nItem = 0; nItem < 2; nItem++) {
        QString strFound;
        for (const auto& pBox : boxes) {
            const QRectF& rect = pBox->boundingBox();
            if (arrPictureInk[nItem].adjusted(-0.5, -0.5, 0.5, 0.5).contains(rect.center() * 25.4 / 72))
                strFound += pBox->text();
        }
        EXPECT_EQ(strFound, arrExpected[nItem]);
    }

    ASSERT_TRUE(s_pServer->Admin("cupsenable"));
    const QStringList pdfs = s_pServer->WaitForPdfs(1);
    ASSERT_EQ(pdfs.size(), 1);
    EXPECT_TRUE(CCupsTestServer::PdfImages(pdfs[0]).isEmpty());
    pDoc = Poppler::Document::load(pdfs[0]);
    ASSERT_TRUE(pDoc);
    EXPECT_FALSE(pDoc->fonts().isEmpty());
    for (int nItem = 0; nItem < 2; nItem++) {
        const QRectF rectPicture = arrPictureInk[nItem], rectText = InkBox(pdfs[0], nItem ? m_rectFar : m_rectItem, 1);
        std::printf("picture's ink %.2f, %.2f - %.2f, %.2f mm; text's %.2f, %.2f - %.2f, %.2f mm\n", rectPicture.left(),
                    rectPicture.top(), rectPicture.right(), rectPicture.bottom(), rectText.left(), rectText.top(),
                    rectText.right(), rectText.bottom());
        ASSERT_FALSE(rectText.isEmpty());
        for (auto [dPicture, dText] : {std::pair {rectPicture.left(), rectText.left()}, {rectPicture.top(), rectText.top()},
                                       {rectPicture.right(), rectText.right()}, {rectPicture.bottom(), rectText.bottom()}})
            EXPECT_NEAR(dText, dPicture, 0.25);
    }
    ASSERT_EQ(m_boxes.Calls().size(), 1u);   // that the job waits in the queue
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
