// Shared pieces of the painting, scrolling and title tip suites: a grid that counts its
// paints and keeps the messages it receives, the main window's record table, and pixel reads
// from a window's backing image.
#pragma once

#include "GridCtrl.h"

#include <QImage>
#include <vector>

struct ReceivedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class CViewTestGrid : public CGridCtrl {
public:
    int nDrawCount = 0;
    std::vector<ReceivedMessage> messages;

    using CGridCtrl::m_MouseMode;
    using CGridCtrl::m_SelectionStartCell;
    using CGridCtrl::m_TitleTip;

    void OnDraw(CDC* pDC) override
    {
        nDrawCount++;
        CGridCtrl::OnDraw(pDC);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        messages.push_back({message, wParam, lParam});
        return CGridCtrl::WindowProc(message, wParam, lParam);
    }
    // Paints whatever is invalid now, as the event loop would.
    void PaintAll()
    {
        Invalidate();
        UpdateWindow();
    }
    CRect CellRect(int nRow, int nCol) const
    {
        CRect rect;
        GetCellRect(nRow, nCol, rect);
        return rect;
    }
};

// The record table as the main window sets it up: 301 x 27, headings "A".."Z" and
// "1".."300" centred, the heading column 40 pixels wide.
inline void SetUpCertificateTable(CGridCtrl& grid)
{
    grid.SetRowCount(301);
    grid.SetColumnCount(27);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    const UINT nHeadingFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
    for (int col = 1; col < 27; col++) {
        const char szHeading[2] = {(char)('A' + col - 1), 0};
        grid.SetItemText(0, col, szHeading);
        grid.SetItemFormat(0, col, nHeadingFormat);
    }
    for (int row = 1; row < 301; row++) {
        CString str;
        str.Format("%d", row);
        grid.SetItemText(row, 0, str);
        grid.SetItemFormat(row, 0, nHeadingFormat);
    }
    grid.SetColumnWidth(0, 40);
}

// A top-level window holding a certificate-table grid of the given size at (0, 0).
struct GridWindow {
    CWnd parent;
    CViewTestGrid grid;

    explicit GridWindow(int cx = 780, int cy = 600)
    {
        parent.CreateEx(0, nullptr, "test", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, 0);
        grid.Create(CRect(0, 0, cx, cy), &parent, 1);
        SetUpCertificateTable(grid);
    }
};

inline COLORREF PixelAt(const CWnd& wnd, int x, int y)
{
    const QRgb rgb = wnd.GetBackingImage().pixel(x, y);
    return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

// Pixels in the rectangle (right and bottom excluded) that are closer to black than to white.
inline int DarkPixels(const CWnd& wnd, const CRect& rect)
{
    const QImage& image = wnd.GetBackingImage();
    int nDark = 0;
    for (int y = rect.top; y < rect.bottom; y++)
        for (int x = rect.left; x < rect.right; x++)
            if (qGray(image.pixel(x, y)) < 128)
                nDark++;
    return nDark;
}
