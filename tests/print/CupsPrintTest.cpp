// Printing end to end: the program prints to a real CUPS server whose default printer is a
// cups-pdf queue, and the PDFs CUPS wrote are read back with poppler.
#include "CupsTestServer.h"

#include "CertificateWnd.h"
#include "MainApp.h"
#include "MainDlg.h"
#include "PrintItem.h"

#include "Codec.h"
#include "Testing.h"

#include <QImage>
#include <gtest/gtest.h>
#include <poppler-qt6.h>

#include <cstring>
#include <memory>

namespace {

CString Gbk(const char* pszUtf8)
{
    return Codec::FromUnicode(QString::fromUtf8(pszUtf8));
}

constexpr double s_dPointsPerUnit = 72.0 / 254.0;   // one paper unit is 0.1 mm

class CupsPrintTest : public ::testing::Test {
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
        ASSERT_TRUE(m_dir.isValid());
        std::strcpy(m_app.m_szAppDir, Codec::FromUnicode(m_dir.path()));
        ASSERT_TRUE(m_dlg.Create(CMainDlg::IDD));
        m_app.m_pMainWnd = &m_dlg;
        for (int nRow = 1; nRow <= 3; nRow++) {
            CString str;
            str.Format("%d", nRow);
            m_dlg.m_wndGrid.SetItemText(nRow, 1, Gbk("学生") + str);
        }
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = m_rectItem;
        pItem->m_strText = Gbk("{A}同学");
        pItem->m_strFontName = Gbk("宋体");
        m_dlg.m_printSet.m_arrItems.Add(pItem);
        m_wnd.m_pPrintSet = &m_dlg.m_printSet;
    }
    void TearDown() override
    {
        m_wnd.ReleaseResources();
        m_app.m_pMainWnd = nullptr;
        m_dlg.DestroyWindow();
    }

    // Every page: W x H within half a point, the item's text where the item lies, and no
    // background: nothing coloured anywhere, nothing dark outside the item.
    void ExpectCertificatePages(const QString& strPdf, int nPages)
    {
        SCOPED_TRACE(strPdf.toStdString());
        std::unique_ptr<Poppler::Document> pDoc = Poppler::Document::load(strPdf);
        ASSERT_TRUE(pDoc);
        ASSERT_EQ(pDoc->numPages(), nPages);
        const QRectF rectItem(m_rectItem.left * s_dPointsPerUnit, m_rectItem.top * s_dPointsPerUnit,
                              m_rectItem.Width() * s_dPointsPerUnit, m_rectItem.Height() * s_dPointsPerUnit);
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

    static CCupsTestServer* s_pServer;
    static QString s_strWhy;
    const CRect m_rectItem {490, 728, 1400, 801};
    QTemporaryDir m_dir;
    CMainApp m_app;
    Testing::CMessageBoxRecorder m_boxes;
    CMainDlg m_dlg;
    CCertificateWnd m_wnd;
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
