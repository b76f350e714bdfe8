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

    static QPushButton* Button(CPreviewDlg& dlg, UINT nID)
    {
        return qobject_cast<QPushButton*>(dlg.GetDlgItem(nID)->GetSafeHwnd());
    }

    Testing::CMessageBoxRecorder m_boxes;
    Testing::CModalDialogAnswerer m_dialogs;
};

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

        // The control where the template puts it, in dialog units.
        CRect rectExpected(7, 7, 7 + 396, 7 + 257), rectControl;
        dlg.MapDialogRect(&rectExpected);
        dlg.m_wndCertificate.GetWindowRect(&rectControl);
        dlg.ScreenToClient(&rectControl);
        EXPECT_EQ(rectControl, rectExpected);

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
