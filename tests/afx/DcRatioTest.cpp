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

COLORREF PixelColour(const QImage& image, int x, int y)
{
    const QRgb px = image.pixel(x, y);
    return RGB(qRed(px), qGreen(px), qBlue(px));
}

class DcRatioTest : public ::testing::TestWithParam<qreal> {};

} // namespace

// Logical rectangles tile the device pixels without gaps or overlaps, GetPixel reads the
// logical pixel, and the DC reports logical sizes.
TEST_P(DcRatioTest, FillsTileTheDevicePixelsAndReadBackLogically)
{
    const qreal dRatio = GetParam();
    ScaledSurface s(23, 17, dRatio);
    EXPECT_EQ(s.dc.GetDeviceCaps(HORZRES), 23);
    EXPECT_EQ(s.dc.GetDeviceCaps(VERTRES), 17);
    CRect rectClip;
    EXPECT_EQ(s.dc.GetClipBox(&rectClip), SIMPLEREGION);
    EXPECT_EQ(rectClip, CRect(0, 0, 23, 17));
    BITMAP bm;
    ASSERT_TRUE(s.bitmap.GetBitmap(&bm));
    EXPECT_EQ(CSize(bm.bmWidth, bm.bmHeight), CSize(23, 17));

    // Rectangles of 1 to 3 logical pixels, each its own colour.
    const auto colourOf = [](int x, int y) { return RGB(10 + x * 9, 20 + y * 11, 200); };
    for (int y = 0; y < 17;) {
        const int cy = 1 + y % 3;
        for (int x = 0; x < 23;) {
            const int cx = 1 + (x + y) % 3;
            s.dc.FillSolidRect(x, y, cx, cy, colourOf(x, y));
            x += cx;
        }
        y += cy;
    }
    const QImage& image = s.bitmap.Image();
    for (int y = 0; y < image.height(); y++)
        for (int x = 0; x < image.width(); x++)
            ASSERT_NE(PixelColour(image, x, y), kBlack) << "device pixel " << x << "," << y << " left out";
    // Each logical pixel reads back the colour of the rectangle that covers it.
    std::set<COLORREF> colours;
    for (int y = 0; y < 17; y++)
        for (int x = 0; x < 23; x++)
            colours.insert(s.dc.GetPixel(x, y));
    EXPECT_EQ(s.dc.GetPixel(0, 0), colourOf(0, 0));
    EXPECT_EQ(s.dc.GetPixel(22, 16), PixelColour(image, image.width() - 1, image.height() - 1));
    EXPECT_GT(colours.size(), 60u);
    EXPECT_EQ(s.dc.GetPixel(23, 0), CLR_INVALID);
}

// Tracking lines and inverted rectangles flip the device pixels of their logical pixels, and
// flipping again restores every one.
TEST_P(DcRatioTest, InvertingTwiceRestoresEveryDevicePixel)
{
    const qreal dRatio = GetParam();
    ScaledSurface s(40, 30, dRatio);
    s.dc.FillSolidRect(0, 0, 40, 30, kWhite);
    s.dc.FillSolidRect(5, 5, 13, 9, RGB(200, 10, 10));
    const QImage before = s.bitmap.Image().copy();
    const CRect rect(3, 4, 11, 20);
    s.dc.InvertRect(&rect);
    EXPECT_EQ(s.dc.GetPixel(3, 4), kBlack);
    EXPECT_EQ(s.dc.GetPixel(10, 19), kBlack);
    EXPECT_EQ(s.dc.GetPixel(11, 19), kWhite);
    s.dc.SetROP2(R2_NOT);
    s.dc.MoveTo(20, 2);
    s.dc.LineTo(20, 28);
    s.dc.MoveTo(1, 1);
    s.dc.LineTo(33, 25);   // diagonal
    EXPECT_EQ(s.dc.GetPixel(20, 10), kBlack);
    s.dc.MoveTo(20, 2);
    s.dc.LineTo(20, 28);
    s.dc.MoveTo(1, 1);
    s.dc.LineTo(33, 25);
    s.dc.InvertRect(&rect);
    EXPECT_EQ(s.bitmap.Image(), before);
}

// A DC compatible with a scaled one makes bitmaps at its ratio; blits between them copy the
// device pixels as they are; a page of one pixel per unit is reduced straight to the device
// pixels of the target, so a page of exactly the target's device size lands unchanged.
TEST_P(DcRatioTest, CompatibleBitmapsKeepTheRatioAndBlitsCopyDevicePixels)
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
    int nInk = 0;
    for (int y = 0; y < src.height(); y++)
        for (int x = 0; x < src.width(); x++) {
            ASSERT_EQ(dest.pixel(x0 + x, y0 + y), src.pixel(x, y)) << x << "," << y;
            nInk += qGray(src.pixel(x, y)) < 128;
        }
    EXPECT_GT(nInk, 10);

    // The page, one pixel per unit, as large as the target's device pixels.
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
}

// Text measures the same at any ratio and its ink lands where it lands at one pixel per
// pixel, drawn with the finer pixels.
TEST_P(DcRatioTest, TextMeasuresAndLandsAsAtOnePixelPerPixel)
{
    const qreal dRatio = GetParam();
    CFont font;
    font.CreateFont(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "DejaVu Sans");
    const auto inkOf = [&](qreal r, CSize& sizeExtent) {
        ScaledSurface s(120, 40, r);
        s.dc.FillSolidRect(0, 0, 120, 40, kWhite);
        s.dc.SelectObject(&font);
        sizeExtent = s.dc.GetTextExtent("Hello, 1234", 11);
        CRect rect(4, 0, 116, 40);
        s.dc.DrawText("Hello, 1234", 11, &rect, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        QRect box;
        const QImage& image = s.bitmap.Image();
        for (int y = 0; y < image.height(); y++)
            for (int x = 0; x < image.width(); x++)
                if (qGray(image.pixel(x, y)) < 128)
                    box |= QRect(x, y, 1, 1);
        return QRectF(box.x() / r, box.y() / r, box.width() / r, box.height() / r);
    };
    CSize sizeOne, sizeScaled;
    const QRectF inkOne = inkOf(1, sizeOne), inkScaled = inkOf(dRatio, sizeScaled);
    EXPECT_EQ(sizeScaled, sizeOne);
    EXPECT_NEAR(inkScaled.left(), inkOne.left(), 1.5);
    EXPECT_NEAR(inkScaled.top(), inkOne.top(), 1.5);
    EXPECT_NEAR(inkScaled.right(), inkOne.right(), 1.5);
    EXPECT_NEAR(inkScaled.bottom(), inkOne.bottom(), 1.5);
}

INSTANTIATE_TEST_SUITE_P(Ratios, DcRatioTest, ::testing::Values(1.25, 1.5, 2.0));
