#include "Dc.h"

#include "Codec.h"
#include "Font.h"
#include "TextCache.h"
#include "Wnd.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// Pixels are 32-bit words 0xffRRGGBB; COLORREF is 0x00BBGGRR.
QRgb ToPixel(COLORREF cr)
{
    return qRgb(GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

COLORREF FromPixel(QRgb px)
{
    return RGB(qRed(px), qGreen(px), qBlue(px));
}

constexpr QRgb kInvertMask = 0x00FFFFFF;

QRect ToQRect(const CRect& r)
{
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// Direct access to the rows of a 32-bit image; detaches it once, not once per row.
class Rows {
public:
    explicit Rows(QImage& image) : m_pBits(image.bits()), m_nStride(image.bytesPerLine()) {}
    QRgb* operator[](int y) const { return reinterpret_cast<QRgb*>(m_pBits + y * m_nStride); }

private:
    uchar* m_pBits;
    qsizetype m_nStride;
};

// The objects a DC starts with and SelectStockObject hands out, shared by all DCs.
struct StockObjects {
    StockObjects()
    {
        penBlack.CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
        penWhite.CreatePen(PS_SOLID, 0, RGB(255, 255, 255));
        penNull.CreatePen(PS_NULL, 0, 0);
        for (int i = 0; i < 5; ++i)
            brushes[i].CreateStockObject(i);
        brushNull.CreateStockObject(NULL_BRUSH);
    }
    CPen penBlack;
    CPen penWhite;
    CPen penNull;
    CBrush brushes[5];   // WHITE_BRUSH .. BLACK_BRUSH
    CBrush brushNull;
    CBitmap bitmap;      // the pixel-less bitmap of a fresh memory DC
};

StockObjects& Stock()
{
    static StockObjects stock;
    return stock;
}

// The font of a DC that has none selected: the application font.
CFont& DefaultFont()
{
    static CFont font;
    if (!font.IsValid()) {
        LOGFONT lf = Font::ToLogFont(QGuiApplication::font());
        font.CreateFontIndirect(&lf);
    }
    return font;
}

// Closing punctuation, which must not start a line.
bool IsNoBreakBefore(QChar ch)
{
    static const QString s_closing = QStringLiteral("，。、；：？！）》」』】〕〉”’．,.;:?!)]}");
    return s_closing.contains(ch);
}

bool IsWideChar(QChar ch)
{
    return ch.unicode() >= 0x2E80;
}

bool IsBlank(QChar ch)
{
    return ch == QLatin1Char(' ') || ch == QLatin1Char('\t');
}

// Whether a line may break right before position i: after blanks, and on either side of a
// Chinese character (never before closing punctuation).
bool IsBreakBefore(const QString& text, int i)
{
    if (i <= 0 || i >= text.size())
        return false;
    QChar prev = text[i - 1], ch = text[i];
    if (IsBlank(ch) || IsNoBreakBefore(ch) || ch.isLowSurrogate())
        return false;
    if (IsBlank(prev))
        return true;
    return IsWideChar(prev) || IsWideChar(ch);
}

QString TrimmedRight(const QString& text, int nFrom, int nTo)
{
    while (nTo > nFrom && IsBlank(text[nTo - 1]))
        --nTo;
    return text.mid(nFrom, nTo - nFrom);
}

// Splits one paragraph into lines no wider than nWidth; a word wider than that stands alone
// on its line.
void BreakParagraph(const QString& text, int nWidth, const QFontMetrics& fm, QStringList& lines)
{
    int nStart = 0;
    const int nLength = (int)text.size();
    while (nStart < nLength) {
        if (fm.horizontalAdvance(TrimmedRight(text, nStart, nLength)) <= nWidth) {
            lines.append(TrimmedRight(text, nStart, nLength));
            return;
        }
        int nBreak = -1;
        for (int i = nStart + 1; i < nLength; ++i) {
            if (!IsBreakBefore(text, i))
                continue;
            if (nBreak >= 0 && fm.horizontalAdvance(TrimmedRight(text, nStart, i)) > nWidth)
                break;
            nBreak = i;
        }
        if (nBreak < 0) {
            lines.append(TrimmedRight(text, nStart, nLength));
            return;
        }
        lines.append(TrimmedRight(text, nStart, nBreak));
        nStart = nBreak;
    }
}

// "&&" is one '&'; a single '&' marks the next character and is not drawn.
QString RemovePrefixes(const QString& text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&'))
                result.append(QLatin1Char('&'));
            ++i;
            if (i < text.size() && text[i] != QLatin1Char('&'))
                result.append(text[i]);
            continue;
        }
        result.append(text[i]);
    }
    return result;
}

// Where the glyphs of another font go so that they stand on font's baseline.
QPoint BaselineShift(const CTextCache::FontInfo& font, const CTextCache::FontInfo& glyphs)
{
    return QPoint(0, font.nAscent - glyphs.nAscent);
}

QString ToUnicode(LPCTSTR lpszString, int nCount)
{
    if (!lpszString)
        return QString();
    if (nCount < 0)
        nCount = (int)std::strlen(lpszString);
    return Codec::ToUnicode(lpszString, nCount);
}

} // namespace

// One line of DrawText: its text, advance width and top-left corner (device coordinates).
struct CDC::TextLine {
    QString text;
    int nWidth = 0;
    QPoint ptTopLeft;
};

CDC::CDC()
{
    ResetState();
}

void CDC::ResetState()
{
    m_state = State();
    SelectObject(&Stock().penBlack);
    SelectObject(&Stock().brushes[WHITE_BRUSH]);
}

CDC::~CDC() = default;

// ---------------------------------------------------------------------------------------------
// Surface, objects and state

BOOL CDC::CreateCompatibleDC(CDC* /*pDC*/)
{
    DeleteDC();
    m_bMemoryDC = TRUE;
    return TRUE;
}

BOOL CDC::DeleteDC()
{
    BOOL bHad = m_bMemoryDC || m_pTarget;
    DetachImage();
    m_bMemoryDC = FALSE;
    m_saved.clear();
    ResetState();
    return bHad;
}

void CDC::AttachImage(QImage* pImage, const CRect& rectClip)
{
    m_pTarget = pImage;
    m_rectClip.SetRectEmpty();
    if (!pImage || pImage->isNull())
        return;
    // Pixels are written directly as 32-bit words.
    QImage::Format format = pImage->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32
        && format != QImage::Format_ARGB32_Premultiplied)
        pImage->convertTo(QImage::Format_RGB32);
    SetClipRect(rectClip);
}

void CDC::DetachImage()
{
    m_pTarget = nullptr;
    m_pBitmap = nullptr;
    m_rectClip.SetRectEmpty();
}

