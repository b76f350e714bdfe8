// Drawing into images of more than one device pixel per logical pixel, as a window's backing
// image on a scaled screen: every GDI operation keeps its logical meaning at 1.25, 1.5 and 2.
#include "Dc.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// A memory DC over a bitmap whose image is at a device pixel ratio: what a window's DC is on a
// scaled screen, and what DCs compatible with it inherit.
struct ScaledSurface {
    ScaledSurface(int cx, int cy, qreal dRatio)
    {
        bitmap.CreateBitmap(cx, cy);
        bitmap.Image() = QImage(std::lround(cx * dRatio), std::lround(cy * dRatio), QImage::Format_RGB32);
        bitmap.Image().setDevicePixelRatio(dRatio);
        bitmap.Image().fill(Qt::black);
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&bitmap);
    }
    CBitmap bitmap;
    CDC dc;
};

// The box of the dark pixels, in logical pixels.
QRectF InkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); y++)
        for (int x = 0; x < image.width(); x++)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    const qreal r = image.devicePixelRatio();
    return QRectF(box.x() / r, box.y() / r, box.width() / r, box.height() / r);
}

class DcRatioTest : public ::testing::TestWithParam<qreal> {};

} // namespace

// Logical rectangles tile the device pixels without gaps, GetPixel reads the logical pixel,
// the DC reports logical sizes, and inverting twice (rectangles, tracking lines, a diagonal)
// restores every device pixel.
TEST_P(DcRatioTest, FillsTileTheDevicePixelsAndInversionsRestoreThem)
{
    const qreal dRatio = GetParam();
    ScaledSurface s(23, 17, dRatio);
    EXPECT_EQ(CSize(s.dc.GetDeviceCaps(HORZRES), s.dc.GetDeviceCaps(VERTRES)), CSize(23, 17));
    CRect rectClip;
    EXPECT_EQ(s.dc.GetClipBox(&rectClip), SIMPLEREGION);
    EXPECT_EQ(rectClip, CRect(0, 0, 23, 17));
    BITMAP bm;
    ASSERT_TRUE(s.bitmap.GetBitmap(&bm));
    EXPECT_EQ(CSize(bm.bmWidth, bm.bmHeight), CSize(23, 17));

    // Rectangles of 1 to 3 logical pixels, each its own colour.
    const auto colourOf = [](int x, int y) { return RGB(10 + x * 9, 20 + y * 11, 200); };
    for (int y = 0; y < 17; y += 1 + y % 3)
        for (int x = 0; x < 23; x += 1 + (x + y) % 3)
            s.dc.FillSolidRect(x, y, 1 + (x + y) % 3, 1 + y % 3, colourOf(x, y));
    const QImage& image = s.bitmap.Image();
    for (int y = 0; y < image.height(); y++)
        for (int x = 0; x < image.width(); x++)
            ASSERT_NE(image.pixel(x, y) & 0xFFFFFF, 0u) << "device pixel " << x << "," << y << " left out";
    std::set<COLORREF> colours;
    for (int y = 0; y < 17; y++)
        for (int x = 0; x < 23; x++)
            colours.insert(s.dc.GetPixel(x, y));
    EXPECT_EQ(s.dc.GetPixel(0, 0), colourOf(0, 0));
    EXPECT_GT(colours.size(), 60u);
    EXPECT_EQ(s.dc.GetPixel(23, 0), CLR_INVALID);

    const QImage before = image.copy();
    const COLORREF crCorner = s.dc.GetPixel(3, 4), crBeside = s.dc.GetPixel(11, 10);
    const CRect rect(3, 4, 11, 15);
    for (int nPass = 0; nPass < 2; nPass++) {
        s.dc.InvertRect(&rect);
        s.dc.SetROP2(R2_NOT);
        s.dc.MoveTo(20, 2);
        s.dc.LineTo(20, 16);
        s.dc.MoveTo(1, 1);
        s.dc.LineTo(21, 14);
        if (nPass == 0) {
            EXPECT_EQ(s.dc.GetPixel(3, 4), crCorner ^ 0xFFFFFF);
            EXPECT_EQ(s.dc.GetPixel(11, 10), crBeside);   // right of the rectangle, off the lines
        }
    }
    EXPECT_EQ(image, before);
}

