// Helpers of the suites that open in-place edits: finding the edit that has the focus, its
// text and place, and letting a closed edit finish its WM_CLOSE.
#pragma once

#include "GridTestSupport.h"
#include "InPlaceEdit.h"

#include <QCoreApplication>
#include <QEvent>

// The in-place edit that has the keyboard focus, or NULL.
inline CInPlaceEdit* FocusedInPlaceEdit()
{
    return dynamic_cast<CInPlaceEdit*>(CWnd::GetFocus());
}

inline CString WindowText(const CWnd* pWnd)
{
    CString str;
    pWnd->GetWindowText(str);
    return str;
}

// The window's rectangle in the grid's client coordinates.
inline CRect WindowRectInGrid(const CWnd& grid, const CWnd* pWnd)
{
    CRect rect;
    pWnd->GetWindowRect(&rect);
    grid.ScreenToClient(&rect);
    return rect;
}

// Runs the posted WM_CLOSE of ended edits and deletes their widgets.
inline void FinishClosing()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
