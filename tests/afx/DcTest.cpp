// Drawing through a memory DC into a bitmap, checked by where the ink lands.
#include "Codec.h"
#include "Dc.h"
#include "Wnd.h"

#include <QImage>
#include <QPainter>
#include <QStaticText>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>

static void PrintTo(const CRect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

static void PrintTo(const CPoint& p, std::ostream* os)
{
    *os << "(" << p.x << ", " << p.y << ")";
}

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

CString Cp936(const char* pszUtf8)
{
    return Codec::FromUnicode(QString::fromUtf8(pszUtf8));
}

class DcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_bitmap.CreateBitmap(240, 160));
        ASSERT_TRUE(m_dc.CreateCompatibleDC(nullptr));
        m_pOldBitmap = m_dc.SelectObject(&m_bitmap);
        ASSERT_NE(m_pOldBitmap, nullptr);
        m_dc.FillSolidRect(0, 0, 240, 160, kWhite);
        m_font.CreateFont(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
    }
    void TearDown() override { m_dc.SelectObject(m_pOldBitmap); }

    COLORREF Pixel(int x, int y) const
    {
        QRgb px = m_bitmap.Image().pixel(x, y);
        return RGB(qRed(px), qGreen(px), qBlue(px));
    }
    // The bounding box of every pixel that is not white; empty when there is none.
    CRect Ink() const
    {
        const QImage& image = m_bitmap.Image();
        CRect box(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                    box |= CRect(x, y, x + 1, y + 1);
        return box.left == INT_MAX ? CRect() : box;
    }
    void Clear() { m_dc.FillSolidRect(0, 0, 240, 160, kWhite); }

    CBitmap m_bitmap;
    CDC m_dc;
    CBitmap* m_pOldBitmap = nullptr;
    CFont m_font;
};

TEST_F(DcTest, RectanglesLeaveOutRightAndBottom)
{
    CBrush red(kRed), blue(kBlue);
    CRect rect(10, 10, 20, 15);
    m_dc.FillRect(&rect, &red);
    EXPECT_EQ(Ink(), CRect(10, 10, 20, 15));
    EXPECT_EQ(Pixel(19, 14), kRed);
    EXPECT_EQ(Pixel(20, 14), kWhite);
    EXPECT_EQ(Pixel(19, 15), kWhite);

    Clear();
    CRect frame(40, 10, 50, 20);
    m_dc.FrameRect(&frame, &blue);
    EXPECT_EQ(Ink(), frame);
    EXPECT_EQ(Pixel(40, 10), kBlue);
    EXPECT_EQ(Pixel(49, 19), kBlue);
    EXPECT_EQ(Pixel(49, 12), kBlue);
    EXPECT_EQ(Pixel(44, 19), kBlue);
    EXPECT_EQ(Pixel(45, 15), kWhite);

    // FillSolidRect makes its colour the background colour.
    m_dc.FillSolidRect(60, 10, 5, 5, kBlue);
    EXPECT_EQ(m_dc.GetBkColor(), kBlue);
    EXPECT_EQ(Pixel(64, 14), kBlue);
    EXPECT_EQ(Pixel(65, 14), kWhite);

    // Rectangle: the pen's outline covers x1..x2-1, the brush fills inside it.
    Clear();
    CPen pen(PS_SOLID, 1, kBlue);
    CPen* pOldPen = m_dc.SelectObject(&pen);
    CBrush* pOldBrush = m_dc.SelectObject(&red);
    m_dc.Rectangle(100, 100, 110, 108);
    EXPECT_EQ(Ink(), CRect(100, 100, 110, 108));
    EXPECT_EQ(Pixel(109, 107), kBlue);
    EXPECT_EQ(Pixel(105, 104), kRed);
    m_dc.PatBlt(150, 100, 5, 5, PATCOPY);   // the selected brush
    EXPECT_EQ(Pixel(154, 104), kRed);
    EXPECT_EQ(Pixel(155, 104), kWhite);
    m_dc.SelectStockObject(NULL_BRUSH);
    m_dc.Rectangle(120, 100, 130, 108);
    EXPECT_EQ(Pixel(125, 104), kWhite);
    EXPECT_EQ(Pixel(120, 104), kBlue);
    m_dc.SelectObject(pOldPen);
    m_dc.SelectObject(pOldBrush);
}

