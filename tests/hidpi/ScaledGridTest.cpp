// The record table on a screen of two device pixels per pixel (this suite's main sets
// QT_SCALE_FACTOR=2 before the application starts): its backing image holds the screen's
// pixels, and a cell's text has the edges of text rendered at that resolution, not of text
// rendered at half of it and blown up; hit testing, sizing and the XOR tracking line stay in
// logical pixels; its title tip is drawn at the screen's pixels.
#include "../gridctrl/InputTestSupport.h"
#include "../gridctrl/ViewTestGrid.h"
#include "ImageMatch.h"

#include "Font.h"

#include <QGuiApplication>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

const char s_szText[] = "Abc 123 xyz";

// The box of the dark pixels.
QRect InkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); y++)
        for (int x = 0; x < image.width(); x++)
            if (qGray(image.pixel(x, y)) < 160)
                box |= QRect(x, y, 1, 1);
    return box;
}

// How well the text of shot matches that of reference, ink boxes aligned, the best of the
// small shifts that rounding of the two placements allows.
double Match(const QImage& shot, const QImage& reference)
{
    const QRect box = InkBox(shot).adjusted(-2, -2, 2, 2), boxRef = InkBox(reference);
    const std::vector<double> values = Greys(shot, box);
    double dBest = -1;
    for (int dy = -2; dy <= 2; dy++)
        for (int dx = -2; dx <= 2; dx++) {
            const QRect rect(boxRef.topLeft() + QPoint(dx - 2, dy - 2), box.size());
            dBest = std::max(dBest, Correlation(values, Greys(reference, rect)));
        }
    return dBest;
}

// The text in black on white, its top-left at ptText, drawn at a device pixel ratio.
QImage Rendered(const QFont& font, QSize size, QPoint ptText, qreal dRatio)
{
    QImage image(size * dRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(dRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(ptText + QPoint(0, QFontMetrics(font).ascent()), QString::fromUtf8(s_szText));
    return image;
}

// Whether the device pixels of logical column x at logical row y are both dark.
bool IsInvertedColumn(const CWnd& wnd, int x, int y)
{
    const QImage& image = wnd.GetBackingImage();
    return qGray(image.pixel(2 * x, 2 * y)) < 64 && qGray(image.pixel(2 * x + 1, 2 * y)) < 64;
}

} // namespace

TEST(ScaledGrid, BackingImageHoldsTheScreensPixelsAndTextIsRenderedAtThem)
{
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0) << "the suite runs at QT_SCALE_FACTOR=2";
    GridWindow w;
    w.grid.SetColumnWidth(2, 200);
    w.grid.SetItemText(3, 2, s_szText);
    w.grid.PaintAll();

    CRect rectClient;
    w.grid.GetClientRect(rectClient);
    const QImage& image = w.grid.GetBackingImage();
    EXPECT_EQ(image.devicePixelRatio(), 2.0);
    EXPECT_EQ(image.size(), QSize(2 * rectClient.Width(), 2 * rectClient.Height()));

    // The cell in the screen's pixels, without its grid lines.
    const CRect rectCell = w.grid.CellRect(3, 2);
    const QImage shot = image.copy(2 * rectCell.left, 2 * rectCell.top, 2 * rectCell.Width(), 2 * rectCell.Height());
    const QRect box = InkBox(shot);
    ASSERT_FALSE(box.isEmpty());

    CFont font;
    font.CreateFontIndirect(w.grid.GetItemFont(3, 2));
    const QSize sizeCell(rectCell.Width(), rectCell.Height());
    const QPoint ptText(box.left() / 2, box.top() / 2);   // near enough: Match aligns the ink
    const QImage sharp = Rendered(font.GetQFont(), sizeCell, ptText, 2);
    const QImage low = Rendered(font.GetQFont(), sizeCell, ptText, 1);
    const QImage blurred = low.scaled(low.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage blocky = low.scaled(low.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const double dSharp = Match(shot, sharp), dBlurred = Match(shot, blurred), dBlocky = Match(shot, blocky);
    EXPECT_GT(dSharp, 0.95);
    EXPECT_GT(dSharp, dBlurred + 0.05) << "2x " << dSharp << ", 1x smoothed " << dBlurred;
    EXPECT_GT(dSharp, dBlocky + 0.05) << "2x " << dSharp << ", 1x doubled " << dBlocky;
}

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

