// Title tips: shown over a cell whose text is cut off, closed by leaving the cell, and
// passing presses on to the grid beneath.
#include "ViewTestGrid.h"

#include "Codec.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct TipWindow : GridWindow {
    TipWindow()
    {
        grid.SetItemText(3, 3, "ab");
        grid.SetItemText(3, 4, Codec::FromUnicode(QString::fromUtf8(
            "第一中学高中组书法一等奖：未来城市 指导教师戴明")));
        grid.PaintAll();
        grid.SetFocus();
    }

    CTitleTip& Tip() { return grid.m_TitleTip; }

    // Arrives at the point from the corner cell, so the move is never a repeat of the last one.
    void MoveTo(CPoint ptClient)
    {
        QTest::mouseMove(grid.m_hWnd, QPoint(2, 2));
        QTest::mouseMove(grid.m_hWnd, QPoint(ptClient.x, ptClient.y));
        QApplication::processEvents();
    }

    // A point of the tip's widget in the grid's client coordinates.
    CPoint TipToGrid(QPoint ptTip)
    {
        const QPoint ptGlobal = Tip().m_hWnd->mapToGlobal(ptTip);
        CPoint pt(ptGlobal.x(), ptGlobal.y());
        grid.ScreenToClient(&pt);
        return pt;
    }

    // Clicks the tip's widget at a point; returns that point in grid coordinates.
    CPoint ClickTip(QPoint ptTip)
    {
        const CPoint pt = TipToGrid(ptTip);
        QTest::mouseClick(Tip().m_hWnd, Qt::LeftButton, Qt::NoModifier, ptTip);
        QApplication::processEvents();
        return pt;
    }

    std::vector<ReceivedMessage> Received(UINT message) const
    {
        std::vector<ReceivedMessage> result;
        for (const ReceivedMessage& msg : grid.messages)
            if (msg.message == message)
                result.push_back(msg);
        return result;
    }
};

} // namespace

TEST(TitleTipTest, OnlyTextThatDoesNotFitGetsATip)
{
    TipWindow w;
    ASSERT_TRUE(w.Tip().GetSafeHwnd());

    const CRect r33 = w.grid.CellRect(3, 3);
    w.MoveTo(r33.CenterPoint());
    EXPECT_FALSE(w.Tip().IsWindowVisible());

    const CRect r34 = w.grid.CellRect(3, 4);
    w.MoveTo(r34.CenterPoint());
    ASSERT_TRUE(w.Tip().IsWindowVisible());

    // The tip starts at the cell's text rectangle and is wider than the cell.
    CRect rectText = r34;
    w.grid.GetCell(3, 4)->GetTipTextRect(rectText);
    w.grid.ClientToScreen(rectText);
    CRect rectTip;
    w.Tip().GetWindowRect(rectTip);
    EXPECT_EQ(rectTip.left, rectText.left);
    EXPECT_EQ(rectTip.top, rectText.top);
    EXPECT_EQ(rectTip.Height(), rectText.Height());
    EXPECT_GT(rectTip.Width(), r34.Width());

    // The text is drawn on the tip, a blank in from its left edge.
    CRect rectClient;
    w.Tip().GetClientRect(rectClient);
    EXPECT_GT(DarkPixels(w.Tip(), rectClient), 0);
    EXPECT_EQ(DarkPixels(w.Tip(), CRect(0, 0, 2, rectClient.bottom)), 0);
}

TEST(TitleTipTest, LeavingTheCellClosesTheTipAndPassesTheMoveOn)
{
    TipWindow w;
    const CRect r34 = w.grid.CellRect(3, 4);
    w.MoveTo(r34.CenterPoint());
    ASSERT_TRUE(w.Tip().IsWindowVisible());

    // Within the cell the tip stays.
    CPoint ptInside(r34.left + 2, r34.top + 2);
    w.grid.ClientToScreen(&ptInside);
    QTest::mouseMove(w.Tip().m_hWnd, w.Tip().m_hWnd->mapFromGlobal(QPoint(ptInside.x, ptInside.y)));
    QApplication::processEvents();
    EXPECT_TRUE(w.Tip().IsWindowVisible());

    // Past the cell's right edge (still over the tip) it closes.
    w.grid.messages.clear();
    const QPoint ptTip(w.Tip().m_hWnd->width() - 3, 3);
    const CPoint ptOutside = w.TipToGrid(ptTip);
    ASSERT_GT(ptOutside.x, r34.right);
    QTest::mouseMove(w.Tip().m_hWnd, ptTip);
    QApplication::processEvents();
    EXPECT_FALSE(w.Tip().IsWindowVisible());

    const auto moves = w.Received(WM_MOUSEMOVE);
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(GET_X_LPARAM(moves.front().lParam), ptOutside.x);
    EXPECT_EQ(GET_Y_LPARAM(moves.front().lParam), ptOutside.y);
}

