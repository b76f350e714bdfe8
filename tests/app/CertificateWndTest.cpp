// The certificate page: each record's item texts placed by the line rule at paper resolution,
// checked against the same tokens drawn by hand where the rule puts them.
#include "CertificateWnd.h"
#include "DocumentTestSupport.h"
#include "LineRule.h"
#include "MainApp.h"
#include "PrintJob.h"
#include "PrintSet.h"

#include "Testing.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

// A white page of the default paper with tokens drawn by hand.
struct CHandPage {
    CHandPage(int cx = 2450, int cy = 1760)
    {
        bitmap.CreateBitmap(cx, cy);
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, cx, cy, RGB(255, 255, 255));
        dc.SetBkMode(TRANSPARENT);
    }
    // Draws the characters of the text (UTF-8) one after the other from (x, y) in the item
    // font of height h, as tokens are drawn.
    void Text(int x, int y, int h, const char* pszUtf8, const char* pszFace = "宋体")
    {
        CFont font;
        CLineRule::CreateItemFont(font, h, Gbk(pszFace));
        CFont* pOld = dc.SelectObject(&font);
        for (QChar ch : QString::fromUtf8(pszUtf8)) {
            const CString strChar = Codec::FromUnicode(QString(ch));
            dc.TextOut(x, y, strChar);
            x += dc.GetTextExtent(strChar).cx;
        }
        dc.SelectObject(pOld);
    }
    CBitmap bitmap;
    CDC dc;
};

class CertificateWndTest : public CMainDlgDocumentTest {
protected:
    void SetUp() override
    {
        CMainDlgDocumentTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        std::strcpy(m_app.m_szAppDir, Codec::FromUnicode(m_dir.path()));   // no back.jpg there
        m_app.m_pMainWnd = &m_dlg;
        m_wnd.m_pPrintSet = &m_dlg.m_printSet;
        m_dlg.m_nCurRecord = 1;
    }
    void TearDown() override { m_app.m_pMainWnd = nullptr; }

    CPrintItem* AddItem(const CRect& rectPaper, const char* pszTextUtf8, const char* pszFace = "宋体")
    {
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = rectPaper;
        pItem->m_strText = Gbk(pszTextUtf8);
        pItem->m_strFontName = Gbk(pszFace);
        m_dlg.m_printSet.m_arrItems.Add(pItem);
        return pItem;
    }
    void SetField(int nRecord, char chField, const char* pszUtf8)
    {
        m_dlg.m_wndGrid.SetItemText(nRecord, chField - 'A' + 1, Gbk(pszUtf8));
    }
    const QImage& Page() const { return m_wnd.m_pMemDC->GetImage() ? *m_wnd.m_pMemDC->GetImage() : m_empty; }
    QImage PageWithoutBackground()
    {
        m_wnd.DrawPage(FALSE);
        return Page();
    }

    QTemporaryDir m_dir;
    CMainApp m_app;
    CCertificateWnd m_wnd;
    QImage m_empty;
};

long CountNonWhite(const QImage& image, const QRect& rect)
{
    long n = 0;
    for (int y = rect.top(); y <= rect.bottom(); y++)
        for (int x = rect.left(); x <= rect.right(); x++)
            n += image.pixel(x, y) != qRgb(255, 255, 255);
    return n;
}

} // namespace

TEST_F(CertificateWndTest, RecordTextsLandWhereTheLineRuleSays)
{
    SetField(1, 'A', "张三");
    SetField(1, 'B', "一\r\n等奖");
    AddItem(CRect(490, 728, 1400, 801), "{A}同学");   // height 73: lines 109 apart
    AddItem(CRect(300, 1000, 2000, 1100), "{B}");
    AddItem(CRect(300, 1300, 2000, 1400), "");          // an empty text draws nothing
    ASSERT_TRUE(m_wnd.CreatePage());
    EXPECT_EQ(m_wnd.GetPageSize(), CSize(2450, 1760));
    EXPECT_EQ(m_wnd.m_arrItemTokens[0].GetSize(), 4);

    CHandPage hand;
    hand.Text(490, 728, 73, "张三同学");
    hand.Text(300, 1000, 100, "一");
    hand.Text(300, 1150, 100, "等奖");
    EXPECT_TRUE(PageWithoutBackground() == hand.bitmap.Image());
}

