#include "WheelAccumulator.h"

#include "Wnd.h"

#include <QApplication>
#include <QFontMetrics>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kNotch = 120;
// A message carries a short; larger sums go out over the next events.
constexpr int kMaxDelta = 30000;

// Pixels of a touchpad without angles: a notch is as far as its lines of text reach.
int PixelsToAngle(int nPixels)
{
    const int nLines = std::clamp((int)GetWheelScrollLines(), 1, 100);
    const int nLineHeight = std::max(1, QFontMetrics(QApplication::font()).height());
    return (int)((long long)nPixels * kNotch / ((long long)nLines * nLineHeight));
}

} // namespace

int CWheelAccumulator::GetStep()
{
    const UINT nLines = GetWheelScrollLines();
    if (nLines >= 1 && nLines <= (UINT)kNotch && kNotch % nLines == 0)
        return kNotch / (int)nLines;
    return kNotch;
}

// A turn the other way drops what the first direction had gathered.
int CWheelAccumulator::Take(int& nPending, int nDelta)
{
    if (nDelta == 0)
        return 0;
    if ((nPending > 0) != (nDelta > 0))
        nPending = 0;
    nPending = std::clamp(nPending + nDelta, -4 * kMaxDelta, 4 * kMaxDelta);
    const int nStep = GetStep();
    const int nMax = kMaxDelta / nStep * nStep;
    const int nWhole = std::clamp(nPending / nStep * nStep, -nMax, nMax);
    nPending -= nWhole;
    return nWhole;
}

CWheelAccumulator::Steps CWheelAccumulator::Add(QPoint ptAngle, QPoint ptPixels, bool bShift, bool bBegin)
{
    if (bBegin)
        m_nPendingVert = m_nPendingHorz = 0;
    QPoint pt = ptAngle;
    if (pt.isNull())
        pt = QPoint(PixelsToAngle(ptPixels.x()), PixelsToAngle(ptPixels.y()));
    int nUp = pt.y(), nRight = -pt.x();
    if (bShift && nRight == 0) {
        nRight = -nUp;   // Shift with the wheel turned down scrolls right
        nUp = 0;
    }
    Steps steps;
    steps.nVert = Take(m_nPendingVert, nUp);
    steps.nHorz = Take(m_nPendingHorz, nRight);
    return steps;
}