TEST_F(DcTest, LinesLeaveOutTheirEndPoint)
{
    m_dc.MoveTo(10, 30);
    m_dc.LineTo(20, 30);
    EXPECT_EQ(Ink(), CRect(10, 30, 20, 31));
    EXPECT_EQ(m_dc.GetCurrentPosition(), CPoint(20, 30));

    Clear();
    m_dc.MoveTo(50, 40);   // upwards
    m_dc.LineTo(50, 30);
    EXPECT_EQ(Ink(), CRect(50, 31, 51, 41));

    Clear();
    m_dc.MoveTo(60, 30);   // diagonal
    m_dc.LineTo(70, 40);
    EXPECT_EQ(Pixel(60, 30), kBlack);
    EXPECT_EQ(Pixel(69, 39), kBlack);
    EXPECT_EQ(Pixel(70, 40), kWhite);
    EXPECT_EQ(Ink(), CRect(60, 30, 70, 40));

    // A coloured pen draws in its colour; the null pen only moves the current point.
    Clear();
    CPen pen(PS_SOLID, 0, kRed);
    CPen* pOld = m_dc.SelectObject(&pen);
    m_dc.MoveTo(5, 5);
    m_dc.LineTo(5, 8);
    EXPECT_EQ(Pixel(5, 7), kRed);
    m_dc.SelectStockObject(NULL_PEN);
    m_dc.LineTo(30, 8);
    EXPECT_EQ(Ink(), CRect(5, 5, 6, 8));
    EXPECT_EQ(m_dc.GetCurrentPosition(), CPoint(30, 8));
    m_dc.SelectObject(pOld);
}

TEST_F(DcTest, WindowOriginAndClipBox)
{
    CRect box;
    EXPECT_EQ(m_dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(0, 0, 240, 160));

    m_dc.SetWindowOrg(100, 50);
    EXPECT_EQ(m_dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(100, 50, 340, 210));
    CBrush red(kRed);
    CRect rect(100, 50, 110, 60);
    m_dc.FillRect(&rect, &red);
    EXPECT_EQ(Ink(), CRect(0, 0, 10, 10));

    // Drawing stays inside the clip rectangle (device coordinates).
    Clear();
    m_dc.SetClipRect(CRect(20, 20, 40, 30));
    EXPECT_EQ(m_dc.GetClipBox(&box), SIMPLEREGION);
    EXPECT_EQ(box, CRect(120, 70, 140, 80));
    CRect all(0, 0, 1000, 1000);
    m_dc.FillRect(&all, &red);
    m_dc.MoveTo(0, 75);
    m_dc.LineTo(1000, 75);
    EXPECT_EQ(Ink(), CRect(20, 20, 40, 30));

    // A memory DC without a bitmap has no surface.
    CDC empty;
    empty.CreateCompatibleDC(&m_dc);
    EXPECT_EQ(empty.GetClipBox(&box), ERROR);
    EXPECT_FALSE(empty.IsValid());
}

