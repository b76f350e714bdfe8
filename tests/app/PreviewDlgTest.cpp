// The preview dialog opened from the main window's button, driven through its real buttons and
// keys while the modal-dialog seam holds it open.
#include "DocumentTestSupport.h"
#include "MainApp.h"
#include "PreviewDlg.h"

#include "Testing.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace {

class PreviewDlgTest : public CMainWindowTest {
protected:
    void SetUp() override
    {
        CMainWindowTest::SetUp();
        for (int nRow = 1; nRow <= 10; nRow++) {
            CString str;
            str.Format("%d", nRow);
            m_dlg.m_wndGrid.SetItemText(nRow, 1, Gbk("学生") + str);
        }
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = CRect(490, 728, 1400, 801);
        pItem->m_strText = Gbk("{A}同学");
        pItem->m_strFontName = Gbk("宋体");
        m_dlg.m_printSet.m_arrItems.Add(pItem);
    }

    // Opens the preview from the main window's button; the action runs while it is open.
    void OpenPreview(std::function<void(CPreviewDlg&)> action)
    {
        m_dialogs.QueueAnswer(IDD_PREVIEW_DIALOG, 0, [action](CDialog& dlg) {
            action(static_cast<CPreviewDlg&>(dlg));
        });
        auto* pButton = qobject_cast<QPushButton*>(m_dlg.GetDlgItem(IDC_PREVIEW)->GetSafeHwnd());
        ASSERT_NE(pButton, nullptr);
        QTest::mouseClick(pButton, Qt::LeftButton);
        ASSERT_EQ(m_dialogs.Calls().size(), 1u);
        EXPECT_EQ(m_dialogs.Calls()[0].nIDTemplate, (UINT)IDD_PREVIEW_DIALOG);
    }

    static QPushButton* Button(CDialog& dlg, UINT nID)
    {
        return qobject_cast<QPushButton*>(dlg.GetDlgItem(nID)->GetSafeHwnd());
    }

    Testing::CMessageBoxRecorder m_boxes;
    Testing::CModalDialogAnswerer m_dialogs;
};

// A control's frame in its dialog's client coordinates.
CRect RectInDialog(CDialog& dlg, CWnd* pControl)
{
    CRect rect;
    pControl->GetWindowRect(&rect);
    dlg.ScreenToClient(&rect);
    return rect;
}

// The page inside its frame has the paper's proportions (to the pixel), fills the room in one
// direction and is centred in the other.
void ExpectPageFitted(const CRect& rectPage, const CRect& rectRoom, CSize sizePaper)
{
    CRect rectInside;
    EXPECT_TRUE(rectInside.IntersectRect(&rectPage, &rectRoom) && rectInside == rectPage)
        << "page " << rectPage.left << "," << rectPage.top << "," << rectPage.right << "," << rectPage.bottom;
    const int cx = rectPage.Width() - 2, cy = rectPage.Height() - 2;
    EXPECT_LE(std::abs((long long)cx * sizePaper.cy - (long long)cy * sizePaper.cx), (long long)std::max(sizePaper.cx, sizePaper.cy));
    EXPECT_TRUE(rectPage.Width() == rectRoom.Width() || rectPage.Height() == rectRoom.Height());
    EXPECT_LE(std::abs((rectPage.left - rectRoom.left) - (rectRoom.right - rectPage.right)), 1);
    EXPECT_LE(std::abs((rectPage.top - rectRoom.top) - (rectRoom.bottom - rectPage.bottom)), 1);
}

long CountDark(const QImage& image, const QRect& rect)
{
    long n = 0;
    for (int y = rect.top(); y <= rect.bottom(); y++)
        for (int x = rect.left(); x <= rect.right(); x++)
            n += qGray(image.pixel(x, y)) < 100;
    return n;
}

} // namespace

TEST_F(PreviewDlgTest, ShowsTheFocusRowsCertificateScaledIntoTheControl)
{
    m_dlg.m_wndGrid.SetFocusCell(5, 2);
    OpenPreview([&](CPreviewDlg& dlg) {
        CString strCaption;
        dlg.GetWindowText(strCaption);
        EXPECT_EQ(strCaption, Gbk("\t打印预览 --- Dunmere"));
        EXPECT_EQ(dlg.m_pPrintSet, &m_dlg.m_printSet);
        EXPECT_EQ(dlg.m_wndCertificate.m_pPrintSet, &m_dlg.m_printSet);
        EXPECT_EQ(dlg.GetDlgItem(IDC_CERTIFICATE), &dlg.m_wndCertificate);
        EXPECT_EQ(QApplication::focusWidget(), Button(dlg, IDCANCEL));
        EXPECT_EQ(m_dlg.m_nCurRecord, 5);

        // The control in the room the template gives it, with the paper's proportions.
        CRect rectRoom(7, 7, 7 + 396, 7 + 257);
        dlg.MapDialogRect(&rectRoom);
        ExpectPageFitted(RectInDialog(dlg, &dlg.m_wndCertificate), rectRoom, CSize(2450, 1760));

        // The page has the paper's size, whatever the control's.
        dlg.m_wndCertificate.UpdateWindow();
        EXPECT_EQ(dlg.m_wndCertificate.GetPageSize(), CSize(2450, 1760));
        CRect rectClient;
        dlg.m_wndCertificate.GetClientRect(&rectClient);
        ASSERT_GT(rectClient.Width(), 100);
        EXPECT_NE(rectClient.Size(), CSize(2450, 1760));

        // Its text, scaled down, where the item lies; nothing dark beside it on the paper.
        const QImage& screen = dlg.m_wndCertificate.GetBackingImage();
        const double sx = rectClient.Width() / 2450.0, sy = rectClient.Height() / 1760.0;
        const QRect rectItem(QPoint(490 * sx, 728 * sy), QPoint(1400 * sx, 801 * sy));
        const QRect rectBlank(QPoint(150 * sx, 728 * sy), QPoint(450 * sx, 801 * sy));
        EXPECT_GT(CountDark(screen, rectItem), 20);
        EXPECT_EQ(CountDark(screen, rectBlank), 0);
    });
}

