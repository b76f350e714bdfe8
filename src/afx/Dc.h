// Device contexts: GDI drawing onto an image (a window's backing image, a memory bitmap).
// Coordinates are whole pixels; rectangles leave out their right and bottom edge, lines
// their last point, as GDI does.
//
// An image may hold more than one pixel per logical pixel (its device pixel ratio, that of
// the screen it is shown on): coordinates, clipping, bounds and GetPixel stay logical, fills
// and copies cover the device pixels of the logical ones, and text and wide pens are drawn
// by a painter scaled to the ratio, so glyphs are rendered at the screen's resolution. Blits
// between images of different ratios scale as StretchBlt does.
//
// A DC holds no QPainter between calls: shapes, thin lines and blits write the image's pixels
// directly, and text and wide pens open a painter on the image for the one call only. So any
// number of DCs may share an image, and the image's owner may copy or resize it at any time;
// the one rule is that nobody else keeps a QPainter active on an image while a DC draws text
// into it (the DC's painter could not begin).
//
// A DC of a document device (a PDF file, a printer) draws through its device's painter
// instead: text stays text and pictures stay pictures, at the device's own resolution. There
// it draws text, filled rectangles and blits from memory DCs.
#pragma once

#include "Gdi.h"
#include "Geometry.h"
#include "String.h"
#include "TextCache.h"

#include <QImage>
#include <QPainter>
#include <vector>

class CWnd;

// Stock objects for SelectStockObject (NULL_PEN and NULL_BRUSH are in afxtypes.h).
#ifndef WHITE_BRUSH
#define WHITE_BRUSH 0
#define BLACK_BRUSH 4
#define WHITE_PEN 6
#define BLACK_PEN 7
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17
#endif
// Stretch modes; HALFTONE averages the pixels a reduction drops.
#ifndef HALFTONE
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#endif
// GetDeviceCaps indexes a screen or memory DC answers.
#ifndef LOGPIXELSX
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#endif
#ifndef BLACKNESS
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062
#endif
// Bounds accumulation (SetBoundsRect, GetBoundsRect).
#ifndef DCB_RESET
#define DCB_RESET 0x0001
#define DCB_ACCUMULATE 0x0002
#define DCB_SET (DCB_RESET | DCB_ACCUMULATE)
#define DCB_ENABLE 0x0004
#define DCB_DISABLE 0x0008
#endif
#ifndef CLR_INVALID
#define CLR_INVALID 0xFFFFFFFF
#endif

class CDC {
public:
    CDC();
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A memory DC draws into the bitmap selected into it. Until one is, it has the device
    // pixel ratio of pDC (1 without one), which CreateCompatibleBitmap gives its bitmaps.
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();
    BOOL IsValid() const { return m_pTarget != nullptr || m_pPainter != nullptr; }

    CPen* SelectObject(CPen* pPen);
    CBrush* SelectObject(CBrush* pBrush);
    CFont* SelectObject(CFont* pFont);
    // Memory DCs only. Returns the bitmap selected before (a stock bitmap without pixels at
    // first); selecting that one back, or NULL, leaves the DC without surface. The bitmap must
    // stay alive, and keep its image, while it is selected.
    CBitmap* SelectObject(CBitmap* pBitmap);
    CGdiObject* SelectStockObject(int nIndex);   // NULL_PEN, NULL_BRUSH, BLACK_PEN ...
    CFont* GetCurrentFont() const;   // the default font when none was selected
    CPen* GetCurrentPen() const { return m_state.pPen; }
    CBrush* GetCurrentBrush() const { return m_state.pBrush; }
    // Drawing uses what an object held when it was selected, so a pen, brush or font that is
    // destroyed while selected does no harm until it is asked for again.

    int SaveDC();
    BOOL RestoreDC(int nSavedDC);   // -1: the most recent

