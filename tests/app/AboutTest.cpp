// The About box, the author page and its link labels, driven through their real widgets.
#include "AboutDlg.h"
#include "Codec.h"
#include "OtherSoftDlg.h"
#include "Shell.h"
#include "Testing.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString Text(const char16_t* psz)
{
    return QString::fromUtf16(psz);
}

// Counts the pixels of a colour in what the label shows.
int CountPixels(QWidget* pWidget, QRgb rgb)
{
    const QImage image = pWidget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int nCount = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            nCount += (image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
    return nCount;
}

QRgb ToRgb(COLORREF cr)
{
    return qRgb(GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

// A link label of a running author page.
QWidget* Label(CDialog& dlg, int nID)
{
    return dlg.GetDlgItem(nID)->GetSafeHwnd();
}

} // namespace

TEST(AboutBox, ShowsTheProgramsTextsAndClosesWithOk)
{
    Testing::CModalDialogAnswerer answerer;
    QStringList labels;
    QString strTitle;
    bool bIcon = false;
    answerer.QueueAnswer(IDD_ABOUTBOX, IDOK, [&](CDialog& dlg) {
        strTitle = dlg.GetSafeHwnd()->windowTitle();
        for (QLabel* pLabel : dlg.GetSafeHwnd()->findChildren<QLabel*>()) {
            if (!pLabel->pixmap().isNull())
                bIcon = true;
            else
                labels << pLabel->text();
        }
    });
    CAboutDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(strTitle, Text(u"关于 Pellicor工具"));
    ASSERT_EQ(labels.size(), 2);
    EXPECT_EQ(labels[0], Text(u"Pellicor 1.0 版"));
    EXPECT_FALSE(labels[1].isEmpty());
    EXPECT_TRUE(bIcon);
    EXPECT_TRUE(answerer.Calls()[0].bEndedByAnswer);

    // Enter presses its default button.
    answerer.QueueAnswer(IDD_ABOUTBOX, 0, [](CDialog& dlg) {
        QTest::keyClick(dlg.GetSafeHwnd(), Qt::Key_Return);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(answerer.Calls()[1].bEndedByAnswer);
}

TEST(AuthorPage, EnterKeepsItOpenEscClosesIt)
{
    Testing::CModalDialogAnswerer answerer;
    bool bStillOpen = false;
    QString strText;
    bool bReadOnly = false;
    answerer.QueueAnswer(IDD_OTHERSOFT_DIALOG, 0, [&](CDialog& dlg) {
        auto* pEdit = qobject_cast<QPlainTextEdit*>(dlg.GetDlgItem(IDC_AUTHOR_TEXT)->GetSafeHwnd());
        ASSERT_NE(pEdit, nullptr);
        strText = pEdit->toPlainText();
        bReadOnly = pEdit->isReadOnly();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        bStillOpen = dlg.IsWindowVisible() != FALSE;
    });
    COtherSoftDlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(bStillOpen);
    EXPECT_FALSE(answerer.Calls()[0].bEndedByAnswer);   // only the close box ended it
    EXPECT_TRUE(strText.startsWith(QStringLiteral("Veltrane")));
    EXPECT_FALSE(strText.contains(u'\r'));
    EXPECT_TRUE(bReadOnly);

    answerer.QueueAnswer(IDD_OTHERSOFT_DIALOG, 0, [](CDialog& dlg) {
        QTest::keyClick(dlg.GetSafeHwnd(), Qt::Key_Escape);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(answerer.Calls()[1].bEndedByAnswer);
}

// Red while the pointer is over a label and blue again after the hover timer saw it leave;
// the pointing hand over it.
TEST(StaticLink, HoverTurnsRedThenBlueThroughItsTimer)
{
    Testing::CModalDialogAnswerer answerer;
    int nRedOver = 0, nBlueOver = 0, nRedAfter = 0, nBlueAfter = 0;
    Qt::CursorShape cursor = Qt::ArrowCursor;
    answerer.QueueAnswer(IDD_OTHERSOFT_DIALOG, 0, [&](CDialog& d) {
        auto& dlg = static_cast<COtherSoftDlg&>(d);
        QWidget* pLabel = Label(dlg, IDC_LINK_QT);
        EXPECT_EQ(dlg.m_link3.m_crText, g_crUnvisited);
        QTest::mouseMove(pLabel, QPoint(3, pLabel->height() / 2));
        nRedOver = CountPixels(pLabel, ToRgb(g_crHover));
        nBlueOver = CountPixels(pLabel, ToRgb(g_crUnvisited));
        cursor = pLabel->cursor().shape();
        QTest::mouseMove(dlg.GetSafeHwnd(), QPoint(2, dlg.GetSafeHwnd()->height() - 2));
        EXPECT_TRUE(dlg.m_link3.m_bHover);   // leaving is seen by the timer, not at once
        QTest::qWait(250);
        EXPECT_FALSE(dlg.m_link3.m_bHover);
        nRedAfter = CountPixels(pLabel, ToRgb(g_crHover));
        nBlueAfter = CountPixels(pLabel, ToRgb(g_crUnvisited));
    });
    COtherSoftDlg dlg;
    dlg.DoModal();
    EXPECT_GT(nRedOver, 0);
    EXPECT_EQ(nBlueOver, 0);
    EXPECT_EQ(nRedAfter, 0);
    EXPECT_GT(nBlueAfter, 0);
    EXPECT_EQ(cursor, Qt::PointingHandCursor);
}

// A click opens the label's link through the shell: its string resource, the address the page
// gave it, or its caption; a link that opened turns purple, one that failed keeps its colour.
TEST(StaticLink, ClickOpensTheLinkAndMarksItVisited)
{
    Testing::CModalDialogAnswerer answerer;
    Testing::CShellRecorder shell;
    COLORREF crOpened = 0, crFailed = 0, crLeft = 0;
    answerer.QueueAnswer(IDD_OTHERSOFT_DIALOG, 0, [&](CDialog& d) {
        auto& dlg = static_cast<COtherSoftDlg&>(d);
        QTest::mouseClick(Label(dlg, IDC_LINK_QT), Qt::LeftButton);
        QTest::mouseClick(Label(dlg, IDC_LINK_README), Qt::LeftButton);
        crOpened = dlg.m_link1.m_crText;
        // Without an address or string resource, the caption itself is opened.
        dlg.m_link4.m_linkTarget.m_strLink.Empty();
        AfxRegisterString(IDC_LINK_CUPS, "");
        shell.SetResult(SE_ERR_FNF);
        QTest::mouseClick(Label(dlg, IDC_LINK_CUPS), Qt::LeftButton);
        crFailed = dlg.m_link4.m_crText;
        // Leaving makes a visited link blue again.
        QTest::mouseMove(dlg.GetSafeHwnd(), QPoint(1, 1));
        QTest::qWait(250);
        crLeft = dlg.m_link1.m_crText;
    });
    COtherSoftDlg dlg;
    dlg.DoModal();
    AfxRegisterString(IDC_LINK_CUPS, "https://openprinting.github.io/cups/");
    ASSERT_EQ(shell.Calls().size(), 3u);
    EXPECT_EQ(shell.Calls()[0].strOperation, CString("open"));
    EXPECT_EQ(shell.Calls()[0].strFile, CString("https://www.qt.io/"));
    EXPECT_EQ(shell.Calls()[0].nShowCmd, SW_SHOWNORMAL);
    const CString strReadme = shell.Calls()[1].strFile;
    EXPECT_EQ(strReadme.Left(8), CString("file:///"));
    EXPECT_EQ(strReadme.Right(10), CString("/README.md"));
    EXPECT_EQ(shell.Calls()[2].strFile, Codec::FromUnicode(Text(u"CUPS 打印系统")));
    EXPECT_EQ(crOpened, g_crVisited);
    EXPECT_EQ(crFailed, g_crHover);
    EXPECT_EQ(crLeft, g_crUnvisited);
}
