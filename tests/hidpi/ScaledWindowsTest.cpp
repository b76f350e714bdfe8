// The preview and the designer on a screen of two device pixels per pixel: their backing
// images and the views behind them hold the screen's pixels, the preview reduces its page
// straight to them, dragging stays in logical pixels, and the cursors and the icon have their
// finer forms.
#include "../app/DocumentTestSupport.h"
#include "PreviewDlg.h"
#include "ImageMatch.h"
#include "SetupDlg.h"

#include "Resource.h"
#include "Testing.h"
#include "resource.h"

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QTest>
#include <gtest/gtest.h>


namespace {

// The two images' grey levels alike, 1 for the same picture.
double Alike(const QImage& a, const QImage& b)
{
    return Correlation(Greys(a, a.rect()), Greys(b, b.rect()));
}

} // namespace

class ScaledWindowsTest : public CMainWindowTest {
protected:
    void SetUp() override
    {
        CMainWindowTest::SetUp();
        m_dlg.m_wndGrid.SetItemText(1, 1, Gbk("张三丰"));
        m_dlg.m_nCurRecord = 1;
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = CRect(490, 728, 1400, 801);
        pItem->m_strText = Gbk("{A}同学");
        pItem->m_strFontName = Gbk("宋体");
        m_dlg.m_printSet.m_arrItems.Add(pItem);
    }
    Testing::CModalDialogAnswerer m_dialogs;
};

// The page of one pixel per 0.1 mm goes to the screen's pixels in one reduction: what the
// control holds matches the page reduced to twice the client size, not the page reduced to
// the client size and then doubled.
TEST_F(ScaledWindowsTest, PreviewReducesThePageStraightToTheScreensPixels)
{
    CPreviewDlg dlg;
    dlg.m_pPrintSet = &m_dlg.m_printSet;
    ASSERT_TRUE(dlg.Create(CPreviewDlg::IDD));
    dlg.ShowWindow(SW_SHOW);
    CCertificateWnd& wnd = dlg.m_wndCertificate;
    wnd.Invalidate();
    wnd.UpdateWindow();
    CRect rectClient;
    wnd.GetClientRect(&rectClient);
    const QImage& screen = wnd.GetBackingImage();
    ASSERT_EQ(screen.size(), QSize(2 * rectClient.Width(), 2 * rectClient.Height()));
    ASSERT_NE(wnd.m_pMemDC, nullptr);
    const QImage& page = *wnd.m_pMemDC->GetImage();
    ASSERT_EQ(page.size(), QSize(2450, 1760));

    const QImage straight = page.scaled(screen.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage doubled = page.scaled(rectClient.Width(), rectClient.Height(), Qt::IgnoreAspectRatio,
                                       Qt::SmoothTransformation)
                               .scaled(screen.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The item's text, where it lies on the screen.
    const QRect rectText(490 * screen.width() / 2450, 728 * screen.height() / 1760, 500 * screen.width() / 2450,
                         73 * screen.height() / 1760);
    const QImage shot = screen.copy(rectText);
    const double dStraight = Alike(shot, straight.copy(rectText));
    const double dDoubled = Alike(shot, doubled.copy(rectText));
    EXPECT_GT(dStraight, 0.98);
    EXPECT_GT(dStraight, dDoubled + 0.05) << "straight " << dStraight << ", by way of logical pixels " << dDoubled;
    dlg.DestroyWindow();
}

// The designer's views are compatible with its window, at the screen's resolution; its
// cursors come in their forms of twice the size, hot spots where the smaller ones have them;
// an item dragged by the mouse moves by the logical distance.
TEST_F(ScaledWindowsTest, DesignerViewsCursorsAndDragsOnAScaledScreen)
{
    CRect rectBefore, rectAfter;
    m_dialogs.QueueAnswer(IDD_SETUP_DIALOG, 0, [&](CDialog& d) {
        auto& dlg = static_cast<CSetupDlg&>(d);
        dlg.Invalidate(FALSE);
        dlg.UpdateWindow();
        CRect rectClient;
        dlg.GetClientRect(&rectClient);
        EXPECT_EQ(dlg.GetBackingImage().size(), QSize(2 * rectClient.Width(), 2 * rectClient.Height()));
        ASSERT_NE(dlg.m_pMemDC, nullptr);
        EXPECT_EQ(dlg.m_pMemDC->GetDevicePixelRatio(), 2.0);
        EXPECT_EQ(dlg.m_pBackDC->GetDevicePixelRatio(), 2.0);

        CPrintItem* pItem = dlg.m_pPrintSet->GetItem(0);
        rectBefore = pItem->m_rectScreen;
        const CPoint pt = rectBefore.CenterPoint();
        QWidget* pWidget = dlg.GetSafeHwnd();
        QTest::mouseClick(pWidget, Qt::LeftButton, {}, QPoint(pt.x, pt.y));
        const struct { CPoint pt; QPoint ptHot; } cursors[] = {
            {pt, {7, 7}}, {dlg.m_rectHandles[4].CenterPoint(), {8, 3}}, {dlg.m_rectHandles[7].CenterPoint(), {3, 8}}};
        for (const auto& c : cursors) {
            QTest::mouseMove(pWidget, QPoint(c.pt.x, c.pt.y));
            const QCursor cursor = pWidget->cursor();
            EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
            EXPECT_EQ(cursor.pixmap().size(), QSize(64, 64));
            EXPECT_EQ(cursor.pixmap().devicePixelRatio(), 2.0);
            EXPECT_EQ(cursor.hotSpot(), c.ptHot);
            // The hot spot's logical pixel lies on the black of the arrow.
            EXPECT_LT(qGray(cursor.pixmap().toImage().pixel(2 * c.ptHot.x(), 2 * c.ptHot.y())), 64);
        }

        QTest::mousePress(pWidget, Qt::LeftButton, {}, QPoint(pt.x, pt.y));
        QTest::mouseMove(pWidget, QPoint(pt.x + 6, pt.y + 3));
        QTest::mouseMove(pWidget, QPoint(pt.x + 13, pt.y + 7));
        QTest::mouseRelease(pWidget, Qt::LeftButton, {}, QPoint(pt.x + 13, pt.y + 7));
        rectAfter = pItem->m_rectScreen;
        pWidget->close();
    });
    CSetupDlg dlg;
    dlg.m_pPrintSet = &m_dlg.m_printSet;
    dlg.DoModal();
    ASSERT_EQ(m_dialogs.Calls().size(), 1u);
    CRect rectExpected = rectBefore;
    rectExpected.OffsetRect(13, 7);
    EXPECT_EQ(rectAfter, rectExpected);
}

// Icon 128 with its picture of twice the size, which the window and the About box show here.
TEST(ScaledResources, IconHasItsFinerForm)
{
    const QIcon icon = AfxIconToQIcon(AfxLoadIcon(IDR_MAINFRAME));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(32, 32)));
    EXPECT_TRUE(icon.availableSizes().contains(QSize(64, 64)));
    const QImage image = icon.pixmap(QSize(32, 32)).toImage();
    EXPECT_EQ(image.size(), QSize(64, 64));
    // Its finer detail: the inner gold rule, which the smaller picture does not have.
    EXPECT_EQ(image.pixel(11, 30), qRgb(0xC8, 0x9B, 0x2C));
}