    COLORREF SetTextColor(COLORREF cr);
    COLORREF GetTextColor() const { return m_state.crText; }
    COLORREF SetBkColor(COLORREF cr);
    COLORREF GetBkColor() const { return m_state.crBk; }
    int SetBkMode(int nMode);
    int GetBkMode() const { return m_state.nBkMode; }
    int SetROP2(int nDrawMode);   // R2_COPYPEN, R2_NOT
    int GetROP2() const { return m_state.nRop2; }
    int SetStretchBltMode(int nStretchMode);
    int GetStretchBltMode() const { return m_state.nStretchMode; }

    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(POINT p) { return SetWindowOrg(p.x, p.y); }
    CPoint GetWindowOrg() const { return m_state.ptOrg; }
    CPoint GetCurrentPosition() const { return m_state.ptCurrent; }

    // The clip box in logical coordinates; ERROR when the DC has no surface, NULLREGION when
    // nothing can be drawn, else SIMPLEREGION.
    int GetClipBox(LPRECT lpRect) const;
    // Limits drawing to a rectangle (device coordinates); used by paint DCs.
    void SetClipRect(const CRect& rect);

    void FillRect(LPCRECT lpRect, CBrush* pBrush);
    // Also makes cr the background colour, as the window system does.
    void FillSolidRect(LPCRECT lpRect, COLORREF cr);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF cr);
    void FrameRect(LPCRECT lpRect, CBrush* pBrush);
    // One-pixel frame: top and left in clrTopLeft, right and bottom in clrBottomRight.
    void Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight);
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight);
    BOOL DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags);
    void InvertRect(LPCRECT lpRect);
    BOOL PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop);   // PATCOPY, DSTINVERT
    BOOL Rectangle(int x1, int y1, int x2, int y2);
    BOOL Rectangle(LPCRECT lpRect) { return Rectangle(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom); }
    COLORREF GetPixel(int x, int y) const;   // CLR_INVALID outside the clip box
    COLORREF SetPixel(int x, int y, COLORREF cr);

    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y);
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }

    // nCount -1 means up to the terminating NUL. Returns the text height.
    int DrawText(LPCTSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat);
    int DrawText(const CString& str, LPRECT lpRect, UINT nFormat);
    BOOL TextOut(int x, int y, LPCTSTR lpszString, int nCount);
    BOOL TextOut(int x, int y, const CString& str);
    CSize GetTextExtent(LPCTSTR lpszString, int nCount) const;
    CSize GetTextExtent(const CString& str) const;
    BOOL GetTextMetrics(TEXTMETRIC* lpMetrics) const;

    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop);
    // SRCCOPY only; the stretch mode decides between averaging (HALFTONE) and dropping pixels.
    virtual BOOL StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc,
                            int ySrc, int nSrcWidth, int nSrcHeight, DWORD dwRop);
    // While enabled (DCB_ENABLE), the DC collects the bounding rectangle of every pixel it
    // draws, clipped. DCB_RESET empties it, DCB_ACCUMULATE adds lpRectBounds (logical).
    // Both return the state before: DCB_ENABLE or DCB_DISABLE, with DCB_SET when the
    // rectangle held something, else DCB_RESET.
    UINT SetBoundsRect(LPCRECT lpRectBounds, UINT flags);
    // The rectangle collected, in logical coordinates; DCB_RESET empties it afterwards.
    UINT GetBoundsRect(LPRECT lpRectBounds, UINT flags);
    // HORZRES, VERTRES, BITSPIXEL, PLANES, LOGPIXELSX, LOGPIXELSY.
    virtual int GetDeviceCaps(int nIndex) const;

    // The image this DC draws into (NULL for a DC without surface).
    QImage* GetImage() const { return m_pTarget; }
    // Device pixels per logical pixel of the surface (of the compatible one without surface).
    qreal GetDevicePixelRatio() const { return m_pTarget ? m_dRatio : m_dCompatibleRatio; }

protected:
    // Draw into an image; rectClip (device coordinates) limits all drawing.
    void AttachImage(QImage* pImage, const CRect& rectClip);
    void DetachImage();
    // Draw through an active painter on a document device, one device unit per logical unit;
    // NULL detaches it.
    void AttachPainter(QPainter* pPainter) { m_pPainter = pPainter; }

