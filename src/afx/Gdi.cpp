#include "Gdi.h"

#include "Codec.h"
#include "Font.h"
#include "Resource.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

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
    const int nLength = AfxWholeCharsLength(pszFace, (int)std::strlen(pszFace), LF_FACESIZE - 1);
    std::memcpy(pszDest, pszFace, (size_t)nLength);
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

// Beyond these a file holds no certificate picture, and decoding it would only exhaust memory.
constexpr qint64 kMaxPictureFileBytes = 64 * 1024 * 1024;
constexpr qint64 kMaxPicturePixels = 40 * 1000 * 1000;

// Whether a JPEG stream is whole: the end-of-image marker follows its last scan header (inside
// a scan no marker byte pair can occur). The decoder fills a picture cut short with grey and
// calls that a success.
bool IsCompleteJpeg(const QByteArray& data)
{
    const qsizetype nScan = data.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    return nScan >= 0 && data.indexOf(QByteArrayView("\xFF\xD9", 2), nScan) > nScan;
}

// The size is read from the header first, so a header claiming 60000 x 60000 costs nothing.
BOOL DecodePicture(const QByteArray& data, QImage& image)
{
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return FALSE;
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && (size.isEmpty() || (qint64)size.width() * size.height() > kMaxPicturePixels))
        return FALSE;
    if (reader.format() == "jpeg" && !IsCompleteJpeg(data))
        return FALSE;
    QImage decoded;
    if (!reader.read(&decoded) || decoded.isNull())
        return FALSE;
    image = decoded.convertToFormat(QImage::Format_RGB32);
    return !image.isNull();
}

BOOL ReadPictureFile(const QString& path, QImage& image)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxPictureFileBytes)
        return FALSE;
    return DecodePicture(file.readAll(), image);
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

BOOL CBitmap::LoadBitmap(UINT nIDResource)
{
    const char* pszPath = AfxFindBitmap(nIDResource);
    if (!pszPath || !ReadPictureFile(QString::fromUtf8(pszPath), m_image))
        return FALSE;
    m_bValid = TRUE;
    return TRUE;
}

BOOL CBitmap::LoadPicture(LPCTSTR lpszPathName)
{
    if (!lpszPathName || !ReadPictureFile(Codec::ToUnicode(CString(lpszPathName)), m_image))
        return FALSE;
    m_bValid = TRUE;
    return TRUE;
}

int CBitmap::GetBitmap(BITMAP* pBitMap) const
{
    if (!m_bValid || !pBitMap)
        return 0;
    pBitMap->bmType = 0;
    pBitMap->bmWidth = m_image.width();
    pBitMap->bmHeight = m_image.height();
    pBitMap->bmWidthBytes = (LONG)m_image.bytesPerLine();
    pBitMap->bmPlanes = 1;
    pBitMap->bmBitsPixel = (WORD)m_image.depth();
    pBitMap->bmBits = nullptr;
    return (int)sizeof(BITMAP);
}