void CDC::SetClipRect(const CRect& rect)
{
    if (!m_pTarget) {
        m_rectClip = rect;
        return;
    }
    CRect rectImage(0, 0, m_pTarget->width(), m_pTarget->height());
    m_rectClip.IntersectRect(&rect, &rectImage);
}

int CDC::GetClipBox(LPRECT lpRect) const
{
    if (!m_pTarget) {
        if (lpRect)
            *lpRect = CRect();
        return ERROR;
    }
    CRect rect = m_rectClip;
    if (rect.IsRectEmpty()) {
        if (lpRect)
            *lpRect = CRect();
        return NULLREGION;
    }
    rect.OffsetRect(m_state.ptOrg);
    if (lpRect)
        *lpRect = rect;
    return SIMPLEREGION;
}

CPen* CDC::SelectObject(CPen* pPen)
{
    if (!pPen)
        return nullptr;
    CPen* pOld = m_state.pPen;
    m_state.pPen = pPen;
    m_state.pen = *pPen;
    return pOld;
}

CBrush* CDC::SelectObject(CBrush* pBrush)
{
    if (!pBrush)
        return nullptr;
    CBrush* pOld = m_state.pBrush;
    m_state.pBrush = pBrush;
    m_state.brush = *pBrush;
    return pOld;
}

CFont* CDC::SelectObject(CFont* pFont)
{
    if (!pFont)
        return nullptr;
    CFont* pOld = GetCurrentFont();
    m_state.pFont = pFont;
    m_state.pFontInfo = CTextCache::Font(pFont->GetQFont());
    m_state.nFontWeight = pFont->LogFont().lfWeight > 0 ? pFont->LogFont().lfWeight : FW_NORMAL;
    return pOld;
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap)
{
    if (!m_bMemoryDC)
        return nullptr;
    CBitmap* pOld = m_pBitmap ? m_pBitmap : &Stock().bitmap;
    if (!pBitmap || pBitmap == &Stock().bitmap) {
        DetachImage();
        return pOld;
    }
    if (pBitmap->Image().isNull())
        return nullptr;
    QImage* pImage = &pBitmap->Image();
    AttachImage(pImage, CRect(0, 0, pImage->width(), pImage->height()));
    m_pBitmap = pBitmap;
    return pOld;
}

CGdiObject* CDC::SelectStockObject(int nIndex)
{
    StockObjects& stock = Stock();
    switch (nIndex) {
    case NULL_PEN: return SelectObject(&stock.penNull);
    case BLACK_PEN: return SelectObject(&stock.penBlack);
    case WHITE_PEN: return SelectObject(&stock.penWhite);
    case NULL_BRUSH: return SelectObject(&stock.brushNull);
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: return SelectObject(&DefaultFont());
    default:
        if (nIndex >= WHITE_BRUSH && nIndex <= BLACK_BRUSH)
            return SelectObject(&stock.brushes[nIndex]);
        return nullptr;
    }
}

CFont* CDC::GetCurrentFont() const
{
    return m_state.pFont ? m_state.pFont : &DefaultFont();
}

CTextCache::FontPtr CDC::CurrentFont() const
{
    return m_state.pFontInfo ? m_state.pFontInfo : CTextCache::Font(DefaultFont().GetQFont());
}

int CDC::SaveDC()
{
    m_saved.push_back(m_state);
    return (int)m_saved.size();
}

BOOL CDC::RestoreDC(int nSavedDC)
{
    int nIndex = nSavedDC < 0 ? (int)m_saved.size() + nSavedDC : nSavedDC - 1;
    if (nSavedDC == 0 || nIndex < 0 || nIndex >= (int)m_saved.size())
        return FALSE;
    m_state = m_saved[(size_t)nIndex];
    m_saved.resize((size_t)nIndex);
    return TRUE;
}

COLORREF CDC::SetTextColor(COLORREF cr)
{
    return std::exchange(m_state.crText, cr);
}

COLORREF CDC::SetBkColor(COLORREF cr)
{
    return std::exchange(m_state.crBk, cr);
}

int CDC::SetBkMode(int nMode)
{
    if (nMode != TRANSPARENT && nMode != OPAQUE)
        return 0;
    return std::exchange(m_state.nBkMode, nMode);
}

int CDC::SetROP2(int nDrawMode)
{
    return std::exchange(m_state.nRop2, nDrawMode);
}

int CDC::SetStretchBltMode(int nStretchMode)
{
    if (nStretchMode < BLACKONWHITE || nStretchMode > HALFTONE)
        return 0;
    return std::exchange(m_state.nStretchMode, nStretchMode);
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    return std::exchange(m_state.ptOrg, CPoint(x, y));
}

int CDC::GetDeviceCaps(int nIndex) const
{
    switch (nIndex) {
    case HORZRES: return m_pTarget ? m_pTarget->width() : 0;
    case VERTRES: return m_pTarget ? m_pTarget->height() : 0;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
    }
}

// ---------------------------------------------------------------------------------------------
// Pixels

QRect CDC::ToDevice(int l, int t, int r, int b) const
{
    return QRect(l - m_state.ptOrg.x, t - m_state.ptOrg.y, r - l, b - t);
}

// Also within the image, which its owner may have resized since the clip was set.
QRect CDC::DeviceClip() const
{
    return m_pTarget ? ToQRect(m_rectClip).intersected(m_pTarget->rect()) : QRect();
}

void CDC::FillDevice(const QRect& rect, COLORREF cr)
{
    QRect r = rect.intersected(DeviceClip());
    if (r.isEmpty())
        return;
    AddBounds(r);
    const QRgb px = ToPixel(cr);
    const Rows rows(*m_pTarget);
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::fill_n(rows[y] + r.left(), r.width(), px);
}

void CDC::AddBounds(const QRect& rect)
{
    if (m_bBounds)
        m_rectBounds |= rect;
}

UINT CDC::SetBoundsRect(LPCRECT lpRectBounds, UINT flags)
{
    const UINT nOld = (m_bBounds ? DCB_ENABLE : DCB_DISABLE) | (m_rectBounds.isEmpty() ? DCB_RESET : DCB_SET);
    if (flags & DCB_RESET)
        m_rectBounds = QRect();
    if ((flags & DCB_ACCUMULATE) && lpRectBounds)
        m_rectBounds |= ToDevice(lpRectBounds->left, lpRectBounds->top, lpRectBounds->right, lpRectBounds->bottom);
    if (flags & DCB_ENABLE)
        m_bBounds = TRUE;
    else if (flags & DCB_DISABLE)
        m_bBounds = FALSE;
    return nOld;
}

