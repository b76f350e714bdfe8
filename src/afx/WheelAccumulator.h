// Wheel turns as a window receives them: 120 a notch. Touchpads and free-spinning wheels
// report small parts of a notch many times a second; each window adds them up, one sum per
// direction, and hands them on once they make a whole step: the part of a notch that scrolls
// one line (120 / the lines per notch) where the lines divide a notch, else a whole notch. So
// slow two-finger scrolling moves line by line and nothing of a fast one is lost.
#pragma once

#include <QPoint>

class CWheelAccumulator {
public:
    // WM_MOUSEWHEEL and WM_MOUSEHWHEEL deltas to send now: up (away from the user) and right
    // are positive; 0 sends nothing.
    struct Steps {
        int nVert = 0;
        int nHorz = 0;
    };
    // One wheel event: its angle in eighths of a degree (Qt's angleDelta: positive y up, positive
    // x left), else its pixels; Shift turns a vertical turn sideways, as desktops do; a new
    // gesture (bBegin) starts from nothing.
    Steps Add(QPoint ptAngle, QPoint ptPixels, bool bShift, bool bBegin);
    // The delta of one step: 120 / GetWheelScrollLines(), or 120.
    static int GetStep();

private:
    static int Take(int& nPending, int nDelta);
    int m_nPendingVert = 0;
    int m_nPendingHorz = 0;
};
