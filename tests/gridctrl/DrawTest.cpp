// How one cell draws itself: colours, the focus frame, headings of the focus row and column.
#include "ViewTestGrid.h"

#include <gtest/gtest.h>

namespace {

int CountPixels(const CWnd& wnd, const CRect& rect, bool (*match)(QRgb))
{
    const QImage& image = wnd.GetBackingImage();
    int n = 0;
    for (int y = rect.top; y < rect.bottom; y++)
        for (int x = rect.left; x < rect.right; x++)
            n += match(image.pixel(x, y)) ? 1 : 0;
    return n;
}

CRect Inside(CRect rect, int n)
{
    rect.DeflateRect(n, n);
    return rect;
}

} // namespace

TEST(DrawTest, EmptyRectangleDrawsNothing)
{
    GridWindow w;
    w.grid.PaintAll();
    w.grid.SetItemBkColour(2, 2, RGB(200, 30, 40));
    w.grid.SetItemText(2, 2, "MMMM");
    CGridCellBase* pCell = w.grid.GetCell(2, 2);
    ASSERT_NE(pCell, nullptr);

    const QImage before = w.grid.GetBackingImage().copy();
    CDC* pDC = w.grid.GetDC();
    ASSERT_NE(pDC, nullptr);
    EXPECT_FALSE(pCell->Draw(pDC, 2, 2, CRect(100, 100, 100, 130), TRUE));
    EXPECT_FALSE(pCell->Draw(pDC, 2, 2, CRect(100, 100, 160, 99), TRUE));
    EXPECT_FALSE(pCell->Draw(nullptr, 2, 2, CRect(100, 100, 160, 130), TRUE));
    w.grid.ReleaseDC(pDC);
    EXPECT_TRUE(w.grid.GetBackingImage() == before);

    // The same cell in a real rectangle does draw.
    pDC = w.grid.GetDC();
    EXPECT_TRUE(pCell->Draw(pDC, 2, 2, CRect(100, 100, 160, 130), TRUE));
    w.grid.ReleaseDC(pDC);
    EXPECT_EQ(PixelAt(w.grid, 101, 101), RGB(200, 30, 40));
}

TEST(DrawTest, CellColoursOwnAndInherited)
{
    GridWindow w;
    w.grid.SetTextColor(RGB(0, 0, 255));
    w.grid.SetItemBkColour(2, 2, RGB(200, 30, 40));
    w.grid.SetItemText(3, 3, "MMMM");
    w.grid.SetItemText(4, 4, "MMMM");
    w.grid.SetItemFgColour(4, 4, RGB(0, 160, 0));
    w.grid.PaintAll();

    // The full paint draws cells without erasing; a colour of its own is painted anyway.
    const CRect r22 = w.grid.CellRect(2, 2);
    EXPECT_EQ(PixelAt(w.grid, r22.CenterPoint().x, r22.CenterPoint().y), RGB(200, 30, 40));
    EXPECT_EQ(PixelAt(w.grid, r22.left, r22.top), RGB(200, 30, 40));
    const CRect r23 = w.grid.CellRect(2, 3);
    EXPECT_EQ(PixelAt(w.grid, r23.CenterPoint().x, r23.CenterPoint().y), GetSysColor(COLOR_WINDOW));

    auto blue = [](QRgb c) { return qBlue(c) > 150 && qRed(c) < 100 && qGreen(c) < 100; };
    auto green = [](QRgb c) { return qGreen(c) > 100 && qRed(c) < 80 && qBlue(c) < 80; };
    EXPECT_GT(CountPixels(w.grid, w.grid.CellRect(3, 3), blue), 10);
    EXPECT_EQ(CountPixels(w.grid, w.grid.CellRect(3, 3), green), 0);
    EXPECT_GT(CountPixels(w.grid, w.grid.CellRect(4, 4), green), 10);
    EXPECT_EQ(CountPixels(w.grid, w.grid.CellRect(4, 4), blue), 0);
}