private:
    struct State {
        CPen* pPen = nullptr;
        CBrush* pBrush = nullptr;
        CFont* pFont = nullptr;   // NULL: the default font
        CPen pen;                 // what the selected objects held
        CBrush brush;
        CTextCache::FontPtr pFontInfo;   // NULL: the default font
        LONG nFontWeight = FW_NORMAL;
        COLORREF crText = 0;
        COLORREF crBk = RGB(255, 255, 255);
        int nBkMode = OPAQUE;
        int nRop2 = R2_COPYPEN;
        int nStretchMode = BLACKONWHITE;
        CPoint ptOrg;
        CPoint ptCurrent;
    };
    struct TextLine;

    CTextCache::FontPtr CurrentFont() const;
    void ResetState();
    // "Device" coordinates below are logical ones with the window origin applied; "pixels"
    // are the image's own.
    QRect ToDevice(int l, int t, int r, int b) const;
    QRect SurfaceRect() const;   // the image, in device coordinates
    QRect DeviceClip() const;
    QRect ToPixels(const QRect& rect) const;
    QRect ToImagePixels(const QRect& rect) const;
    QRect PixelClip() const;
    void AddBounds(const QRect& rect);   // device coordinates, already clipped
    void FillDevice(const QRect& rect, COLORREF cr);
    void InvertDevice(const QRect& rect);
    void FillPixels(const QRect& rect, QRgb px);   // pixels, within the image
    void InvertPixels(const QRect& rect);
    // A blit between images of different device pixel ratios, or a stretch.
    BOOL StretchPixels(const CRect& rectDest, CDC* pSrcDC, CRect rectSrc);
    void HorzLine(int x1, int x2, int y, COLORREF cr, bool bInvert);   // device, x2 excluded
    void VertLine(int x, int y1, int y2, COLORREF cr, bool bInvert);   // device, y2 excluded
    void ThinLine(CPoint ptFrom, CPoint ptTo, COLORREF cr, bool bInvert);
    void WideLine(CPoint ptFrom, CPoint ptTo, const CPen& pen);
    void FrameDevice(const QRect& rect, COLORREF crTopLeft, COLORREF crBottomRight, UINT nSides);
    std::vector<TextLine> LayoutText(const CTextCache::FontInfo& font, const QString& text,
                                     int nWidth, UINT nFormat) const;
    void PlaceLines(const CTextCache::FontInfo& font, std::vector<TextLine>& lines, const CRect& rect,
                    int yTop, UINT nFormat) const;
    void DrawTextLines(const CTextCache::FontInfo& font, const std::vector<TextLine>& lines,
                       const QRect& rectClip);
    QString ToDrawText(LPCTSTR lpszString, int nCount, UINT nFormat) const;
    void PaintFill(const CRect& rect, COLORREF cr);
    void PaintText(int x, int y, const CTextCache::FontInfo& font, const QString& text);
    void PaintImage(const CRect& rectDest, CDC* pSrcDC, const CRect& rectSrc);

    QImage* m_pTarget = nullptr;
    qreal m_dRatio = 1;             // of m_pTarget
    qreal m_dCompatibleRatio = 1;
    QPainter* m_pPainter = nullptr;
    CRect m_rectClip;               // device coordinates, within the image
    BOOL m_bMemoryDC = FALSE;
    CBitmap* m_pBitmap = nullptr;   // selected bitmap of a memory DC
    State m_state;
    std::vector<State> m_saved;
    BOOL m_bBounds = FALSE;
    QRect m_rectBounds;             // device coordinates
};

// The DC of a window's client area outside painting (GetDC). Drawing goes to the window's
// backing image and reaches the screen when the DC is released.
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

protected:
    CWnd* m_pWnd;
};

// The DC of a paint handler: clipped to the area being painted.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    CRect m_rcPaint;

protected:
    CWnd* m_pWnd;
};