TEST_F(DcTest, RestoreDCBringsBackSavedState)
{
    CPen pen(PS_SOLID, 0, kRed);
    m_dc.SetTextColor(kRed);
    m_dc.SetWindowOrg(5, 5);
    const int nFirst = m_dc.SaveDC();
    EXPECT_GT(nFirst, 0);

    CPen* pDefault = m_dc.SelectObject(&pen);
    m_dc.SetTextColor(kBlue);
    m_dc.SetBkMode(TRANSPARENT);
    m_dc.SetWindowOrg(0, 0);
    m_dc.MoveTo(7, 7);
    m_dc.SaveDC();
    m_dc.SetTextColor(kBlack);

    EXPECT_TRUE(m_dc.RestoreDC(-1));
    EXPECT_EQ(m_dc.GetTextColor(), kBlue);
    EXPECT_TRUE(m_dc.RestoreDC(nFirst));
    EXPECT_EQ(m_dc.GetTextColor(), kRed);
    EXPECT_EQ(m_dc.GetWindowOrg(), CPoint(5, 5));
    EXPECT_EQ(m_dc.GetBkMode(), OPAQUE);
    EXPECT_EQ(m_dc.GetCurrentPosition(), CPoint(0, 0));
    EXPECT_EQ(m_dc.GetCurrentPen(), pDefault);
    EXPECT_FALSE(m_dc.RestoreDC(-1));   // nothing saved any more

    // The restored origin is the one drawing uses.
    m_dc.MoveTo(5, 5);
    m_dc.LineTo(8, 5);
    EXPECT_EQ(Ink(), CRect(0, 0, 3, 1));
}