UINT CDC::GetBoundsRect(LPRECT lpRectBounds, UINT flags)
{
    const UINT nState = m_rectBounds.isEmpty() ? DCB_RESET : DCB_SET;
    if (lpRectBounds) {
        const QRect& r = m_rectBounds;
        const QRect rLogical = r.translated(m_state.ptOrg.x, m_state.ptOrg.y);
        *lpRectBounds = r.isEmpty() ? CRect(0, 0, 0, 0)
                                    : CRect(rLogical.left(), rLogical.top(), rLogical.left() + rLogical.width(),
                                            rLogical.top() + rLogical.height());
    }
    if (flags & DCB_RESET)
        m_rectBounds = QRect();
    return nState;
}

void CDC::InvertDevice(const QRect& rect)
{
    QRect r = rect.intersected(DeviceClip());
    if (r.isEmpty())
        return;
    AddBounds(r);
    const Rows rows(*m_pTarget);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb* p = rows[y] + r.left();
        for (int i = 0; i < r.width(); ++i)
            p[i] ^= kInvertMask;
    }
}

void CDC::HorzLine(int x1, int x2, int y, COLORREF cr, bool bInvert)
{
    QRect r(x1, y, x2 - x1, 1);
    bInvert ? InvertDevice(r) : FillDevice(r, cr);
}

void CDC::VertLine(int x, int y1, int y2, COLORREF cr, bool bInvert)
{
    QRect r(x, y1, 1, y2 - y1);
    bInvert ? InvertDevice(r) : FillDevice(r, cr);
}

// A one-pixel line from ptFrom up to, not including, ptTo (device coordinates).
void CDC::ThinLine(CPoint ptFrom, CPoint ptTo, COLORREF cr, bool bInvert)
{
    if (ptFrom.y == ptTo.y) {
        if (ptTo.x > ptFrom.x)
            HorzLine(ptFrom.x, ptTo.x, ptFrom.y, cr, bInvert);
        else
            HorzLine(ptTo.x + 1, ptFrom.x + 1, ptFrom.y, cr, bInvert);
        return;
    }
    if (ptFrom.x == ptTo.x) {
        if (ptTo.y > ptFrom.y)
            VertLine(ptFrom.x, ptFrom.y, ptTo.y, cr, bInvert);
        else
            VertLine(ptFrom.x, ptTo.y + 1, ptFrom.y + 1, cr, bInvert);
        return;
    }
    const QRect clip = DeviceClip();
    const QRect bounds = QRect(QPoint(ptFrom.x, ptFrom.y), QPoint(ptTo.x, ptTo.y)).normalized();
    if (!bounds.intersects(clip))
        return;
    AddBounds(bounds & clip);
    const QRgb px = ToPixel(cr);
    int x = ptFrom.x, y = ptFrom.y;
    const int dx = std::abs(ptTo.x - x), sx = x < ptTo.x ? 1 : -1;
    const int dy = -std::abs(ptTo.y - y), sy = y < ptTo.y ? 1 : -1;
    int err = dx + dy;
    const Rows rows(*m_pTarget);
    while (x != ptTo.x || y != ptTo.y) {
        if (clip.contains(x, y)) {
            QRgb& pixel = rows[y][x];
            pixel = bInvert ? pixel ^ kInvertMask : px;
        }
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
}

// Wide pens draw both ends, rounded, as geometric lines do.
void CDC::WideLine(CPoint ptFrom, CPoint ptTo, const CPen& pen)
{
    QPainter painter;
    if (!painter.begin(m_pTarget))
        return;
    painter.setClipRect(DeviceClip());
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(QColor(ToPixel(pen.m_crColor)), pen.m_nWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (m_state.nRop2 == R2_NOT)
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter.drawLine(QPoint(ptFrom.x, ptFrom.y), QPoint(ptTo.x, ptTo.y));
    painter.end();
    const int nHalf = pen.m_nWidth / 2 + 1;
    const QRect rectLine = QRect(QPoint(ptFrom.x, ptFrom.y), QPoint(ptTo.x, ptTo.y)).normalized();
    AddBounds(rectLine.adjusted(-nHalf, -nHalf, nHalf, nHalf) & DeviceClip());
}

// A one-pixel frame on the inside of rect: left and top in crTopLeft, then right and bottom
// in crBottomRight (which so owns the top-right and bottom-left corners).
void CDC::FrameDevice(const QRect& rect, COLORREF crTopLeft, COLORREF crBottomRight, UINT nSides)
{
    if (rect.isEmpty())
        return;
    const int l = rect.left(), t = rect.top(), r = l + rect.width(), b = t + rect.height();
    if (nSides & BF_LEFT)
        VertLine(l, t, b, crTopLeft, false);
    if (nSides & BF_TOP)
        HorzLine(l, r, t, crTopLeft, false);
    if (nSides & BF_RIGHT)
        VertLine(r - 1, t, b, crBottomRight, false);
    if (nSides & BF_BOTTOM)
        HorzLine(l, r, b - 1, crBottomRight, false);
}

COLORREF CDC::GetPixel(int x, int y) const
{
    const QPoint pt(x - m_state.ptOrg.x, y - m_state.ptOrg.y);
    if (!DeviceClip().contains(pt))
        return CLR_INVALID;
    return FromPixel(m_pTarget->pixel(pt));
}

COLORREF CDC::SetPixel(int x, int y, COLORREF cr)
{
    const QPoint pt(x - m_state.ptOrg.x, y - m_state.ptOrg.y);
    if (!DeviceClip().contains(pt))
        return CLR_INVALID;
    AddBounds(QRect(pt, QSize(1, 1)));
    const Rows rows(*m_pTarget);
    rows[pt.y()][pt.x()] = ToPixel(cr);
    return cr;
}

// ---------------------------------------------------------------------------------------------
// Rectangles and lines

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush)
{
    if (!lpRect || !pBrush || pBrush->m_bNull)
        return;
    if (m_pPainter) {
        PaintFill(*lpRect, pBrush->m_crColor);
        return;
    }
    if (!m_pTarget)
        return;
    FillDevice(ToDevice(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom), pBrush->m_crColor);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF cr)
{
    if (!lpRect)
        return;
    FillSolidRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                  lpRect->bottom - lpRect->top, cr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF cr)
{
    m_state.crBk = cr;
    CRect rect(x, y, x + cx, y + cy);
    rect.NormalizeRect();
    if (m_pPainter) {
        PaintFill(rect, cr);
        return;
    }
    if (!m_pTarget)
        return;
    FillDevice(ToDevice(rect.left, rect.top, rect.right, rect.bottom), cr);
}

void CDC::FrameRect(LPCRECT lpRect, CBrush* pBrush)
{
    if (!lpRect || !pBrush || pBrush->m_bNull || !m_pTarget)
        return;
    const COLORREF cr = pBrush->m_crColor;
    FrameDevice(ToDevice(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom), cr, cr, BF_RECT);
}

void CDC::Draw3dRect(LPCRECT lpRect, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    if (!lpRect)
        return;
    Draw3dRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left,
               lpRect->bottom - lpRect->top, clrTopLeft, clrBottomRight);
}

