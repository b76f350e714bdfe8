// Drawing objects: pens, brushes, fonts and bitmaps. Fonts keep their LOGFONT; the Qt font
// with the window system's height rules is made from it (Font.h).
#pragma once

#include "afxtypes.h"

#include <QFont>
#include <QImage>

class CDC;

// CreateFont's precision and quality values; the platform's renderer has no use for them.
#ifndef OUT_STRING_PRECIS
#define OUT_DEFAULT_PRECIS 0
#define OUT_STRING_PRECIS 1
#define CLIP_DEFAULT_PRECIS 0
#define CLIP_CHARACTER_PRECIS 1
#define DEFAULT_QUALITY 0
#endif

class CGdiObject {
public:
    virtual ~CGdiObject() = default;
    BOOL DeleteObject() { BOOL b = m_bValid; m_bValid = FALSE; return b; }
    BOOL IsValid() const { return m_bValid; }

protected:
    BOOL m_bValid = FALSE;
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    int m_nStyle = PS_SOLID;
    int m_nWidth = 0;   // 0 and 1 both draw one pixel wide
    COLORREF m_crColor = 0;
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
    BOOL CreateSolidBrush(COLORREF crColor);
    BOOL CreateStockObject(int nIndex);   // NULL_BRUSH
    BOOL m_bNull = FALSE;
    COLORREF m_crColor = 0;
};

class CFont : public CGdiObject {
public:
    BOOL CreateFontIndirect(const LOGFONT* lpLogFont);
    BOOL CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                    BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                    BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality,
                    BYTE nPitchAndFamily, LPCTSTR lpszFacename);
    BOOL CreatePointFont(int nPointSize, LPCTSTR lpszFaceName, CDC* pDC = nullptr);
    int GetLogFont(LOGFONT* pLogFont) const;   // 0 when the font was never created
    const LOGFONT& LogFont() const { return m_lf; }
    const QFont& GetQFont() const { return m_font; }

private:
    LOGFONT m_lf {};
    QFont m_font;
};
typedef CFont* HFONT;

// What GetBitmap tells of a bitmap.
struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

// A device-dependent bitmap: an RGB image that a memory DC draws into. Its size is in logical
// pixels; a bitmap compatible with a DC has that DC's device pixel ratio, any other one pixel
// per logical pixel.
class CBitmap : public CGdiObject {
public:
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    BOOL CreateBitmap(int nWidth, int nHeight);
    // A bitmap resource of the program (AfxRegisterBitmap).
    BOOL LoadBitmap(UINT nIDResource);
    // Decodes a picture file (JPEG, PNG ...). FALSE, and the bitmap unchanged, for a file that
    // cannot be read, holds no picture the reader knows, is cut short, or claims a size beyond
    // what a picture can sensibly have; none of these costs more than reading the header.
    BOOL LoadPicture(LPCTSTR lpszPathName);
    int GetBitmap(BITMAP* pBitMap) const;   // 0 for a bitmap that was never made; logical size
    qreal GetDevicePixelRatio() const;
    QImage& Image() { return m_image; }
    const QImage& Image() const { return m_image; }

private:
    QImage m_image;
};
