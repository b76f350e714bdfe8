// The record table's mouse on a screen of two device pixels per pixel: hit testing, sizing and
// the XOR tracking line stay in logical pixels; its title tip is drawn at the screen's pixels.
#include "../gridctrl/InputTestSupport.h"
#include "../gridctrl/ViewTestGrid.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace {

// Whether the device pixels of logical column x at logical row y are both dark.
bool IsInvertedColumn(const CWnd& wnd, int x, int y)
{
    const QImage& image = wnd.GetBackingImage();
    return qGray(image.pixel(2 * x, 2 * y)) < 64 && qGray(image.pixel(2 * x + 1, 2 * y)) < 64;
}

} // namespace

TEST(ScaledGrid, ClicksDragsAndTheTrackingLineStayInLogicalPixels)
{
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    InputWindow w;
    // A click lands on the cell under the logical point.
    Click(w.grid, w.grid.CellCenter(4, 3));
    EXPECT_EQ(w.grid.GetFocusCell(), CCellID(4, 3));

    // Sizing a column: the tracking line inverts both device pixels of its logical column and
    // is gone after the release; the column gets the logical width dragged to.
    const CRect rect2 = w.grid.CellRect(0, 2);
    const int xDivider = rect2.right + 1, yHeading = rect2.CenterPoint().y, yData = w.grid.CellCenter(6, 2).y;
    Hover(w.grid, CPoint(xDivider - 2, yHeading));
    ASSERT_EQ(w.grid.GetMouseMode(), CGridCtrl::MOUSE_OVER_COL_DIVIDE);
    Press(w.grid, CPoint(xDivider - 2, yHeading));
    DragTo(w.grid, CPoint(xDivider + 25, yHeading));
    EXPECT_TRUE(IsInvertedColumn(w.grid, xDivider + 25, yData));
    EXPECT_FALSE(IsInvertedColumn(w.grid, xDivider - 2, yData));
    Release(w.grid, CPoint(xDivider + 25, yHeading));
    EXPECT_FALSE(IsInvertedColumn(w.grid, xDivider + 25, yData));
    EXPECT_EQ(w.grid.GetColumnWidth(2), xDivider + 25 - rect2.left);
}

// The title tip over a cut-off text is drawn at the screen's pixels too.
TEST(ScaledGrid, TitleTipIsDrawnAtTheScreensPixels)
{
    GridWindow tipWindow;
    tipWindow.grid.SetItemText(5, 4, Cp936("第一中学高中组书法一等奖：未来城市 指导教师戴明"));
    tipWindow.grid.PaintAll();
    tipWindow.grid.SetFocus();
    Hover(tipWindow.grid, tipWindow.grid.CellRect(5, 4).CenterPoint());
    CTitleTip& tip = tipWindow.grid.m_TitleTip;
    ASSERT_TRUE(tip.IsWindowVisible());
    CRect rectTip;
    tip.GetClientRect(&rectTip);
    EXPECT_EQ(tip.GetBackingImage().size(), QSize(2 * rectTip.Width(), 2 * rectTip.Height()));
    tip.Hide();
}