TEST_F(DcTest, DrawTextPlacesInkByFormat)
{
    m_dc.SelectObject(&m_font);
    m_dc.SetBkMode(TRANSPARENT);
    TEXTMETRIC tm;
    ASSERT_TRUE(m_dc.GetTextMetrics(&tm));
    EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
    EXPECT_EQ(m_dc.GetTextExtent("HHH").cy, tm.tmHeight);

    CRect rect(20, 20, 180, 100);
    int nHeight = m_dc.DrawText("HHH", -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    CRect ink = Ink();
    ASSERT_FALSE(ink.IsRectEmpty());
    const int nCellTop = rect.top + (rect.Height() - tm.tmHeight) / 2;
    EXPECT_EQ(nHeight, nCellTop - rect.top + tm.tmHeight);
    EXPECT_NEAR(ink.CenterPoint().x, rect.CenterPoint().x, 2);
    EXPECT_GE(ink.top, nCellTop);
    EXPECT_LE(ink.bottom, nCellTop + tm.tmAscent + 1);   // capitals sit on the baseline
    EXPECT_NEAR(ink.CenterPoint().y, rect.CenterPoint().y, 4);

    Clear();
    m_dc.DrawText("HHH", -1, &rect, DT_RIGHT | DT_BOTTOM | DT_SINGLELINE);
    ink = Ink();
    EXPECT_LE(ink.right, rect.right);
    EXPECT_GE(ink.right, rect.right - 3);
    EXPECT_GE(ink.top, rect.bottom - tm.tmHeight);

    // TextOut puts the top-left of the text cell at the point: the baseline is ascent below.
    Clear();
    m_dc.SetTextColor(kBlue);
    m_dc.TextOut(30, 40, "H");
    ink = Ink();
    EXPECT_GE(ink.left, 30);
    EXPECT_LE(ink.left, 33);
    EXPECT_GE(ink.top, 40);
    EXPECT_NEAR(ink.bottom, 40 + tm.tmAscent, 1);
    EXPECT_EQ(Pixel(30, 40), kWhite);   // transparent: no background
    // OPAQUE fills the text cell with the background colour.
    m_dc.SetBkMode(OPAQUE);
    m_dc.SetBkColor(kRed);
    m_dc.TextOut(100, 40, "H");
    EXPECT_EQ(Pixel(100, 40), kRed);
    EXPECT_EQ(Pixel(100, 40 + tm.tmHeight - 1), kRed);
    EXPECT_EQ(Pixel(100, 40 + tm.tmHeight), kWhite);

    // Text follows the window origin like everything else.
    Clear();
    m_dc.SetBkMode(TRANSPARENT);
    m_dc.TextOut(30, 40, "H");
    const CRect inkAtOrigin = Ink();
    Clear();
    m_dc.SetWindowOrg(-100, 20);
    m_dc.DrawText("H", -1, CRect(30, 40, 200, 100), DT_SINGLELINE | DT_NOPREFIX);
    CRect moved = inkAtOrigin;
    moved.OffsetRect(100, -20);
    EXPECT_EQ(Ink(), moved);
}

TEST_F(DcTest, LongTextIsClippedOrEllipsized)
{
    m_dc.SelectObject(&m_font);
    m_dc.SetBkMode(TRANSPARENT);
    const char* pszLong = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    CRect rect(10, 10, 80, 40);

    // Without clipping the text runs past the rectangle ...
    m_dc.DrawText(pszLong, -1, &rect, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(Ink().right, rect.right + 20);
    // ... with clipping it stops at the right edge ...
    Clear();
    m_dc.DrawText(pszLong, -1, &rect, DT_SINGLELINE);
    EXPECT_LE(Ink().right, rect.right);
    EXPECT_GE(Ink().right, rect.right - 2);
    // ... and with the ellipsis the line itself is cut to fit, even without clipping.
    Clear();
    m_dc.DrawText(pszLong, -1, &rect, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
    CRect ink = Ink();
    EXPECT_LE(ink.right, rect.right);
    EXPECT_GE(ink.left, rect.left);
    EXPECT_GT(ink.Width(), rect.Width() / 2);
}

TEST_F(DcTest, CalcRectMeasuresLines)
{
    m_dc.SelectObject(&m_font);
    TEXTMETRIC tm;
    m_dc.GetTextMetrics(&tm);

    CRect rect(10, 10, 10, 10);
    EXPECT_EQ(m_dc.DrawText("Hello", -1, &rect, DT_CALCRECT | DT_SINGLELINE), tm.tmHeight);
    EXPECT_EQ(rect, CRect(10, 10, 10 + m_dc.GetTextExtent("Hello").cx, 10 + tm.tmHeight));

    // Word breaks: a rectangle too narrow for both words gives two lines.
    const int nWidth = m_dc.GetTextExtent("Hello world").cx;
    rect.SetRect(0, 0, nWidth, 0);
    m_dc.DrawText("Hello world", -1, &rect, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(rect.Height(), tm.tmHeight);
    rect.SetRect(0, 0, nWidth - 4, 0);
    EXPECT_EQ(m_dc.DrawText("Hello world", -1, &rect, DT_CALCRECT | DT_WORDBREAK), 2 * tm.tmHeight);
    EXPECT_EQ(rect.Height(), 2 * tm.tmHeight);
    EXPECT_LE(rect.Width(), nWidth - 4);

    // Explicit line breaks, and Chinese text broken between characters.
    rect.SetRect(0, 0, 200, 0);
    m_dc.DrawText("one\r\ntwo\nthree", -1, &rect, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(rect.Height(), 3 * tm.tmHeight);
    rect.SetRect(0, 0, 200, 0);
    m_dc.DrawText("one\r\ntwo", -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(rect.Height(), tm.tmHeight);
    const CString strChinese = Cp936("张三李四王五赵六");
    const int nChar = m_dc.GetTextExtent(Cp936("张")).cx;
    rect.SetRect(0, 0, nChar * 3 + 1, 0);
    m_dc.DrawText(strChinese, &rect, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_EQ(rect.Height(), 3 * tm.tmHeight);

    // Prefix characters: '&' is dropped and "&&" is one '&', unless DT_NOPREFIX.
    rect.SetRect(0, 0, 0, 0);
    m_dc.DrawText("A&B", -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(rect.Width(), m_dc.GetTextExtent("AB").cx);
    m_dc.DrawText("A&&B", -1, &rect, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(rect.Width(), m_dc.GetTextExtent("A&B").cx);
    m_dc.DrawText("A&B", -1, &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(rect.Width(), m_dc.GetTextExtent("A&B").cx);

    // Measuring draws nothing; drawing the same text wraps the same way.
    EXPECT_TRUE(Ink().IsRectEmpty());
    rect.SetRect(0, 0, nWidth - 4, 100);
    m_dc.SetBkMode(TRANSPARENT);
    m_dc.DrawText("Hello world", -1, &rect, DT_WORDBREAK);
    EXPECT_GT(Ink().bottom, tm.tmHeight + 2);
    EXPECT_LE(Ink().bottom, 2 * tm.tmHeight);
}

TEST_F(DcTest, InvertingTwiceRestoresPixels)
{
    CBrush red(kRed);
    CRect block(0, 0, 60, 40);
    m_dc.FillRect(&block, &red);
    const QImage before = m_bitmap.Image().copy();

    m_dc.SetROP2(R2_NOT);
    m_dc.MoveTo(10, 5);
    m_dc.LineTo(100, 5);
    EXPECT_EQ(Pixel(10, 5), RGB(0, 255, 255));   // red inverted
    EXPECT_EQ(Pixel(80, 5), kBlack);             // white inverted
    m_dc.MoveTo(10, 5);
    m_dc.LineTo(100, 5);
    m_dc.MoveTo(30, 0);
    m_dc.LineTo(30, 100);
    m_dc.MoveTo(30, 0);
    m_dc.LineTo(30, 100);
    EXPECT_EQ(m_bitmap.Image(), before);

    CRect rect(5, 5, 50, 50);
    m_dc.InvertRect(&rect);
    EXPECT_EQ(Pixel(49, 49), kBlack);
    m_dc.PatBlt(5, 5, 45, 45, DSTINVERT);
    EXPECT_EQ(m_bitmap.Image(), before);
    m_dc.Rectangle(2, 2, 30, 30);
    m_dc.Rectangle(2, 2, 30, 30);
    EXPECT_EQ(m_bitmap.Image(), before);
}

TEST_F(DcTest, BlitsCopyPixels)
{
    CBitmap source;
    ASSERT_TRUE(source.CreateCompatibleBitmap(&m_dc, 40, 40));
    CDC srcDC;
    srcDC.CreateCompatibleDC(&m_dc);
    CBitmap* pOld = srcDC.SelectObject(&source);
    srcDC.FillSolidRect(0, 0, 40, 40, kWhite);
    srcDC.FillSolidRect(10, 10, 10, 10, kRed);

    // Source (10, 10) lands at (100, 50); both origins apply.
    srcDC.SetWindowOrg(-5, -5);
    m_dc.SetWindowOrg(10, 0);
    m_dc.BitBlt(110, 50, 20, 20, &srcDC, 5, 5, SRCCOPY);
    EXPECT_EQ(Ink(), CRect(100, 50, 110, 60));

    // The destination's clip limits the copy; the bitmap selected before comes back.
    Clear();
    m_dc.SetClipRect(CRect(0, 0, 105, 160));
    m_dc.BitBlt(110, 50, 20, 20, &srcDC, 5, 5, SRCCOPY);
    EXPECT_EQ(Ink(), CRect(100, 50, 105, 60));
    EXPECT_EQ(srcDC.SelectObject(pOld), &source);
    EXPECT_FALSE(srcDC.IsValid());

    // Stretching: left half black, right half white, reduced to half size.
    m_dc.SetClipRect(CRect(0, 0, 240, 160));
    m_dc.SetWindowOrg(0, 0);
    Clear();
    srcDC.SelectObject(&source);
    srcDC.SetWindowOrg(0, 0);
    srcDC.FillSolidRect(0, 0, 20, 40, kBlack);
    srcDC.FillSolidRect(20, 0, 20, 40, kWhite);
    m_dc.SetStretchBltMode(HALFTONE);
    m_dc.StretchBlt(0, 0, 20, 20, &srcDC, 0, 0, 40, 40, SRCCOPY);
    EXPECT_EQ(Ink(), CRect(0, 0, 10, 20));

    // HALFTONE averages what a reduction drops: a fine checkerboard turns grey; without it
    // the pixels kept are pure black or white.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            srcDC.SetPixel(x, y, (x + y) % 2 ? kWhite : kBlack);
    m_dc.StretchBlt(0, 0, 20, 20, &srcDC, 0, 0, 40, 40, SRCCOPY);
    EXPECT_NEAR(GetRValue(Pixel(10, 10)), 128, 20);
    m_dc.SetStretchBltMode(COLORONCOLOR);
    m_dc.StretchBlt(0, 0, 20, 20, &srcDC, 0, 0, 40, 40, SRCCOPY);
    EXPECT_TRUE(Pixel(10, 10) == kBlack || Pixel(10, 10) == kWhite);
    srcDC.SelectObject(pOld);
}

TEST_F(DcTest, EdgesUseSystemColours)
{
    CRect rect(10, 10, 20, 20);
    m_dc.DrawEdge(&rect, BDR_SUNKENINNER, BF_RECT);
    EXPECT_EQ(Pixel(10, 15), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(Pixel(15, 10), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(Pixel(19, 15), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(Pixel(15, 19), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(Pixel(15, 15), kWhite);

    // Both rings: the outer on the border, the inner one pixel inside.
    rect.SetRect(40, 10, 50, 20);
    m_dc.DrawEdge(&rect, EDGE_RAISED, BF_RECT);
    EXPECT_EQ(Pixel(40, 15), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(Pixel(49, 15), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(Pixel(41, 15), GetSysColor(COLOR_3DHIGHLIGHT));
    EXPECT_EQ(Pixel(48, 15), GetSysColor(COLOR_3DSHADOW));
    EXPECT_EQ(Pixel(45, 15), kWhite);

    // Draw3dRect: top and left in one colour, right and bottom in the other.
    m_dc.Draw3dRect(CRect(60, 10, 70, 20), kRed, kBlue);
    EXPECT_EQ(Pixel(60, 18), kRed);
    EXPECT_EQ(Pixel(68, 10), kRed);
    EXPECT_EQ(Pixel(69, 10), kBlue);
    EXPECT_EQ(Pixel(60, 19), kBlue);
    EXPECT_EQ(Pixel(70, 15), kWhite);
}

TEST_F(DcTest, TwoDCsDrawTextIntoOneImage)
{
    // A second DC on the same image, as a client DC during a paint, draws as well.
    CDC other;
    other.CreateCompatibleDC(&m_dc);
    other.SelectObject(&m_bitmap);
    m_dc.SetBkMode(TRANSPARENT);
    other.SetBkMode(TRANSPARENT);
    m_dc.TextOut(10, 10, "First");
    other.TextOut(10, 100, "Second");
    m_dc.TextOut(120, 10, "Third");
    const QImage& image = m_bitmap.Image();
    auto inkIn = [&](const CRect& r) {
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                    return true;
        return false;
    };
    EXPECT_TRUE(inkIn(CRect(0, 0, 110, 50)));
    EXPECT_TRUE(inkIn(CRect(0, 90, 110, 140)));
    EXPECT_TRUE(inkIn(CRect(115, 0, 240, 50)));
    other.SelectObject(m_pOldBitmap);
}

// A page reduced several times over to a window: every source pixel still counts, so a thin
// line keeps its place as grey and a fine pattern averages out, at odd factors too.
TEST(DcStretchTest, LargeHalftoneReductionsAverageEveryPixel)
{
    CBitmap source, target;
    ASSERT_TRUE(source.CreateBitmap(700, 490));
    ASSERT_TRUE(target.CreateBitmap(200, 140));
    CDC srcDC, destDC;
    srcDC.CreateCompatibleDC(nullptr);
    destDC.CreateCompatibleDC(nullptr);
    srcDC.SelectObject(&source);
    destDC.SelectObject(&target);
    for (int y = 0; y < 490; ++y)
        for (int x = 0; x < 350; ++x)
            srcDC.SetPixel(x, y, (x + y) % 2 ? kWhite : kBlack);
    srcDC.FillSolidRect(350, 0, 350, 490, kWhite);
    srcDC.FillSolidRect(525, 0, 1, 490, kBlack);   // one pixel wide, at 150 of 200
    destDC.SetStretchBltMode(HALFTONE);
    destDC.StretchBlt(0, 0, 200, 140, &srcDC, 0, 0, 700, 490, SRCCOPY);
    const QImage& image = target.Image();
    for (int x : {10, 50, 90})
        EXPECT_NEAR(qRed(image.pixel(x, 70)), 128, 24) << x;
    // 3.5 source pixels a target pixel: the line darkens its column by about a third.
    int nDarkest = 255, xDarkest = -1;
    for (int x = 110; x < 200; ++x)
        if (qRed(image.pixel(x, 70)) < nDarkest)
            nDarkest = qRed(image.pixel(x, 70)), xDarkest = x;
    EXPECT_NEAR(xDarkest, 150, 1);
    EXPECT_GT(nDarkest, 60);
    EXPECT_LT(nDarkest, 230);
    EXPECT_EQ(qRed(image.pixel(120, 70)), 255);
}

// Text far taller than screen text is kept drawn as a picture; it must look as if drawn
// directly, in the colour of each call, and be cut by the clip like any other text.
TEST(DcLargeTextTest, KeptPicturesMatchDirectDrawingInEachColour)
{
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateBitmap(600, 200));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&bitmap);
    CFont font;
    font.CreateFont(100, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Serif");
    dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    const CString strText = Codec::FromUnicode(QString::fromUtf8("荣誉Ag"));

    // The same text drawn straight onto an image with the DC's font.
    QImage direct(600, 200, QImage::Format_RGB32);
    direct.fill(Qt::white);
    {
        QPainter painter(&direct);
        painter.setFont(font.GetQFont());
        painter.setPen(Qt::black);
        QStaticText text(QString::fromUtf8("荣誉Ag"));
        text.setTextFormat(Qt::PlainText);
        painter.drawStaticText(QPoint(20, 30), text);
    }
    for (int nPass = 0; nPass < 2; nPass++) {   // drawn, then from the kept picture
        dc.FillSolidRect(0, 0, 600, 200, kWhite);
        dc.TextOut(20, 30, strText);
        int nMaxDiff = 0;
        long nInk = 0;
        for (int y = 0; y < 200; y++)
            for (int x = 0; x < 600; x++) {
                nMaxDiff = std::max(nMaxDiff, std::abs(qGray(bitmap.Image().pixel(x, y)) - qGray(direct.pixel(x, y))));
                nInk += qGray(direct.pixel(x, y)) < 128;
            }
        EXPECT_LE(nMaxDiff, 4) << nPass;   // the rounding of one more blend
        EXPECT_GT(nInk, 500);
    }
    // Another colour is not the kept black.
    dc.FillSolidRect(0, 0, 600, 200, kWhite);
    dc.SetTextColor(RGB(255, 0, 0));
    dc.TextOut(20, 30, strText);
    long nRed = 0, nBlack = 0;
    for (int y = 0; y < 200; y++)
        for (int x = 0; x < 600; x++) {
            const QRgb px = bitmap.Image().pixel(x, y);
            nRed += qRed(px) > 200 && qGreen(px) < 60;
            nBlack += qGray(px) < 40;
        }
    EXPECT_GT(nRed, 500);
    EXPECT_EQ(nBlack, 0);
}

} // namespace

// A window repainted in parts after each change must show what a repaint of the whole would:
// a reduction clipped to any rectangle gives exactly the pixels of the whole reduction there,
// at odd sizes and ratios too, and a plain colour comes through unchanged.
TEST(DcStretchTest, HalftoneReductionClippedMatchesTheWhole)
{
    struct Case { int cxSrc, cySrc, cx, cy; };
    for (const Case& c : {Case {700, 490, 200, 140}, Case {701, 493, 173, 97}, Case {300, 200, 251, 199}}) {
        CBitmap source, whole, part;
        ASSERT_TRUE(source.CreateBitmap(c.cxSrc, c.cySrc));
        ASSERT_TRUE(whole.CreateBitmap(c.cx, c.cy));
        ASSERT_TRUE(part.CreateBitmap(c.cx, c.cy));
        CDC srcDC, wholeDC, partDC;
        srcDC.CreateCompatibleDC(nullptr);
        wholeDC.CreateCompatibleDC(nullptr);
        partDC.CreateCompatibleDC(nullptr);
        srcDC.SelectObject(&source);
        wholeDC.SelectObject(&whole);
        partDC.SelectObject(&part);
        for (int y = 0; y < c.cySrc; ++y)
            for (int x = 0; x < c.cxSrc; ++x)
                srcDC.SetPixel(x, y, RGB((x * 7 + y * 3) % 256, (x * y) % 251, (x ^ y) & 0xFF));
        wholeDC.SetStretchBltMode(HALFTONE);
        partDC.SetStretchBltMode(HALFTONE);
        wholeDC.StretchBlt(0, 0, c.cx, c.cy, &srcDC, 0, 0, c.cxSrc, c.cySrc, SRCCOPY);

        const CRect rectClip(37, 11, 91, 77);
        partDC.FillSolidRect(0, 0, c.cx, c.cy, kBlue);
        partDC.SetClipRect(rectClip);
        partDC.StretchBlt(0, 0, c.cx, c.cy, &srcDC, 0, 0, c.cxSrc, c.cySrc, SRCCOPY);
        int nWrong = 0;
        for (int y = 0; y < c.cy; ++y)
            for (int x = 0; x < c.cx; ++x) {
                const QRgb px = part.Image().pixel(x, y);
                const bool bInside = rectClip.PtInRect(CPoint(x, y));
                nWrong += bInside ? px != whole.Image().pixel(x, y) : px != qRgb(0, 0, 255);
            }
        EXPECT_EQ(nWrong, 0) << c.cxSrc << " x " << c.cySrc << " to " << c.cx << " x " << c.cy;

        srcDC.FillSolidRect(0, 0, c.cxSrc, c.cySrc, RGB(10, 200, 77));
        wholeDC.StretchBlt(0, 0, c.cx, c.cy, &srcDC, 0, 0, c.cxSrc, c.cySrc, SRCCOPY);
        const QImage& image = whole.Image();
        EXPECT_EQ(image.pixel(0, 0), qRgb(10, 200, 77));
        EXPECT_EQ(image.pixel(c.cx - 1, c.cy - 1), qRgb(10, 200, 77));
        EXPECT_EQ(image.pixel(c.cx / 2, c.cy / 3), qRgb(10, 200, 77));
    }
}

// The bounds a DC collects cover every pixel it drew while enabled, and nothing else.
TEST_F(DcTest, BoundsCoverWhatWasDrawn)
{
    EXPECT_EQ(m_dc.SetBoundsRect(nullptr, DCB_RESET | DCB_ENABLE), (UINT)(DCB_DISABLE | DCB_RESET));
    CRect rect;
    EXPECT_EQ(m_dc.GetBoundsRect(&rect, 0), (UINT)DCB_RESET);
    m_dc.SelectObject(&m_font);
    m_dc.SetBkMode(TRANSPARENT);
    m_dc.TextOut(50, 60, "Wg");
    m_dc.SetPixel(200, 20, kBlack);
    EXPECT_EQ(m_dc.GetBoundsRect(&rect, DCB_RESET), (UINT)DCB_SET);
    const CRect rectInk = Ink();
    EXPECT_TRUE(rectInk.left >= rect.left && rectInk.top >= rect.top && rectInk.right <= rect.right
                && rectInk.bottom <= rect.bottom);
    EXPECT_EQ(rect.right, 201);
    EXPECT_EQ(rect.top, 20);
    EXPECT_LT(rect.left, 50);
    EXPECT_GT(rect.left, 40);

    // Reset: empty again. Disabled: drawing adds nothing.
    EXPECT_EQ(m_dc.GetBoundsRect(&rect, 0), (UINT)DCB_RESET);
    EXPECT_EQ(m_dc.SetBoundsRect(nullptr, DCB_DISABLE), (UINT)(DCB_ENABLE | DCB_RESET));
    m_dc.FillSolidRect(0, 0, 10, 10, kRed);
    EXPECT_EQ(m_dc.GetBoundsRect(&rect, 0), (UINT)DCB_RESET);
    EXPECT_TRUE(rect.IsRectEmpty());
}
