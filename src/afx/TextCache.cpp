#include "TextCache.h"

#include "PixelRatio.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QHash>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

// Enough for the fonts one screen shows; the oldest font goes first.
constexpr size_t kMaxFonts = 32;
// Enough for a screenful of cells in a few fonts; the whole table is dropped when full.
constexpr qsizetype kMaxTexts = 8192;
// Texts kept drawn as images take at most this many bytes; all are dropped when they would
// take more.
constexpr qsizetype kMaxRenderedBytes = 64 * 1024 * 1024;
qsizetype s_nRenderedBytes = 0;

struct TextKey {
    int nFontId;
    int nElideWidth;   // -1 for a text as it is
    QString text;
    bool operator==(const TextKey& k) const
    {
        return nFontId == k.nFontId && nElideWidth == k.nElideWidth && text == k.text;
    }
};

size_t qHash(const TextKey& key, size_t seed = 0)
{
    return ::qHash(key.text, seed) ^ (size_t(key.nFontId) * 0x9E3779B97F4A7C15ull) ^ size_t(key.nElideWidth);
}

struct TextEntry {
    int nWidth = 0;
    bool bPrepared = false;
    qreal dPreparedRatio = 1;
    QStaticText prepared;
    QString elided;
    QImage rendered;   // null until asked for
    QRgb rgbRendered = 0;
};

std::vector<CTextCache::FontPtr>& Fonts()
{
    static std::vector<CTextCache::FontPtr> fonts;
    static const bool s_bCleanup = [] {
        qAddPostRoutine(CTextCache::Clear);
        return true;
    }();
    Q_UNUSED(s_bCleanup);
    return fonts;
}

QHash<TextKey, TextEntry>& Texts()
{
    static QHash<TextKey, TextEntry> texts;
    return texts;
}

TextEntry& Entry(const CTextCache::FontInfo& font, const QString& text, int nElideWidth)
{
    QHash<TextKey, TextEntry>& texts = Texts();
    TextKey key { font.nId, nElideWidth, text };
    auto it = texts.find(key);
    if (it != texts.end())
        return *it;
    if (texts.size() >= kMaxTexts) {
        texts.clear();
        s_nRenderedBytes = 0;
    }
    TextEntry entry;
    if (nElideWidth < 0)
        entry.nWidth = font.metrics.horizontalAdvance(text);
    else
        entry.elided = font.metrics.elidedText(text, Qt::ElideRight, nElideWidth);
    return *texts.insert(std::move(key), std::move(entry));
}

} // namespace

CTextCache::FontInfo::FontInfo(const QFont& f) : font(f), metrics(f)
{
    static int s_nNextId = 0;
    nId = ++s_nNextId;
    nAscent = metrics.ascent();
    nDescent = metrics.descent();
    nHeight = nAscent + nDescent;
    nLeading = metrics.leading();
    nEmPixels = f.pixelSize() > 0 ? f.pixelSize() : QFontInfo(f).pixelSize();
    nAveCharWidth = metrics.averageCharWidth();
    nMaxCharWidth = metrics.maxWidth();
}

CTextCache::FontPtr CTextCache::Font(const QFont& font)
{
    std::vector<FontPtr>& fonts = Fonts();
    // Most recently used first: a paint asks for the same font many times in a row.
    for (size_t i = 0; i < fonts.size(); ++i) {
        if (fonts[i]->font == font) {
            if (i != 0)
                std::rotate(fonts.begin(), fonts.begin() + (ptrdiff_t)i, fonts.begin() + (ptrdiff_t)i + 1);
            return fonts.front();
        }
    }
    if (fonts.size() >= kMaxFonts)
        fonts.pop_back();
    fonts.insert(fonts.begin(), std::make_shared<const FontInfo>(font));
    return fonts.front();
}

int CTextCache::Width(const FontInfo& font, const QString& text)
{
    if (text.isEmpty())
        return 0;
    return Entry(font, text, -1).nWidth;
}

QStaticText CTextCache::Prepared(const FontInfo& font, const QString& text, qreal dRatio)
{
    TextEntry& entry = Entry(font, text, -1);
    if (!entry.bPrepared || entry.dPreparedRatio != dRatio) {
        // A fresh object: copies handed out before share the layout for the old ratio.
        entry.prepared = QStaticText(text);
        entry.prepared.setTextFormat(Qt::PlainText);
        entry.prepared.prepare(QTransform::fromScale(dRatio, dRatio), font.font);
        entry.bPrepared = true;
        entry.dPreparedRatio = dRatio;
    }
    return entry.prepared;
}

bool CTextCache::IsDrawnAsOutlines(const FontInfo& font)
{
    return font.nEmPixels > 48;
}

// Glyphs may reach past their cell: a margin of a quarter of the line on every side.
int CTextCache::InkMargin(const FontInfo& font)
{
    return std::max(2, font.nHeight / 4);
}

const QImage& CTextCache::Rendered(const FontInfo& font, const QString& text, QRgb rgb, qreal dRatio,
                                   QPoint& ptOffset)
{
    const int nMargin = InkMargin(font);
    ptOffset = QPoint(-nMargin, -nMargin);
    TextEntry* pEntry = &Entry(font, text, -1);
    if (!pEntry->rendered.isNull() && pEntry->rgbRendered == rgb && pEntry->rendered.devicePixelRatio() == dRatio)
        return pEntry->rendered;
    QImage image = PixelRatio::MakeImage(QSize(pEntry->nWidth + 2 * nMargin, font.nHeight + 2 * nMargin), dRatio,
                                         QImage::Format_ARGB32_Premultiplied);
    if (s_nRenderedBytes + image.sizeInBytes() > kMaxRenderedBytes) {
        Texts().clear();
        s_nRenderedBytes = 0;
        pEntry = &Entry(font, text, -1);
    }
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font.font);
    painter.setPen(QColor::fromRgb(rgb));
    painter.drawStaticText(QPoint(nMargin, nMargin), Prepared(font, text, image.devicePixelRatio()));
    painter.end();
    s_nRenderedBytes += image.sizeInBytes() - pEntry->rendered.sizeInBytes();
    pEntry->rendered = std::move(image);
    pEntry->rgbRendered = rgb;
    return pEntry->rendered;
}

QString CTextCache::Elided(const FontInfo& font, const QString& text, int nWidth)
{
    return Entry(font, text, std::max(nWidth, 0)).elided;
}

void CTextCache::Clear()
{
    Fonts().clear();
    Texts().clear();
    s_nRenderedBytes = 0;
}