// A DC compatible with a scaled one makes bitmaps at its ratio; blits between them copy the
// device pixels as they are; a page of one pixel per unit is reduced straight to the target's
// device pixels, so a page of exactly that size lands unchanged; text measures the same as at
// one pixel per pixel and its ink lands where it lands there.
TEST_P(DcRatioTest, CompatibleBitmapsBlitsPagesAndTextAtTheRatio)
{
    const qreal dRatio = GetParam();
    ScaledSurface s(60, 40, dRatio);
    CDC dcMem;
    dcMem.CreateCompatibleDC(&s.dc);
    EXPECT_EQ(dcMem.GetDevicePixelRatio(), dRatio);
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&dcMem, 30, 20));
    EXPECT_EQ(bitmap.Image().size(), QSize(std::lround(30 * dRatio), std::lround(20 * dRatio)));
    dcMem.SelectObject(&bitmap);
    dcMem.FillSolidRect(0, 0, 30, 20, kWhite);
    CFont font;
    font.CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
    dcMem.SelectObject(&font);
    dcMem.TextOut(2, 2, "Wg", 2);

    s.dc.FillSolidRect(0, 0, 60, 40, kWhite);
    s.dc.BitBlt(10, 8, 30, 20, &dcMem, 0, 0, SRCCOPY);
    const QImage& src = bitmap.Image();
    const QImage& dest = s.bitmap.Image();
    const int x0 = (int)std::floor(10 * dRatio + 0.5), y0 = (int)std::floor(8 * dRatio + 0.5);
    for (int y = 0; y < src.height(); y++)
        for (int x = 0; x < src.width(); x++)
            ASSERT_EQ(dest.pixel(x0 + x, y0 + y), src.pixel(x, y)) << x << "," << y;
    EXPECT_GT(InkBox(src).width(), 5);

    CBitmap page;
    ASSERT_TRUE(page.CreateBitmap(dest.width(), dest.height()));
    CDC dcPage;
    dcPage.CreateCompatibleDC(nullptr);
    dcPage.SelectObject(&page);
    for (int y = 0; y < dest.height(); y++)
        for (int x = 0; x < dest.width(); x++)
            dcPage.SetPixel(x, y, (x * 7 + y * 3) % 5 ? kWhite : RGB(0, 0, 90));
    s.dc.SetStretchBltMode(HALFTONE);
    s.dc.StretchBlt(0, 0, 60, 40, &dcPage, 0, 0, dest.width(), dest.height(), SRCCOPY);
    EXPECT_EQ(dest.convertToFormat(QImage::Format_RGB32), page.Image().convertToFormat(QImage::Format_RGB32));

    // The same text at one pixel per pixel and at the ratio.
    const auto drawn = [&](qreal r, CSize& sizeExtent) {
        ScaledSurface t(120, 40, r);
        t.dc.FillSolidRect(0, 0, 120, 40, kWhite);
        t.dc.SelectObject(&font);
        sizeExtent = t.dc.GetTextExtent("Hello, 1234", 11);
        CRect rect(4, 0, 116, 40);
        t.dc.DrawText("Hello, 1234", 11, &rect, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        return InkBox(t.bitmap.Image());
    };
    CSize sizeOne, sizeScaled;
    const QRectF inkOne = drawn(1, sizeOne), inkScaled = drawn(dRatio, sizeScaled);
    EXPECT_EQ(sizeScaled, sizeOne);
    for (const auto& [dScaled, dOne] : {std::pair(inkScaled.left(), inkOne.left()), {inkScaled.top(), inkOne.top()},
                                        {inkScaled.right(), inkOne.right()}, {inkScaled.bottom(), inkOne.bottom()}})
        EXPECT_NEAR(dScaled, dOne, 1.5);
}

INSTANTIATE_TEST_SUITE_P(Ratios, DcRatioTest, ::testing::Values(1.25, 1.5, 2.0));
