// The record table on a screen of two device pixels per pixel (this suite's main sets
// QT_SCALE_FACTOR=2 before the application starts): its backing image holds the screen's
// pixels, and a cell's text has the edges of text rendered at that resolution, not of text
// rendered at half of it and blown up.
#include "../gridctrl/ViewTestGrid.h"

#include "Font.h"

#include <QGuiApplication>
#include <QPainter>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const char s_szText[] = "Abc 123 xyz";

// Grey levels of an image, ink dark.
std::vector<double> Greys(const QImage& image, const QRect& rect)
{
    std::vector<double> values;
    for (int y = rect.top(); y <= rect.bottom(); y++)
        for (int x = rect.left(); x <= rect.right(); x++)
            values.push_back(image.rect().contains(x, y) ? qGray(image.pixel(x, y)) : 255.0);
    return values;
}

// Normalised cross-correlation of two equally long samples: 1 for the same picture.
double Correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    double ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); i++) {
        ma += a[i];
        mb += b[i];
    }
    ma /= a.size();
    mb /= b.size();
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < a.size(); i++) {
        sab += (a[i] - ma) * (b[i] - mb);
        saa += (a[i] - ma) * (a[i] - ma);
        sbb += (b[i] - mb) * (b[i] - mb);
    }
    return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0;
}

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

} // namespace

TEST(GridSharpness, BackingImageHoldsTheScreensPixelsAndTextIsRenderedAtThem)
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
