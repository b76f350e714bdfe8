// Images kept at a screen's device pixel ratio: a window's backing image, the bitmaps made
// compatible with it. Coordinates stay logical pixels; an image of logical size w x h holds
// round(w * ratio) x round(h * ratio) pixels. A logical coordinate maps to the nearest device
// pixel edge (halves up), so rectangles that meet in logical pixels meet in device pixels too,
// at 1.25 and 1.5 as at 2.
#pragma once

#include <QImage>
#include <QSize>

#include <algorithm>
#include <cmath>

namespace PixelRatio {

inline int ToDevice(int n, qreal dRatio)
{
    return dRatio == 1 ? n : (int)std::floor(n * dRatio + 0.5);
}

inline QSize ToDevice(QSize size, qreal dRatio)
{
    return QSize(ToDevice(size.width(), dRatio), ToDevice(size.height(), dRatio));
}

// The logical length of nPixels device pixels; exact for lengths made by ToDevice.
inline int ToLogical(int nPixels, qreal dRatio)
{
    return dRatio == 1 ? nPixels : (int)std::floor(nPixels / dRatio + 0.5);
}

inline QSize ToLogical(QSize size, qreal dRatio)
{
    return QSize(ToLogical(size.width(), dRatio), ToLogical(size.height(), dRatio));
}

// The ratio images are kept at on a screen: never below one pixel per logical pixel (a
// screen scaled down shows the logical image reduced).
inline qreal Usable(qreal dRatio)
{
    return dRatio > 1 ? dRatio : 1.0;
}

inline qreal Of(const QImage& image)
{
    return Usable(image.devicePixelRatio());
}

// An image of a logical size at a ratio, its pixels not yet set.
inline QImage MakeImage(QSize sizeLogical, qreal dRatio, QImage::Format format)
{
    QImage image(ToDevice(sizeLogical, Usable(dRatio)), format);
    if (!image.isNull())
        image.setDevicePixelRatio(Usable(dRatio));
    return image;
}

} // namespace PixelRatio