TEST_F(CertificateWndTest, StepsThroughRecordsAndPastTheTable)
{
    SetField(1, 'A', "甲");
    SetField(2, 'A', "乙");
    SetField(300, 'A', "末");
    AddItem(CRect(100, 100, 1000, 200), "{A}奖");
    ASSERT_TRUE(m_wnd.CreatePage());
    const QImage record1 = PageWithoutBackground();

    // Record 1 is the first: previous changes nothing.
    m_wnd.ShowPrevious();
    EXPECT_EQ(m_dlg.m_nCurRecord, 1);
    EXPECT_TRUE(PageWithoutBackground() == record1);

    m_wnd.ShowNext();
    EXPECT_EQ(m_dlg.m_nCurRecord, 2);
    CHandPage hand2;
    hand2.Text(100, 100, 100, "乙奖");
    EXPECT_TRUE(PageWithoutBackground() == hand2.bitmap.Image());
    m_wnd.ShowPrevious();
    EXPECT_EQ(m_dlg.m_nCurRecord, 1);
    EXPECT_TRUE(PageWithoutBackground() == record1);

    // The last row is a record; past it every field is empty and only fixed text remains.
    m_dlg.m_nCurRecord = 299;
    m_wnd.ShowNext();
    CHandPage hand300;
    hand300.Text(100, 100, 100, "末奖");
    EXPECT_TRUE(PageWithoutBackground() == hand300.bitmap.Image());
    m_wnd.ShowNext();
    m_wnd.ShowNext();
    EXPECT_EQ(m_dlg.m_nCurRecord, 302);
    CHandPage handPast;
    handPast.Text(100, 100, 100, "奖");
    EXPECT_TRUE(PageWithoutBackground() == handPast.bitmap.Image());
}

TEST_F(CertificateWndTest, EveryItemIsDrawnLaterOnesOverEarlierOnes)
{
    // 60 items, more than the 50 lists a layout once had room for.
    CHandPage hand;
    for (int i = 0; i < 60; i++) {
        const CRect rect(40 + (i % 10) * 240, 40 + (i / 10) * 280, 240 + (i % 10) * 240, 120 + (i / 10) * 280);
        AddItem(rect, i % 2 ? "乙" : "甲");
        hand.Text(rect.left, rect.top, 80, i % 2 ? "乙" : "甲");
    }
    // Two overlapping items: both drawn, the second over the first.
    AddItem(CRect(100, 1700, 900, 1750), "WWWW");
    AddItem(CRect(100, 1700, 900, 1750), "IIII");
    hand.Text(100, 1700, 50, "WWWW");
    hand.Text(100, 1700, 50, "IIII");
    ASSERT_TRUE(m_wnd.CreatePage());
    EXPECT_EQ((int)m_wnd.m_arrItemTokens.size(), 62);
    const QImage page = PageWithoutBackground();
    EXPECT_TRUE(page == hand.bitmap.Image());
    // The 60th item has ink of its own.
    EXPECT_GT(CountNonWhite(page, QRect(40 + 9 * 240, 40 + 5 * 280, 200, 80)), 50);
}

TEST_F(CertificateWndTest, BackgroundOnlyOnTheScreenPage)
{
    AddItem(CRect(1000, 800, 1500, 900), "字");
    ASSERT_TRUE(m_wnd.CreatePage());
    // Drawn first with the background (the built-in picture: a red frame at the edges).
    const QImage screen = Page().copy();
    EXPECT_GT(CountNonWhite(screen, QRect(0, 0, 2450, 100)), 100000);

    const QImage paper = PageWithoutBackground();
    const QRect rectItem(1000, 800, 500, 100);
    EXPECT_GT(CountNonWhite(paper, rectItem), 200);
    EXPECT_EQ(CountNonWhite(paper, QRect(0, 0, 2450, 800)), 0);
    EXPECT_EQ(CountNonWhite(paper, QRect(0, 900, 2450, 860)), 0);
    EXPECT_EQ(CountNonWhite(paper, QRect(0, 800, 1000, 100)), 0);
    EXPECT_EQ(CountNonWhite(paper, QRect(1500, 800, 950, 100)), 0);

    // Released, the page and the picture are gone; a new page is made on demand.
    m_wnd.ReleaseResources();
    EXPECT_EQ(m_wnd.m_pMemDC, nullptr);
    EXPECT_TRUE(m_wnd.m_picture.IsEmpty());
    EXPECT_EQ(m_wnd.GetPageSize(), CSize(0, 0));
}