// Four solid fills, which leave the background colour at clrBottomRight.
void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
    FillSolidRect(x + cx, y, -1, cy, clrBottomRight);
    FillSolidRect(x, y + cy, cx, -1, clrBottomRight);
}

// Rings from the outside in: an outer edge on the rectangle's border and an inner one a pixel
// inside it; an inner edge alone takes the border.
BOOL CDC::DrawEdge(LPRECT lpRect, UINT nEdge, UINT nFlags)
{
    if (!lpRect)
        return FALSE;
    if (!m_pTarget)
        return TRUE;
    QRect rect = ToDevice(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom);
    struct Ring { UINT nRaised, nSunken; int nRaisedTL, nRaisedBR, nSunkenTL, nSunkenBR; };
    const Ring rings[] = {
        { BDR_RAISEDOUTER, BDR_SUNKENOUTER, COLOR_3DLIGHT, COLOR_3DDKSHADOW, COLOR_3DSHADOW, COLOR_3DHIGHLIGHT },
        { BDR_RAISEDINNER, BDR_SUNKENINNER, COLOR_3DHIGHLIGHT, COLOR_3DSHADOW, COLOR_3DDKSHADOW, COLOR_3DLIGHT },
    };
    for (const Ring& ring : rings) {
        if (nEdge & ring.nRaised)
            FrameDevice(rect, GetSysColor(ring.nRaisedTL), GetSysColor(ring.nRaisedBR), nFlags);
        else if (nEdge & ring.nSunken)
            FrameDevice(rect, GetSysColor(ring.nSunkenTL), GetSysColor(ring.nSunkenBR), nFlags);
        else
            continue;
        rect.adjust(1, 1, -1, -1);
    }
    return TRUE;
}

void CDC::InvertRect(LPCRECT lpRect)
{
    if (!lpRect || !m_pTarget)
        return;
    InvertDevice(ToDevice(lpRect->left, lpRect->top, lpRect->right, lpRect->bottom));
}

BOOL CDC::PatBlt(int x, int y, int nWidth, int nHeight, DWORD dwRop)
{
    CRect rect(x, y, x + nWidth, y + nHeight);
    rect.NormalizeRect();
    const QRect r = ToDevice(rect.left, rect.top, rect.right, rect.bottom);
    switch (dwRop) {
    case PATCOPY:
        if (!m_state.brush.m_bNull && m_pTarget)
            FillDevice(r, m_state.brush.m_crColor);
        return TRUE;
    case DSTINVERT:
        if (m_pTarget)
            InvertDevice(r);
        return TRUE;
    case BLACKNESS:
    case WHITENESS:
        if (m_pTarget)
            FillDevice(r, dwRop == BLACKNESS ? RGB(0, 0, 0) : RGB(255, 255, 255));
        return TRUE;
    default:
        return FALSE;
    }
}