TEST(DrawTest, FocusedSelectedCellIsHighlightedAndFramed)
{
    GridWindow w;
    w.grid.SetFocusCell(4, 4);
    w.grid.SetSelectedRange(4, 4, 4, 4);
    w.grid.PaintAll();

    const CRect r = w.grid.CellRect(4, 4);
    const int cx = r.CenterPoint().x, cy = r.CenterPoint().y;
    const COLORREF crFrame = GetSysColor(COLOR_HIGHLIGHTTEXT);
    EXPECT_EQ(PixelAt(w.grid, cx, cy), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(PixelAt(w.grid, r.left + 1, cy), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(PixelAt(w.grid, r.left, cy), crFrame);
    EXPECT_EQ(PixelAt(w.grid, r.right - 1, cy), crFrame);
    EXPECT_EQ(PixelAt(w.grid, cx, r.top), crFrame);
    EXPECT_EQ(PixelAt(w.grid, cx, r.bottom - 1), crFrame);
    // The grid line on the cell's last pixel is drawn over the fill.
    EXPECT_EQ(PixelAt(w.grid, r.right, cy), w.grid.GetGridColor());
}

TEST(DrawTest, FocusFrameLiesOnePixelFurtherOutWithoutGridLines)
{
    GridWindow w;
    w.grid.SetFocusCell(4, 4);
    w.grid.PaintAll();
    const CRect r = w.grid.CellRect(4, 4);
    const int cx = r.CenterPoint().x, cy = r.CenterPoint().y;
    const COLORREF crText = w.grid.GetTextColor();
    const COLORREF crBack = w.grid.GetTextBkColor();

    EXPECT_EQ(PixelAt(w.grid, r.right - 1, cy), crText);
    EXPECT_EQ(PixelAt(w.grid, cx, r.bottom - 1), crText);
    EXPECT_EQ(PixelAt(w.grid, r.right, cy), w.grid.GetGridColor());
    EXPECT_EQ(PixelAt(w.grid, cx, cy), crBack);

    w.grid.SetGridLines(GVL_NONE);
    w.grid.PaintAll();
    EXPECT_EQ(PixelAt(w.grid, r.right, cy), crText);
    EXPECT_EQ(PixelAt(w.grid, cx, r.bottom), crText);
    EXPECT_EQ(PixelAt(w.grid, r.left, cy), crText);
    EXPECT_EQ(PixelAt(w.grid, r.right - 1, cy), crBack);
    EXPECT_EQ(PixelAt(w.grid, cx, r.bottom - 1), crBack);
    // Headings get no edges then, not even those of the focus column.
    const CRect rHead = w.grid.CellRect(0, 4);
    EXPECT_EQ(PixelAt(w.grid, rHead.left, rHead.CenterPoint().y), w.grid.GetFixedBkColor());
    EXPECT_EQ(PixelAt(w.grid, rHead.right, rHead.CenterPoint().y), w.grid.GetFixedBkColor());
}

TEST(DrawTest, HeadingsOfTheFocusRowAndColumnAreSemiboldAndSunken)
{
    GridWindow w;
    for (int col : {3, 4})
        w.grid.SetItemText(0, col, "MMM");
    for (int row : {5, 6})
        w.grid.SetItemText(row, 0, "888");
    w.grid.SetFocusCell(5, 3);
    w.grid.PaintAll();

    const CRect r03 = w.grid.CellRect(0, 3), r04 = w.grid.CellRect(0, 4);
    const CRect r50 = w.grid.CellRect(5, 0), r60 = w.grid.CellRect(6, 0);

    // Sunken: dark on the left; raised: light on the left, dark on the right.
    EXPECT_EQ(PixelAt(w.grid, r03.left, r03.CenterPoint().y), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(PixelAt(w.grid, r50.left, r50.CenterPoint().y), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(PixelAt(w.grid, r04.left, r04.CenterPoint().y), GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_EQ(PixelAt(w.grid, r04.right, r04.CenterPoint().y), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(PixelAt(w.grid, r04.CenterPoint().x, r04.bottom), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(PixelAt(w.grid, r60.left, r60.CenterPoint().y), GetSysColor(COLOR_3DHIGHLIGHT));

    // The same text carries more ink in semibold.
    const int nFocusColumnInk = DarkPixels(w.grid, Inside(r03, 2));
    const int nOtherColumnInk = DarkPixels(w.grid, Inside(r04, 2));
    EXPECT_GT(nOtherColumnInk, 0);
    EXPECT_GT(nFocusColumnInk, nOtherColumnInk);
    EXPECT_GT(DarkPixels(w.grid, Inside(r50, 2)), DarkPixels(w.grid, Inside(r60, 2)));

    // Moving the focus moves the highlight.
    w.grid.SetFocusCell(6, 4);
    w.grid.PaintAll();
    EXPECT_EQ(PixelAt(w.grid, r04.left, r04.CenterPoint().y), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(PixelAt(w.grid, r03.left, r03.CenterPoint().y), GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_EQ(DarkPixels(w.grid, Inside(r03, 2)), nOtherColumnInk);
}

TEST(DrawTest, MeasuringHeadingsSemiboldAndWrappedText)
{
    GridWindow w;
    w.grid.SetItemText(0, 3, "MMMMMMMM");
    w.grid.SetItemText(3, 3, "MMMMMMMM");
    CGridCellBase* pCell = w.grid.GetCell(3, 3);
    const int nMargin = (int)pCell->GetMargin();
    CDC* pDC = w.grid.GetDC();

    // Cell extent: four margins across and two down; text extent two each way.
    const CSize sizeCell = pCell->GetCellExtent(pDC);
    const CSize sizeText = pCell->GetTextExtent(nullptr);
    EXPECT_EQ(sizeCell.cx - sizeText.cx, 2 * nMargin);
    EXPECT_EQ(sizeCell.cy, sizeText.cy);
    EXPECT_GT(w.grid.GetCell(0, 3)->GetCellExtent(pDC).cx, sizeCell.cx);

    // A word-broken text is as wide as its widest line; a single line is one line high.
    pCell->SetFormat(DT_LEFT | DT_WORDBREAK);
    pCell->SetText("ab\nabcdefgh");
    const CSize sizeWrapped = pCell->GetCellExtent(pDC);
    EXPECT_EQ(sizeWrapped.cx, pCell->GetTextExtent("abcdefgh").cx + 2 * nMargin);
    pCell->SetFormat(DT_LEFT | DT_WORDBREAK | DT_SINGLELINE);
    EXPECT_LT(pCell->GetCellExtent(pDC).cy, sizeWrapped.cy);
    w.grid.ReleaseDC(pDC);
}

// Changing the selection repaints what changed state: cells that leave it and cells that join
// it; one selection after another, overlapping or the same again, leaves no stale highlight.
TEST(DrawTest, SelectionChangesRepaintTheCellsThatChange)
{
    GridWindow w;
    w.grid.SetSelectedRange(2, 2, 4, 4);
    w.grid.PaintAll();
    const auto highlighted = [&w](int nRow, int nCol) {
        const CPoint pt = w.grid.CellRect(nRow, nCol).CenterPoint();
        return PixelAt(w.grid, pt.x, pt.y) == GetSysColor(COLOR_HIGHLIGHT);
    };
    const auto expectShown = [&](const CCellRange& range) {
        for (int nRow = 1; nRow <= 6; nRow++)
            for (int nCol = 1; nCol <= 6; nCol++)
                EXPECT_EQ(highlighted(nRow, nCol), range.IsValid() && range.InRange(nRow, nCol) != 0)
                    << nRow << "," << nCol;
    };
    expectShown(CCellRange(2, 2, 4, 4));

    w.grid.SetSelectedRange(3, 3, 5, 5);
    w.grid.UpdateWindow();
    expectShown(CCellRange(3, 3, 5, 5));
    w.grid.SelectAllCells();
    w.grid.UpdateWindow();
    w.grid.SelectAllCells();
    w.grid.UpdateWindow();
    expectShown(CCellRange(1, 1, 300, 26));
    w.grid.SetSelectedRange(4, 4, 4, 5);
    w.grid.UpdateWindow();
    expectShown(CCellRange(4, 4, 4, 5));
    w.grid.SetSelectedRange(-1, -1, -1, -1);
    w.grid.UpdateWindow();
    expectShown(CCellRange());
}