TEST(TitleTipTest, PressesOnTheTipReachTheGrid)
{
    TipWindow w;
    const CRect r34 = w.grid.CellRect(3, 4);
    w.MoveTo(r34.CenterPoint());
    ASSERT_TRUE(w.Tip().IsWindowVisible());

    w.grid.messages.clear();
    const CPoint ptFirst = w.ClickTip(QPoint(5, 4));
    EXPECT_FALSE(w.Tip().IsWindowVisible());
    auto downs = w.Received(WM_LBUTTONDOWN);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(downs[0].lParam), ptFirst.x);
    EXPECT_EQ(GET_Y_LPARAM(downs[0].lParam), ptFirst.y);
    EXPECT_TRUE(w.Received(WM_LBUTTONDBLCLK).empty());

    // A second press within the double-click time is a double click.
    w.MoveTo(CPoint(r34.CenterPoint().x + 1, r34.CenterPoint().y));
    ASSERT_TRUE(w.Tip().IsWindowVisible());
    w.grid.messages.clear();
    const CPoint ptSecond = w.ClickTip(QPoint(6, 4));
    const auto dblclks = w.Received(WM_LBUTTONDBLCLK);
    ASSERT_EQ(dblclks.size(), 1u);
    EXPECT_EQ(GET_X_LPARAM(dblclks[0].lParam), ptSecond.x);
    EXPECT_TRUE(w.Received(WM_LBUTTONDOWN).empty());

    // The double click opened an in-place edit over the cell; the grid takes the focus back,
    // which ends it, so the cell can show its tip again.
    w.grid.SetFocus();

    // After the double-click time a press is a press again.
    QTest::qWait((int)GetDoubleClickTime() + 50);
    w.MoveTo(r34.CenterPoint());
    ASSERT_TRUE(w.Tip().IsWindowVisible());
    w.grid.messages.clear();
    w.ClickTip(QPoint(5, 4));
    EXPECT_EQ(w.Received(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_TRUE(w.Received(WM_LBUTTONDBLCLK).empty());
}

TEST(TitleTipTest, ScrollingHidesTheTip)
{
    TipWindow w;
    w.MoveTo(w.grid.CellRect(3, 4).CenterPoint());
    ASSERT_TRUE(w.Tip().IsWindowVisible());
    w.grid.SendMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_FALSE(w.Tip().IsWindowVisible());
}

TEST(TitleTipTest, HoveringOverDividersEntersTheirModesAndShowsNoTip)
{
    TipWindow w;
    const CRect rHead = w.grid.CellRect(0, 4);
    w.MoveTo(CPoint(rHead.right - 1, rHead.CenterPoint().y));
    EXPECT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_OVER_COL_DIVIDE);
    const CRect rRowHead = w.grid.CellRect(3, 0);
    w.MoveTo(CPoint(rRowHead.CenterPoint().x, rRowHead.bottom - 1));
    EXPECT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_OVER_ROW_DIVIDE);

    EXPECT_FALSE(w.Tip().IsWindowVisible());

    // Away from the dividers the grid is idle again and the cut-off cell gets its tip.
    const CRect r34 = w.grid.CellRect(3, 4);
    w.MoveTo(r34.CenterPoint());
    EXPECT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_NOTHING);
    EXPECT_TRUE(w.Tip().IsWindowVisible());
}

// A cell may hold a text of megabytes. Its tip is at most MAX_TIP_WIDTH wide: as many whole
// characters as fit with the cut note after them, in words where the owner gave them.
TEST(TitleTipTest, ALongTextIsCutAtTheWidestTipWithANote)
{
    TipWindow w;
    const CString strNote = Codec::FromUnicode(QString::fromUtf8("（未完）"));
    w.grid.SetTitleTipCutNote(strNote);
    std::string strLong;
    for (int i = 0; i < 100000; i++)
        strLong += i % 3 ? Codec::FromUnicode(QString::fromUtf8("中")).str() : std::string("a");
    w.grid.SetItemText(3, 4, CString(strLong));
    w.grid.PaintAll();
    w.MoveTo(w.grid.CellRect(3, 4).CenterPoint());
    ASSERT_TRUE(w.Tip().IsWindowVisible());
    CRect rectTip;
    w.Tip().GetWindowRect(rectTip);
    EXPECT_LE(rectTip.Width(), (int)CTitleTip::MAX_TIP_WIDTH);
    EXPECT_GT(rectTip.Width(), (int)CTitleTip::MAX_TIP_WIDTH / 2);

    CClientDC dc(&w.Tip());
    for (size_t nLength : {(size_t)60, (size_t)3000, strLong.size()}) {
        SCOPED_TRACE(nLength);
        const CString strText(strLong.substr(0, nLength));
        const CString strTitle = w.Tip().FitTitle(&dc, strText);
        if (dc.GetTextExtent(" " + strText + " ").cx <= (int)CTitleTip::MAX_TIP_WIDTH) {
            EXPECT_EQ(strTitle, " " + strText + " ");
            continue;
        }
        // A prefix of whole characters, the note after it, and not one character more fits.
        ASSERT_EQ(strTitle.Right(strNote.GetLength() + 1), strNote + " ");
        const CString strKept = strTitle.Mid(1, strTitle.GetLength() - strNote.GetLength() - 2);
        EXPECT_EQ(strText.Left(strKept.GetLength()), strKept);
        EXPECT_EQ(Codec::FromUnicode(Codec::ToUnicode(strKept)), strKept);
        EXPECT_LE(dc.GetTextExtent(strTitle).cx, (int)CTitleTip::MAX_TIP_WIDTH);
        const int nNext = strText[strKept.GetLength()] == 'a' ? 1 : 2;
        const CString strMore = " " + strText.Left(strKept.GetLength() + nNext) + strNote + " ";
        EXPECT_GT(dc.GetTextExtent(strMore).cx, (int)CTitleTip::MAX_TIP_WIDTH);
    }
}