// Sized by the user, from smaller than the template (which it refuses) to much larger: the page
// takes the room with the paper's proportions, for a landscape and a portrait paper, with the
// dialog's colour around it; the buttons stay below it, centred with it.
TEST_F(PreviewDlgTest, PageKeepsThePaperProportionsCentredAsTheDialogIsSized)
{
    const struct { CSize sizePaper; QSize grow; } cases[] = {
        {{2450, 1760}, {0, 0}}, {{2450, 1760}, {-80, -60}}, {{2450, 1760}, {500, 0}},
        {{2450, 1760}, {0, 400}}, {{2450, 1760}, {600, 450}}, {{1480, 2100}, {300, 300}},
    };
    for (const auto& c : cases) {
        m_dlg.m_printSet.m_nPaperWidth = c.sizePaper.cx;
        m_dlg.m_printSet.m_nPaperHeight = c.sizePaper.cy;
        m_dialogs.QueueAnswer(IDD_PREVIEW_DIALOG, 0, [&](CDialog& dlgOpen) {
            CPreviewDlg& dlg = static_cast<CPreviewDlg&>(dlgOpen);
            SCOPED_TRACE(testing::Message() << c.sizePaper.cx << "x" << c.sizePaper.cy << " grown by "
                                            << c.grow.width() << "," << c.grow.height());
            QWidget* pWidget = dlg.GetSafeHwnd();
            CRect rectBefore;
            dlg.GetClientRect(&rectBefore);
            const CRect rectCloseBefore = RectInDialog(dlg, dlg.GetDlgItem(IDCANCEL));
            pWidget->resize(pWidget->size() + c.grow);
            QCoreApplication::processEvents();
            CRect rectClient;
            dlg.GetClientRect(&rectClient);
            const int dx = rectClient.Width() - rectBefore.Width(), dy = rectClient.Height() - rectBefore.Height();
            EXPECT_EQ(dx, std::max(0, c.grow.width()));
            EXPECT_EQ(dy, std::max(0, c.grow.height()));

            CRect rectRoom(7, 7, 7 + 396, 7 + 257);
            dlg.MapDialogRect(&rectRoom);
            rectRoom.right += dx;
            rectRoom.bottom += dy;
            const CRect rectPage = RectInDialog(dlg, &dlg.m_wndCertificate);
            ExpectPageFitted(rectPage, rectRoom, c.sizePaper);
            CRect rectClose = rectCloseBefore;
            rectClose.OffsetRect(dx / 2, dy);
            EXPECT_EQ(RectInDialog(dlg, dlg.GetDlgItem(IDCANCEL)), rectClose);

            // Beside the page (or above it) the dialog's own colour; the page's paper inside.
            const QImage shot = pWidget->grab().toImage();
            const QPoint ptBand = rectPage.left - rectRoom.left > 2
                ? QPoint((rectRoom.left + rectPage.left) / 2, rectPage.CenterPoint().y)
                : QPoint(rectPage.CenterPoint().x, (rectRoom.top + rectPage.top) / 2);
            if (rectPage.left - rectRoom.left > 2 || rectPage.top - rectRoom.top > 2)
                EXPECT_EQ(shot.pixelColor(ptBand), pWidget->palette().color(QPalette::Window));
            EXPECT_GT(qGray(shot.pixel(rectPage.CenterPoint().x, rectPage.top + rectPage.Height() * 3 / 4)), 200);
        });
        QTest::mouseClick(Button(m_dlg, IDC_PREVIEW), Qt::LeftButton);
    }
    EXPECT_EQ(m_dialogs.Calls().size(), std::size(cases));
}

