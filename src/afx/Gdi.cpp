#include "Gdi.h"

#include "Font.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kScreenDpi = 96;

// Stock brushes: WHITE_BRUSH 0, LTGRAY_BRUSH 1, GRAY_BRUSH 2, DKGRAY_BRUSH 3, BLACK_BRUSH 4.
const COLORREF kStockBrushColors[] = { RGB(255, 255, 255), RGB(192, 192, 192),
                                       RGB(128, 128, 128), RGB(64, 64, 64), RGB(0, 0, 0) };

// Copies a face name, cut at 31 bytes but never between the two bytes of a character.
void CopyFaceName(CHAR* pszDest, LPCTSTR pszFace)
{
    std::memset(pszDest, 0, LF_FACESIZE);
    if (!pszFace)
        return;
    size_t nLength = 0;
    while (pszFace[nLength] != '\0') {
        unsigned char b = (unsigned char)pszFace[nLength];
        size_t nChar = (b >= 0x81 && b <= 0xFE && pszFace[nLength + 1] != '\0') ? 2 : 1;
        if (nLength + nChar > LF_FACESIZE - 1)
            break;
        nLength += nChar;
    }
    std::memcpy(pszDest, pszFace, nLength);
}

// A bitmap as the window system makes it: black, and 1 x 1 when a side is 0.
BOOL CreateBlackImage(QImage& image, int nWidth, int nHeight)
{
    if (nWidth < 0 || nHeight < 0)
        return FALSE;
    image = QImage(std::max(nWidth, 1), std::max(nHeight, 1), QImage::Format_RGB32);
    if (image.isNull())
        return FALSE;
    image.fill(Qt::black);
    return TRUE;
}

} // namespace

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
{
    m_nStyle = nPenStyle;
    m_nWidth = std::max(nWidth, 0);
    m_crColor = crColor;
    m_bValid = TRUE;
    return TRUE;
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor)
{
    m_bNull = FALSE;
    m_crColor = crColor;
    m_bValid = TRUE;
    return TRUE;
}

BOOL CBrush::CreateStockObject(int nIndex)
{
    if (nIndex == NULL_BRUSH) {
        m_bNull = TRUE;
        m_crColor = 0;
    } else if (nIndex >= 0 && nIndex < (int)std::size(kStockBrushColors)) {
        m_bNull = FALSE;
        m_crColor = kStockBrushColors[nIndex];
    } else {
        return FALSE;
    }
    m_bValid = TRUE;
    return TRUE;
}

BOOL CFont::CreateFontIndirect(const LOGFONT* lpLogFont)
{
    if (!lpLogFont)
        return FALSE;
    m_lf = *lpLogFont;
    m_font = Font::FromLogFont(m_lf);
    m_bValid = TRUE;
    return TRUE;
}

BOOL CFont::CreateFont(int nHeight, int nWidth, int nEscapement, int nOrientation, int nWeight,
                       BYTE bItalic, BYTE bUnderline, BYTE cStrikeOut, BYTE nCharSet,
                       BYTE nOutPrecision, BYTE nClipPrecision, BYTE nQuality,
                       BYTE nPitchAndFamily, LPCTSTR lpszFacename)
{
    LOGFONT lf {};
    lf.lfHeight = nHeight;
    lf.lfWidth = nWidth;
    lf.lfEscapement = nEscapement;
    lf.lfOrientation = nOrientation;
    lf.lfWeight = nWeight;
    lf.lfItalic = bItalic;
    lf.lfUnderline = bUnderline;
    lf.lfStrikeOut = cStrikeOut;
    lf.lfCharSet = nCharSet;
    lf.lfOutPrecision = nOutPrecision;
    lf.lfClipPrecision = nClipPrecision;
    lf.lfQuality = nQuality;
    lf.lfPitchAndFamily = nPitchAndFamily;
    CopyFaceName(lf.lfFaceName, lpszFacename);
    return CreateFontIndirect(&lf);
}

// nPointSize is in tenths of a point; the height becomes a negative (em) height in pixels of
// a 96 dpi device, rounded as the window system's MulDiv rounds.
BOOL CFont::CreatePointFont(int nPointSize, LPCTSTR lpszFaceName, CDC* /*pDC*/)
{
    LOGFONT lf {};
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfHeight = -(LONG)std::lround(std::abs((double)nPointSize) * kScreenDpi / 720.0);
    CopyFaceName(lf.lfFaceName, lpszFaceName);
    return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONT* pLogFont) const
{
    if (!m_bValid)
        return 0;
    if (pLogFont)
        *pLogFont = m_lf;
    return (int)sizeof(LOGFONT);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* /*pDC*/, int nWidth, int nHeight)
{
    m_bValid = CreateBlackImage(m_image, nWidth, nHeight);
    return m_bValid;
}

BOOL CBitmap::CreateBitmap(int nWidth, int nHeight)
{
    m_bValid = CreateBlackImage(m_image, nWidth, nHeight);
    return m_bValid;
}
