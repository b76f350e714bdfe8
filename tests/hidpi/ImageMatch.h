// How alike two pictures are: what the scaled-screen suites compare drawn text by.
#pragma once

#include <QImage>

#include <cmath>
#include <vector>

// Grey levels of a rectangle of an image, white outside it.
inline std::vector<double> Greys(const QImage& image, const QRect& rect)
{
    std::vector<double> values;
    for (int y = rect.top(); y <= rect.bottom(); y++)
        for (int x = rect.left(); x <= rect.right(); x++)
            values.push_back(image.rect().contains(x, y) ? qGray(image.pixel(x, y)) : 255.0);
    return values;
}

// Normalised cross-correlation of two equally long samples: 1 for the same picture.
inline double Correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    double ma = 0, mb = 0;
    for (size_t i = 0; i < a.size(); i++) {
        ma += a[i];
        mb += b[i];
    }
    ma /= (double)a.size();
    mb /= (double)b.size();
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < a.size(); i++) {
        sab += (a[i] - ma) * (b[i] - mb);
        saa += (a[i] - ma) * (a[i] - ma);
        sbb += (b[i] - mb) * (b[i] - mb);
    }
    return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0;
}
