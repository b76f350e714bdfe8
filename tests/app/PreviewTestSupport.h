// Where the preview puts its page, for tests that look at the real program's screen.
#pragma once

#include "PreviewDlg.h"
#include "PrintSet.h"

// The page's client area in the preview's client coordinates, for a layout of the default
// paper: the same dialog laid out here, at its template's size, with the program's fonts.
inline CRect PreviewPageRect()
{
    CPrintSet printSet;
    CPreviewDlg probe;
    probe.m_pPrintSet = &printSet;
    if (!probe.Create(CPreviewDlg::IDD))
        return CRect();
    CRect rect;
    probe.m_wndCertificate.GetClientRect(&rect);
    probe.m_wndCertificate.ClientToScreen(&rect);
    probe.ScreenToClient(&rect);
    probe.DestroyWindow();
    return rect;
}