// Outline with the pen on the rectangle's inside edges, inside filled with the brush; without
// a pen the fill covers the outline's place too, less the right and bottom edge.
BOOL CDC::Rectangle(int x1, int y1, int x2, int y2)
{
    if (!m_pTarget)
        return TRUE;
    CRect rect(x1, y1, x2, y2);
    rect.NormalizeRect();
    const CPen& pen = m_state.pen;
    const CBrush& brush = m_state.brush;
    const bool bInvert = m_state.nRop2 == R2_NOT;
    const bool bPen = pen.m_nStyle != PS_NULL;
    QRect inside = bPen ? ToDevice(rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1)
                        : ToDevice(rect.left, rect.top, rect.right - 1, rect.bottom - 1);
    if (!brush.m_bNull)
        bInvert ? InvertDevice(inside) : FillDevice(inside, brush.m_crColor);
    if (!bPen)
        return TRUE;
    if (pen.m_nWidth > 1) {
        QPainter painter;
        if (!painter.begin(m_pTarget))
            return FALSE;
        painter.setClipRect(DeviceClip());
        painter.setPen(QPen(QColor(ToPixel(pen.m_crColor)), pen.m_nWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        if (bInvert)
            painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        const QRect outline = ToDevice(rect.left, rect.top, rect.right, rect.bottom);
        painter.drawRect(outline.adjusted(0, 0, -1, -1));
        const int nHalf = pen.m_nWidth / 2 + 1;
        AddBounds(outline.adjusted(-nHalf, -nHalf, nHalf, nHalf) & DeviceClip());
        return TRUE;
    }
    const QRect outline = ToDevice(rect.left, rect.top, rect.right, rect.bottom);
    if (bInvert) {
        // Each pixel once: the corners belong to the rows.
        const int l = outline.left(), t = outline.top();
        const int r = l + outline.width(), b = t + outline.height();
        HorzLine(l, r, t, 0, true);
        if (b - 1 > t)
            HorzLine(l, r, b - 1, 0, true);
        VertLine(l, t + 1, b - 1, 0, true);
        if (r - 1 > l)
            VertLine(r - 1, t + 1, b - 1, 0, true);
    } else {
        FrameDevice(outline, pen.m_crColor, pen.m_crColor, BF_RECT);
    }
    return TRUE;
}

CPoint CDC::MoveTo(int x, int y)
{
    return std::exchange(m_state.ptCurrent, CPoint(x, y));
}

BOOL CDC::LineTo(int x, int y)
{
    const CPoint ptFrom = m_state.ptCurrent - CSize(m_state.ptOrg.x, m_state.ptOrg.y);
    const CPoint ptTo = CPoint(x, y) - CSize(m_state.ptOrg.x, m_state.ptOrg.y);
    m_state.ptCurrent = CPoint(x, y);
    const CPen& pen = m_state.pen;
    if (!m_pTarget || pen.m_nStyle == PS_NULL)
        return TRUE;
    if (pen.m_nWidth > 1)
        WideLine(ptFrom, ptTo, pen);
    else
        ThinLine(ptFrom, ptTo, pen.m_crColor, m_state.nRop2 == R2_NOT);
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Text

QString CDC::ToDrawText(LPCTSTR lpszString, int nCount, UINT nFormat) const
{
    QString text = ToUnicode(lpszString, nCount);
    if (!(nFormat & DT_NOPREFIX))
        text = RemovePrefixes(text);
    return text;
}

// The lines of a DrawText, measured; positions are filled in by the caller.
std::vector<CDC::TextLine> CDC::LayoutText(const CTextCache::FontInfo& font, const QString& text,
                                           int nWidth, UINT nFormat) const
{
    QStringList lines;
    if (nFormat & DT_SINGLELINE) {
        // Line breaks are not breaks here and have no glyph.
        QString line = text;
        line.remove(QLatin1Char('\r'));
        line.remove(QLatin1Char('\n'));
        lines.append(line);
    } else {
        QString normal = text;
        normal.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        QStringList paragraphs = normal.split(QLatin1Char('\n'));
        if (paragraphs.size() > 1 && paragraphs.last().isEmpty())
            paragraphs.removeLast();   // a closing line break opens no line
        for (const QString& paragraph : paragraphs) {
            if (nFormat & DT_WORDBREAK)
                BreakParagraph(paragraph, nWidth, font.metrics, lines);
            else
                lines.append(paragraph);
        }
    }
    std::vector<TextLine> result;
    result.reserve((size_t)lines.size());
    for (QString& line : lines) {
        TextLine tl;
        tl.nWidth = CTextCache::Width(font, line);
        tl.text = std::move(line);
        result.push_back(std::move(tl));
    }
    return result;
}

// Draws the lines in the font and the text colour, over their text cells in the background
// colour when the mode is OPAQUE, clipped to rectClip; one painter for the whole call.
void CDC::DrawTextLines(const CTextCache::FontInfo& font, const std::vector<TextLine>& lines,
                        const QRect& rectClip)
{
    if (rectClip.isEmpty())
        return;
    if (m_state.nBkMode == OPAQUE) {
        for (const TextLine& line : lines)
            FillDevice(QRect(line.ptTopLeft, QSize(line.nWidth, font.nHeight)).intersected(rectClip), m_state.crBk);
    }
    // Glyphs may reach a little past their advance; clip unless the lines lie well inside.
    bool bNeedClip = false;
    bool bAnyVisible = false;
    for (const TextLine& line : lines) {
        const QRect box(line.ptTopLeft, QSize(line.nWidth, font.nHeight));
        if (line.text.isEmpty() || !box.adjusted(-2, 0, 2, 0).intersects(rectClip))
            continue;
        bAnyVisible = true;
        if (!rectClip.contains(box.adjusted(-2, 0, 2, 0)))
            bNeedClip = true;
    }
    if (!bAnyVisible)
        return;
    QPainter painter;
    if (!painter.begin(m_pTarget))
        return;
    if (bNeedClip)
        painter.setClipRect(rectClip);
    painter.setFont(font.font);
    painter.setPen(QColor(ToPixel(m_state.crText)));
    // Large text is copied from its picture drawn once, unless it has to be clipped.
    const bool bRendered = !bNeedClip && CTextCache::IsDrawnAsOutlines(font);
    const int nInk = CTextCache::InkMargin(font);
    const QRect rectInkClip = bNeedClip ? rectClip : m_pTarget->rect();
    for (const TextLine& line : lines) {
        if (line.text.isEmpty())
            continue;
        AddBounds(QRect(line.ptTopLeft, QSize(line.nWidth, font.nHeight)).adjusted(-nInk, -nInk, nInk, nInk)
                  & rectInkClip);
        const CTextCache::FontInfo& glyphs = CTextCache::GlyphFont(font, line.text);
        const QPoint ptGlyphs = line.ptTopLeft + BaselineShift(font, glyphs);
        if (bRendered) {
            QPoint ptOffset;
            const QImage& image = CTextCache::Rendered(glyphs, line.text, ToPixel(m_state.crText), ptOffset);
            painter.drawImage(ptGlyphs + ptOffset, image);
        } else {
            if (painter.font() != glyphs.font)
                painter.setFont(glyphs.font);
            painter.drawStaticText(ptGlyphs, CTextCache::Prepared(glyphs, line.text));
        }
    }
    painter.end();
}

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat)
{
    return DrawText(str, str.GetLength(), lpRect, nFormat);
}

int CDC::DrawText(LPCTSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat)
{
    if (!lpRect || !lpszString)
        return 0;
    const QString text = ToDrawText(lpszString, nCount, nFormat);
    CRect rect(*lpRect);
    const CTextCache::FontPtr font = CurrentFont();
    std::vector<TextLine> lines;
    if (!text.isEmpty())
        lines = LayoutText(*font, text, rect.Width(), nFormat);
    const int nLineHeight = font->nHeight;
    const int nTextHeight = (int)lines.size() * nLineHeight;

    if (nFormat & DT_CALCRECT) {
        int nWidth = 0;
        for (const TextLine& line : lines)
            nWidth = std::max(nWidth, line.nWidth);
        lpRect->right = lpRect->left + nWidth;
        lpRect->bottom = lpRect->top + nTextHeight;
        return nTextHeight;
    }

    // Vertical placement applies to a single line only.
    int yTop = rect.top;
    const bool bSingle = (nFormat & DT_SINGLELINE) != 0;
    if (bSingle && (nFormat & DT_VCENTER))
        yTop = rect.top + (rect.Height() - nLineHeight) / 2;
    else if (bSingle && (nFormat & DT_BOTTOM))
        yTop = rect.bottom - nLineHeight;
    const int nResult = bSingle && (nFormat & (DT_VCENTER | DT_BOTTOM)) ? yTop - rect.top + nLineHeight
                                                                         : nTextHeight;
    if (!m_pTarget || lines.empty())
        return nResult;
    PlaceLines(*font, lines, rect, yTop, nFormat);
    QRect rectClip = DeviceClip();
    if (!(nFormat & DT_NOCLIP))
        rectClip &= ToDevice(rect.left, rect.top, rect.right, rect.bottom);
    DrawTextLines(*font, lines, rectClip);
    return nResult;
}

// Cuts lines that do not fit (DT_END_ELLIPSIS) and aligns them in rect, the first line's top
// at yTop.
void CDC::PlaceLines(const CTextCache::FontInfo& font, std::vector<TextLine>& lines, const CRect& rect,
                     int yTop, UINT nFormat) const
{
    for (size_t i = 0; i < lines.size(); ++i) {
        TextLine& line = lines[i];
        if ((nFormat & DT_END_ELLIPSIS) && line.nWidth > rect.Width()) {
            line.text = CTextCache::Elided(font, line.text, rect.Width());
            line.nWidth = CTextCache::Width(font, line.text);
        }
        int x = rect.left;
        if (nFormat & DT_CENTER)
            x = rect.left + (rect.Width() - line.nWidth) / 2;
        else if (nFormat & DT_RIGHT)
            x = rect.right - line.nWidth;
        const int y = yTop + (int)i * font.nHeight;
        line.ptTopLeft = QPoint(x - m_state.ptOrg.x, y - m_state.ptOrg.y);
    }
}

BOOL CDC::TextOut(int x, int y, const CString& str)
{
    return TextOut(x, y, str, str.GetLength());
}

BOOL CDC::TextOut(int x, int y, LPCTSTR lpszString, int nCount)
{
    if (!lpszString)
        return FALSE;
    if (m_pPainter) {
        PaintText(x, y, *CurrentFont(), ToUnicode(lpszString, nCount));
        return TRUE;
    }
    if (!m_pTarget)
        return TRUE;
    const CTextCache::FontPtr font = CurrentFont();
    std::vector<TextLine> lines(1);
    TextLine& line = lines.front();
    line.text = ToUnicode(lpszString, nCount);
    line.nWidth = CTextCache::Width(*font, line.text);
    line.ptTopLeft = QPoint(x - m_state.ptOrg.x, y - m_state.ptOrg.y);
    DrawTextLines(*font, lines, DeviceClip());
    return TRUE;
}

CSize CDC::GetTextExtent(const CString& str) const
{
    return GetTextExtent(str, str.GetLength());
}

CSize CDC::GetTextExtent(LPCTSTR lpszString, int nCount) const
{
    const CTextCache::FontPtr font = CurrentFont();
    return CSize(CTextCache::Width(*font, ToUnicode(lpszString, nCount)), font->nHeight);
}

BOOL CDC::GetTextMetrics(TEXTMETRIC* lpMetrics) const
{
    if (!lpMetrics)
        return FALSE;
    const CTextCache::FontPtr font = CurrentFont();
    lpMetrics->tmHeight = font->nHeight;
    lpMetrics->tmAscent = font->nAscent;
    lpMetrics->tmDescent = font->nDescent;
    lpMetrics->tmInternalLeading = std::max(0, font->nHeight - font->nEmPixels);
    lpMetrics->tmExternalLeading = std::max(0, font->nLeading);
    lpMetrics->tmAveCharWidth = font->nAveCharWidth;
    lpMetrics->tmMaxCharWidth = font->nMaxCharWidth;
    const LONG nDefaultWeight = DefaultFont().LogFont().lfWeight;
    lpMetrics->tmWeight = m_state.pFontInfo ? m_state.nFontWeight : nDefaultWeight > 0 ? nDefaultWeight : FW_NORMAL;
    lpMetrics->tmOverhang = 0;
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Blits

namespace {

// Copies srcRect of src to dest with its top-left at ptDest, within destClip; src and dest may
// be the same image. Returns the part of dest written.
QRect CopyPixels(QImage& dest, const QRect& destClip, const QImage& src, QRect srcRect, QPoint ptDest)
{
    // Keep only what lies in the source and lands in the clip.
    const QRect srcOk = srcRect.intersected(src.rect());
    ptDest += srcOk.topLeft() - srcRect.topLeft();
    srcRect = srcOk;
    QRect destRect = QRect(ptDest, srcRect.size()).intersected(destClip);
    if (destRect.isEmpty())
        return QRect();
    srcRect = QRect(srcRect.topLeft() + (destRect.topLeft() - ptDest), destRect.size());
    const size_t nBytes = (size_t)destRect.width() * sizeof(QRgb);
    const bool bUpward = &dest == &src && destRect.top() > srcRect.top();
    const Rows rows(dest);   // before reading src: detaching dest may move src's pixels
    for (int i = 0; i < destRect.height(); ++i) {
        const int row = bUpward ? destRect.height() - 1 - i : i;
        QRgb* pDest = rows[destRect.top() + row] + destRect.left();
        const QRgb* pSrc = reinterpret_cast<const QRgb*>(src.constScanLine(srcRect.top() + row)) + srcRect.left();
        std::memmove(pDest, pSrc, nBytes);
    }
    return destRect;
}

// One row of a halving: each pixel the average of a 2 x 2 block of the rows pTop and pBottom.
__attribute__((target_clones("avx2", "default")))
void HalveRow(const QRgb* __restrict pTop, const QRgb* __restrict pBottom, QRgb* __restrict pDest, int nWidth)
{
    for (int x = 0; x < nWidth; ++x) {
        const QRgb p0 = pTop[2 * x], p1 = pTop[2 * x + 1], p2 = pBottom[2 * x], p3 = pBottom[2 * x + 1];
        // Red and blue, then green, summed in lanes that cannot overflow into each other.
        const QRgb rb = (((p0 & 0xFF00FF) + (p1 & 0xFF00FF) + (p2 & 0xFF00FF) + (p3 & 0xFF00FF) + 0x020002) >> 2)
                        & 0xFF00FF;
        const QRgb g = (((p0 & 0xFF00) + (p1 & 0xFF00) + (p2 & 0xFF00) + (p3 & 0xFF00) + 0x200) >> 2) & 0xFF00;
        pDest[x] = 0xFF000000 | rb | g;
    }
}

// Adds w times each colour of the row's pixels to the column sums, one array per colour so
// that the sums run many columns at a time; a sum stays below 255 * the rows summed. Built
// for the processor's widest vectors where it has them.
__attribute__((target_clones("avx2", "default")))
void AddWeightedRow(const QRgb* __restrict pRow, quint32 w, quint32* __restrict pRed,
                    quint32* __restrict pGreen, quint32* __restrict pBlue, int nWidth)
{
    for (int x = 0; x < nWidth; ++x) {
        const quint32 p = pRow[x];
        pRed[x] += w * ((p >> 16) & 0xFF);
        pGreen[x] += w * ((p >> 8) & 0xFF);
        pBlue[x] += w * (p & 0xFF);
    }
}

// Halves the image while it stays at least twice the target size, each pixel the average of
// a 2 x 2 block. The smooth scaling that follows then averages four times fewer pixels, with
// the same result to the eye; a whole page reduced to a window costs a third of the time.
QImage HalveForReduction(QImage image, int nWidth, int nHeight)
{
    while (image.width() >= 2 * nWidth && image.height() >= 2 * nHeight && image.width() >= 2
           && image.height() >= 2) {
        if (image.format() != QImage::Format_RGB32)
            image.convertTo(QImage::Format_RGB32);
        QImage half(image.width() / 2, image.height() / 2, QImage::Format_RGB32);
        if (half.isNull())
            break;
        for (int y = 0; y < half.height(); ++y)
            HalveRow(reinterpret_cast<const QRgb*>(image.constScanLine(2 * y)),
                     reinterpret_cast<const QRgb*>(image.constScanLine(2 * y + 1)),
                     reinterpret_cast<QRgb*>(half.scanLine(y)), half.width());
        image = std::move(half);
    }
    return image;
}

// Which source pixels make target pixel d when nSrc pixels are reduced to nDest: those
// overlapping [d * nSrc, (d + 1) * nSrc) where source pixel s spans [s * nDest, (s + 1) * nDest).
// The weights are the overlaps; they add up to nSrc for every target pixel.
struct AreaSpans {
    AreaSpans(int nSrc, int nDest, int dFirst, int dLast)
    {
        for (int d = dFirst; d < dLast; ++d) {
            const qint64 nFrom = (qint64)d * nSrc, nTo = nFrom + nSrc;
            const int sFirst = (int)(nFrom / nDest);
            const int sLast = (int)std::min<qint64>((nTo + nDest - 1) / nDest, nSrc);
            arrFirst.push_back(sFirst);
            arrStart.push_back((int)arrWeights.size());
            for (int s = sFirst; s < sLast; ++s) {
                const qint64 nOverlap = std::min<qint64>((qint64)(s + 1) * nDest, nTo)
                                      - std::max<qint64>((qint64)s * nDest, nFrom);
                arrWeights.push_back((int)nOverlap);
            }
        }
        arrStart.push_back((int)arrWeights.size());
    }
    int First() const { return arrFirst.empty() ? 0 : arrFirst.front(); }
    int Last() const
    {
        return arrFirst.empty() ? 0 : arrFirst.back() + arrStart.back() - arrStart[arrStart.size() - 2];
    }
    std::vector<int> arrFirst, arrStart, arrWeights;
};

// Reduces srcRect of src to destRect of dest (device coordinates; no larger in either
// direction), computing only the target pixels within destClip. The source is first halved
// as HalveForReduction does, then every target pixel is the mean of the halved pixels under
// it, weighted by how much of each it covers. Each pixel depends on nothing but the two
// rectangles, so a part painted alone matches the same part of the whole.
void ReduceByArea(QImage& dest, const QRect& destClip, const QImage& src, const QRect& srcRect, const QRect& destRect)
{
    const QRect rectVisible = destRect & destClip;
    if (rectVisible.isEmpty())
        return;
    const int nDestWidth = destRect.width(), nDestHeight = destRect.height();
    int nHalvings = 0;
    while ((srcRect.width() >> nHalvings) >= 2 * nDestWidth && (srcRect.height() >> nHalvings) >= 2 * nDestHeight)
        ++nHalvings;
    const int nSrcWidth = srcRect.width() >> nHalvings, nSrcHeight = srcRect.height() >> nHalvings;
    const QRect rectPart = rectVisible.translated(-destRect.topLeft());   // within the target
    const AreaSpans spansX(nSrcWidth, nDestWidth, rectPart.left(), rectPart.left() + rectPart.width());
    const AreaSpans spansY(nSrcHeight, nDestHeight, rectPart.top(), rectPart.top() + rectPart.height());
    const int sx0 = spansX.First(), sy0 = spansY.First();
    const int nPartWidth = spansX.Last() - sx0, nPartHeight = spansY.Last() - sy0;

    // The halved source under the visible part, row by row, nPartWidth pixels a row. The
    // buffers stay for the next call (drawing is single-threaded): a page reduced to a window
    // at every step would otherwise fault in megabytes of fresh memory each time.
    static std::vector<QRgb> arrPart, arrHalf;
    const QRgb* pPart = nullptr;
    qsizetype nPartStride = 0;
    if (nHalvings == 0) {
        pPart = reinterpret_cast<const QRgb*>(src.constScanLine(srcRect.top() + sy0)) + srcRect.left() + sx0;
        nPartStride = src.bytesPerLine() / (qsizetype)sizeof(QRgb);
    } else {
        for (int nLevel = 1; nLevel <= nHalvings; ++nLevel) {
            const int nShift = nHalvings - nLevel;
            const int nWidth = nPartWidth << nShift, nHeight = nPartHeight << nShift;
            arrHalf.resize((size_t)nWidth * nHeight);
            for (int y = 0; y < nHeight; ++y) {
                const QRgb *pTop, *pBottom;
                if (nLevel == 1) {
                    const int xSrc = srcRect.left() + 2 * (sx0 << nShift);
                    const int ySrc = srcRect.top() + 2 * ((sy0 << nShift) + y);
                    pTop = reinterpret_cast<const QRgb*>(src.constScanLine(ySrc)) + xSrc;
                    pBottom = reinterpret_cast<const QRgb*>(src.constScanLine(ySrc + 1)) + xSrc;
                } else {
                    pTop = arrPart.data() + (size_t)(2 * y) * (2 * nWidth);
                    pBottom = pTop + 2 * nWidth;
                }
                HalveRow(pTop, pBottom, arrHalf.data() + (size_t)y * nWidth, nWidth);
            }
            std::swap(arrPart, arrHalf);
        }
        pPart = arrPart.data();
        nPartStride = nPartWidth;
    }

    // Down, then across: each target row's source rows summed per column, then the columns
    // summed for each target pixel.
    static std::vector<quint32> arrRed, arrGreen, arrBlue;
    arrRed.resize((size_t)nPartWidth);
    arrGreen.resize((size_t)nPartWidth);
    arrBlue.resize((size_t)nPartWidth);
    const double dScale = 1.0 / ((double)nSrcWidth * nSrcHeight);
    const Rows rows(dest);
    const int nVisibleWidth = rectVisible.width();
    const int* const pFirstX = spansX.arrFirst.data();
    const int* const pStartX = spansX.arrStart.data();
    const int* const pWeightsX = spansX.arrWeights.data();
    for (int e = 0; e < rectVisible.height(); ++e) {
        std::fill(arrRed.begin(), arrRed.end(), 0u);
        std::fill(arrGreen.begin(), arrGreen.end(), 0u);
        std::fill(arrBlue.begin(), arrBlue.end(), 0u);
        for (int i = spansY.arrStart[e]; i < spansY.arrStart[e + 1]; ++i)
            AddWeightedRow(pPart + (spansY.arrFirst[e] - sy0 + i - spansY.arrStart[e]) * nPartStride,
                           (quint32)spansY.arrWeights[i], arrRed.data(), arrGreen.data(), arrBlue.data(),
                           nPartWidth);
        const quint32* pRed = arrRed.data();
        const quint32* pGreen = arrGreen.data();
        const quint32* pBlue = arrBlue.data();
        QRgb* __restrict pDest = rows[rectVisible.top() + e] + rectVisible.left();
        for (int d = 0; d < nVisibleWidth; ++d) {
            quint64 r = 0, g = 0, b = 0;
            const int x0 = pFirstX[d] - sx0 - pStartX[d];
            for (int i = pStartX[d]; i < pStartX[d + 1]; ++i) {
                const quint64 w = (quint64)pWeightsX[i];
                r += w * pRed[x0 + i];
                g += w * pGreen[x0 + i];
                b += w * pBlue[x0 + i];
            }
            pDest[d] = qRgb((int)(r * dScale + 0.5), (int)(g * dScale + 0.5), (int)(b * dScale + 0.5));
        }
    }
}

} // namespace

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop)
{
    if (dwRop != SRCCOPY)
        return PatBlt(x, y, nWidth, nHeight, dwRop);
    if (!pSrcDC || !pSrcDC->m_pTarget)
        return FALSE;
    if (m_pPainter) {
        PaintImage(CRect(x, y, x + nWidth, y + nHeight), pSrcDC, CRect(xSrc, ySrc, xSrc + nWidth, ySrc + nHeight));
        return TRUE;
    }
    if (!m_pTarget)
        return TRUE;
    const QRect srcRect(xSrc - pSrcDC->m_state.ptOrg.x, ySrc - pSrcDC->m_state.ptOrg.y, nWidth, nHeight);
    const QImage& src = *pSrcDC->m_pTarget;
    const QPoint ptDest(x - m_state.ptOrg.x, y - m_state.ptOrg.y);
    if (src.depth() == 32) {
        AddBounds(CopyPixels(*m_pTarget, DeviceClip(), src, srcRect, ptDest));
    } else {
        const QImage converted = src.convertToFormat(QImage::Format_RGB32);
        AddBounds(CopyPixels(*m_pTarget, DeviceClip(), converted, srcRect, ptDest));
    }
    return TRUE;
}

BOOL CDC::StretchBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                     int nSrcWidth, int nSrcHeight, DWORD dwRop)
{
    if (dwRop != SRCCOPY || !pSrcDC || !pSrcDC->m_pTarget)
        return FALSE;
    if (m_pPainter) {
        PaintImage(CRect(x, y, x + nWidth, y + nHeight), pSrcDC,
                   CRect(xSrc, ySrc, xSrc + nSrcWidth, ySrc + nSrcHeight));
        return TRUE;
    }
    if (nWidth == nSrcWidth && nHeight == nSrcHeight && nWidth > 0 && nHeight > 0)
        return BitBlt(x, y, nWidth, nHeight, pSrcDC, xSrc, ySrc, SRCCOPY);
    if (!m_pTarget || nWidth == 0 || nHeight == 0 || nSrcWidth == 0 || nSrcHeight == 0)
        return TRUE;
    // Opposite signs of the two widths (heights) mirror the picture.
    const bool bMirrorX = (nWidth < 0) != (nSrcWidth < 0);
    const bool bMirrorY = (nHeight < 0) != (nSrcHeight < 0);
    CRect rectSrc(xSrc, ySrc, xSrc + nSrcWidth, ySrc + nSrcHeight);
    rectSrc.NormalizeRect();
    rectSrc.OffsetRect(-pSrcDC->m_state.ptOrg.x, -pSrcDC->m_state.ptOrg.y);
    CRect rectDest(x, y, x + nWidth, y + nHeight);
    rectDest.NormalizeRect();

    const QImage& src = *pSrcDC->m_pTarget;
    const QRect rectTarget(rectDest.left - m_state.ptOrg.x, rectDest.top - m_state.ptOrg.y, rectDest.Width(),
                           rectDest.Height());
    if (m_state.nStretchMode == HALFTONE && !bMirrorX && !bMirrorY && rectDest.Width() <= rectSrc.Width()
        && rectDest.Height() <= rectSrc.Height() && src.format() == QImage::Format_RGB32
        && src.rect().contains(ToQRect(rectSrc))) {
        ReduceByArea(*m_pTarget, DeviceClip(), src, ToQRect(rectSrc), rectTarget);
        AddBounds(rectTarget & DeviceClip());
        return TRUE;
    }
    QImage part = ToQRect(rectSrc) == src.rect() ? src : src.copy(ToQRect(rectSrc));
    if (bMirrorX || bMirrorY)
        part = part.mirrored(bMirrorX, bMirrorY);
    const Qt::TransformationMode mode = m_state.nStretchMode == HALFTONE ? Qt::SmoothTransformation
                                                                       : Qt::FastTransformation;
    if (mode == Qt::SmoothTransformation)
        part = HalveForReduction(std::move(part), rectDest.Width(), rectDest.Height());
    QImage scaled = part.scaled(rectDest.Width(), rectDest.Height(), Qt::IgnoreAspectRatio, mode);
    if (scaled.format() != QImage::Format_RGB32)
        scaled.convertTo(QImage::Format_RGB32);
    CopyPixels(*m_pTarget, DeviceClip(), scaled, scaled.rect(), rectTarget.topLeft());
    AddBounds(rectTarget & DeviceClip());
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Document devices

void CDC::PaintFill(const CRect& rect, COLORREF cr)
{
    m_pPainter->fillRect(ToQRect(rect).translated(-m_state.ptOrg.x, -m_state.ptOrg.y), QColor(ToPixel(cr)));
}

// Real text, so that the document keeps it searchable: the text cell's top-left at (x, y).
void CDC::PaintText(int x, int y, const CTextCache::FontInfo& font, const QString& text)
{
    if (text.isEmpty())
        return;
    const QPoint ptTopLeft(x - m_state.ptOrg.x, y - m_state.ptOrg.y);
    if (m_state.nBkMode == OPAQUE)
        m_pPainter->fillRect(QRect(ptTopLeft, QSize(CTextCache::Width(font, text), font.nHeight)),
                             QColor(ToPixel(m_state.crBk)));
    const CTextCache::FontInfo& glyphs = CTextCache::GlyphFont(font, text);
    m_pPainter->setFont(glyphs.font);
    m_pPainter->setPen(QColor(ToPixel(m_state.crText)));
    m_pPainter->drawText(ptTopLeft + QPoint(0, font.nAscent), text);
}

// The whole picture of a memory DC is handed over as it is, so that a device that keeps
// pictures (a PDF) stores one drawn on every page only once.
void CDC::PaintImage(const CRect& rectDest, CDC* pSrcDC, const CRect& rectSrc)
{
    const QImage& src = *pSrcDC->m_pTarget;
    CRect rectFrom(rectSrc);
    rectFrom.OffsetRect(-pSrcDC->m_state.ptOrg.x, -pSrcDC->m_state.ptOrg.y);
    QRect target = ToQRect(rectDest).translated(-m_state.ptOrg.x, -m_state.ptOrg.y);
    m_pPainter->setRenderHint(QPainter::SmoothPixmapTransform, m_state.nStretchMode == HALFTONE);
    if (ToQRect(rectFrom) == src.rect())
        m_pPainter->drawImage(target, src);
    else
        m_pPainter->drawImage(target, src, ToQRect(rectFrom));
}
