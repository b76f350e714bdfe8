// Printing end to end: the program prints to a real CUPS server whose default printer is a
// cups-pdf queue, and the PDFs CUPS wrote are read back with poppler.
#include "CupsTestServer.h"
#include "PrintTestSupport.h"

#include "Testing.h"

#include <QImage>
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
        SetUpDocument();
        FillRecords(1, 3);
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