TEST_F(PreviewDlgTest, ButtonsStepEnterNeverClosesEscCloses)
{
    m_dlg.m_wndGrid.SetFocusCell(5, 1);
    bool bOpenAfterEnter = false;
    CDC* pPageWhileOpen = nullptr;
    OpenPreview([&](CPreviewDlg& dlg) {
        dlg.m_wndCertificate.UpdateWindow();
        pPageWhileOpen = dlg.m_wndCertificate.m_pMemDC;
        QTest::mouseClick(Button(dlg, IDC_NEXT), Qt::LeftButton);
        QTest::mouseClick(Button(dlg, IDC_NEXT), Qt::LeftButton);
        EXPECT_EQ(m_dlg.m_nCurRecord, 7);
        QTest::mouseClick(Button(dlg, IDC_PREVIOUS), Qt::LeftButton);
        EXPECT_EQ(m_dlg.m_nCurRecord, 6);

        // Enter on the renderer: the OK command, which does nothing.
        dlg.m_wndCertificate.SetFocus();
        QTest::keyClick(dlg.m_wndCertificate.GetSafeHwnd(), Qt::Key_Return);
        // Enter on a focused push button presses it.
        Button(dlg, IDC_NEXT)->setFocus();
        QTest::keyClick(Button(dlg, IDC_NEXT), Qt::Key_Return);
        EXPECT_EQ(m_dlg.m_nCurRecord, 7);
        bOpenAfterEnter = dlg.IsWindowVisible() != FALSE;

        QTest::keyClick(dlg.GetSafeHwnd(), Qt::Key_Escape);
        EXPECT_EQ(dlg.m_wndCertificate.m_pMemDC, nullptr);
        EXPECT_TRUE(dlg.m_wndCertificate.m_picture.IsEmpty());
    });
    EXPECT_NE(pPageWhileOpen, nullptr);
    EXPECT_TRUE(bOpenAfterEnter);
    EXPECT_EQ(m_dialogs.Calls()[0].nResult, IDCANCEL);
    EXPECT_TRUE(m_dialogs.Calls()[0].bEndedByAnswer);   // Esc ended it, not the seam
    // The record stays where the user left it.
    EXPECT_EQ(m_dlg.m_nCurRecord, 7);
    EXPECT_TRUE(m_boxes.Calls().empty());
}

TEST_F(PreviewDlgTest, CloseButtonAndCloseBoxReleaseThePage)
{
    for (bool bCloseBox : {false, true}) {
        SCOPED_TRACE(bCloseBox ? "close box" : "close button");
        Testing::CModalDialogAnswerer answerer;
        answerer.QueueAnswer(IDD_PREVIEW_DIALOG, 0, [bCloseBox](CDialog& dlg) {
            auto& preview = static_cast<CPreviewDlg&>(dlg);
            preview.m_wndCertificate.UpdateWindow();
            ASSERT_NE(preview.m_wndCertificate.m_pMemDC, nullptr);
            if (bCloseBox)
                dlg.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                QTest::mouseClick(Button(preview, IDCANCEL), Qt::LeftButton);
            EXPECT_EQ(preview.m_wndCertificate.m_pMemDC, nullptr);
        });
        CPreviewDlg dlg(&m_dlg);
        dlg.m_pPrintSet = &m_dlg.m_printSet;
        EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        ASSERT_EQ(answerer.Calls().size(), 1u);
        EXPECT_TRUE(answerer.Calls()[0].bEndedByAnswer);
    }
}

// A step repaints only the parts of the control that changed, each apart; what it shows must
// be what a repaint of the whole control shows.
TEST_F(PreviewDlgTest, SteppingRepaintsAsAWholeRepaintWould)
{
    m_dlg.m_wndGrid.SetItemText(2, 1, Gbk("一个很长很长很长的名字"));
    const auto AddItem = [this](const CRect& rect, const char* pszText) {
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = rect;
        pItem->m_strText = Gbk(pszText);
        pItem->m_strFontName = Gbk("宋体");
        m_dlg.m_printSet.m_arrItems.Add(pItem);
    };
    AddItem(CRect(1500, 1500, 2300, 1580), "{A}");        // far from the first: painted apart
    AddItem(CRect(1500, 200, 2300, 280), "二〇二六年");   // the same on every record
    m_dlg.m_wndGrid.SetFocusCell(2, 1);
    OpenPreview([&](CPreviewDlg& dlg) {
        CCertificateWnd& wnd = dlg.m_wndCertificate;
        wnd.UpdateWindow();
        for (UINT nID : {IDC_NEXT, IDC_PREVIOUS, IDC_PREVIOUS}) {
            const QImage before = wnd.GetBackingImage().copy();
            QTest::mouseClick(Button(dlg, nID), Qt::LeftButton);
            wnd.UpdateWindow();
            const QImage stepped = wnd.GetBackingImage().copy();
            EXPECT_FALSE(stepped == before) << nID;
            wnd.Invalidate(TRUE);
            wnd.UpdateWindow();
            EXPECT_TRUE(stepped == wnd.GetBackingImage()) << m_dlg.m_nCurRecord;
        }
        EXPECT_EQ(m_dlg.m_nCurRecord, 1);
    });
}