TEST_F(CertificateWndTest, PaperTooLargeForAPageIsDrawnScaledAndReportedOnce)
{
    Testing::CMessageBoxRecorder boxes;
    m_dlg.m_printSet.m_nPaperWidth = 20000;
    m_dlg.m_printSet.m_nPaperHeight = 20000;
    AddItem(CRect(4000, 4000, 16000, 4400), "甲");
    ASSERT_TRUE(m_wnd.CreatePage());
    QCoreApplication::processEvents();
    const CSize size = m_wnd.GetPageSize();
    EXPECT_EQ(size.cx, size.cy);
    EXPECT_LE((double)size.cx * size.cy, 25.0e6);
    EXPECT_GE(size.cx, 4000);
    EXPECT_NEAR(m_wnd.GetPageScale(), size.cx / 20000.0, 0.001);

    // The same item at the page's scale: 1000, 1000 and 100 high at a quarter.
    const QImage page = PageWithoutBackground();
    CHandPage hand(size.cx, size.cy);
    const double s = m_wnd.GetPageScale();
    hand.Text((int)std::lround(4000 * s), (int)std::lround(4000 * s),
              (int)(std::lround(4400 * s) - std::lround(4000 * s)), "甲");
    EXPECT_TRUE(page == hand.bitmap.Image());

    ASSERT_EQ(boxes.Calls().size(), 1u);
    CString strExpected;
    strExpected.LoadString(IDP_PAGE_REDUCED);
    EXPECT_EQ(boxes.Calls()[0].strText, strExpected);
    // Stepping to other records does not ask again.
    m_wnd.ShowNext();
    QCoreApplication::processEvents();
    EXPECT_EQ(boxes.Calls().size(), 1u);
}

// Whatever the paper's size and proportions, the page holds at most MAX_PAGE_PIXELS pixels and
// no side longer than MAX_PAGE_SIDE, and a paper within both is drawn at full scale. The
// calibration page's rulers on it are drawn in a bounded time.
TEST_F(CertificateWndTest, ThePageStaysWithinItsBoundsForAnyPaper)
{
    Testing::CMessageBoxRecorder boxes;
    const LONG nSide = CCertificateWnd::MAX_PAGE_SIDE;
    struct Case {
        LONG nWidth, nHeight;
        bool bFullScale;
    };
    const Case cases[] = {
        {2450, 1760, true}, {nSide, 1250, true}, {nSide + 1, 10, false}, {20000, 20000, false},
        {INT_MAX, 1, false}, {3, INT_MAX, false}, {INT_MAX, 3, false}, {INT_MAX, INT_MAX, false}, {1, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.nWidth << " x " << c.nHeight);
        m_wnd.ReleaseResources();
        m_dlg.m_printSet.m_nPaperWidth = c.nWidth;
        m_dlg.m_printSet.m_nPaperHeight = c.nHeight;
        ASSERT_TRUE(m_wnd.CreatePage());
        const CSize size = m_wnd.GetPageSize();
        EXPECT_LE((double)size.cx * size.cy, CCertificateWnd::MAX_PAGE_PIXELS);
        EXPECT_LE(std::max(size.cx, size.cy), nSide);
        EXPECT_EQ(size == CSize(c.nWidth, c.nHeight), c.bFullScale);

        // On a page of any size the rulers are drawn in a bounded time; at full scale with a
        // tick at every millimetre, across a row the shortest ticks reach.
        m_wnd.DrawTestPage();
        const QImage& page = Page();
        if (!c.bFullScale || page.height() <= 4)
            continue;
        for (int x = 9; x < page.width() - 1; x += 10)
            EXPECT_LT(qGray(page.pixel(x, 4)), 128) << x;
    }
}

// A damaged file's paper places the page far off the printer's sheet: its target starts at
// the end of the drawable range instead of wrapping round onto the sheet.
TEST(CertificatePrintTargetTest, APaperOfAnySizeIsPlacedWithinTheDrawableRange)
{
    for (LONG nPaper : {INT_MAX, INT_MAX / 2, 1 << 26}) {
        SCOPED_TRACE(nPaper);
        const auto g = CPrintJob::PrintGeometry::Compute(287, 200, 7016, 4960, nPaper, nPaper);
        const CRect rect = g.GetTarget();
        EXPECT_EQ(rect.left, std::max<long long>(-MAX_DRAW_COORDINATE, (2870LL - nPaper) * 7016 / 2870));
        EXPECT_EQ(rect.top, std::max<long long>(-MAX_DRAW_COORDINATE, (2000LL - nPaper) * 4960 / 2000 / 2));
        EXPECT_GT(rect.Width(), 7016);
        EXPECT_EQ(rect.Height(), 4960 - 2 * rect.top);
    }
}

// A step redraws only the items whose text, place or font changed, over the background where
// they lay and where they now lie, with every item they overlap. Whatever changes between
// two steps, the page must be the page drawn afresh: an unchanged item over a changed one, a
// text that grows past where the last one ended, a text that goes, an item moved, given
// another font, taken out or added.
TEST_F(CertificateWndTest, StepRedrawsChangedItemsAsAFreshPageWould)
{
    SetField(1, 'A', "张三");
    SetField(1, 'B', "一等奖");
    SetField(2, 'A', "欧阳小明");
    SetField(2, 'B', "全国青少年科技创新大赛一等奖，并获最佳创意奖");
    AddItem(CRect(100, 300, 1200, 400), "{A}同学");
    CPrintItem* pOver = AddItem(CRect(250, 330, 900, 410), "获奖");   // over the name, unchanged
    AddItem(CRect(100, 1000, 700, 1080), "{B}");                     // wraps for record 2
    AddItem(CRect(150, 1130, 700, 1190), "证书编号");                 // where B's second line goes
    CPrintItem* pDate = AddItem(CRect(1500, 1400, 2100, 1460), "二〇二六年");
    ASSERT_TRUE(m_wnd.CreatePage());
    // The whole page drawn again: after a white page nothing of the last one is kept.
    const auto Afresh = [this] {
        m_wnd.DrawPage(FALSE);
        m_wnd.DrawPage(TRUE);
        return Page().copy();
    };
    const auto Step = [this, &Afresh](bool bNext) {
        bNext ? m_wnd.ShowNext() : m_wnd.ShowPrevious();
        const QImage stepped = Page().copy();
        return stepped == Afresh();
    };
    EXPECT_TRUE(Step(true));    // record 2: longer texts, three lines of B
    EXPECT_TRUE(Step(true));    // record 3: no fields at all
    EXPECT_TRUE(Step(false));
    EXPECT_TRUE(Step(false));

    pDate->m_rectPaper.OffsetRect(-200, -900);   // now over the name too
    pOver->m_strFontName = Gbk("黑体");
    EXPECT_TRUE(Step(true));
    ASSERT_TRUE(m_dlg.m_printSet.RemoveItem(pOver));
    EXPECT_TRUE(Step(false));
    AddItem(CRect(0, 0, 2450, 1760), "{A}");      // one large name over everything
    EXPECT_TRUE(Step(true));
    EXPECT_TRUE(Step(false));
}

// Stepping redraws only where the last record's text lay; the page must still come out as a
// page drawn afresh, with no trace of a longer text before it, and a background picture that
// appears or goes between two steps is drawn over the whole page.
TEST_F(CertificateWndTest, SteppedPageMatchesAPageDrawnAfresh)
{
    SetField(1, 'A', "一个很长很长的名字，长到换行还要再写一行");
    SetField(2, 'A', "乙");
    AddItem(CRect(100, 300, 1200, 400), "{A}同学");
    AddItem(CRect(1500, 1400, 2100, 1460), "二〇二六年");
    ASSERT_TRUE(m_wnd.CreatePage());
    const auto Afresh = [this] {
        m_wnd.DrawPage(FALSE);
        m_wnd.DrawPage(TRUE);
        return Page().copy();
    };
    m_wnd.ShowNext();
    QImage stepped = Page().copy();
    EXPECT_TRUE(stepped == Afresh());
    m_wnd.ShowPrevious();
    stepped = Page().copy();
    EXPECT_TRUE(stepped == Afresh());

    // A picture in the program's folder from now on: blue all over.
    QImage picture(600, 400, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 255));
    ASSERT_TRUE(picture.save(m_dir.filePath("back.jpg"), "JPG"));
    m_wnd.ShowNext();
    stepped = Page().copy();
    EXPECT_LT(qRed(stepped.pixel(5, 5)), 30);
    EXPECT_GT(qBlue(stepped.pixel(2440, 1750)), 220);
    EXPECT_TRUE(stepped == Afresh());
    // And gone again: the built-in picture, which is not blue.
    ASSERT_TRUE(QFile::remove(m_dir.filePath("back.jpg")));
    m_wnd.ShowPrevious();
    stepped = Page().copy();
    EXPECT_FALSE(qBlue(stepped.pixel(5, 5)) > 200 && qRed(stepped.pixel(5, 5)) < 50);
    EXPECT_TRUE(stepped == Afresh());
}
