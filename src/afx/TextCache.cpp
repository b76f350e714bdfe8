#include "TextCache.h"

#include "Font.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QHash>
#include <QPainter>
#include <QRawFont>

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
    CTextCache::FontPtr pGlyphFont;   // null when the font draws the text itself
    int nWidth = 0;
    bool bPrepared = false;
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

// Characters that draw nothing in any face.
bool IsBlankByNature(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Separator_Space: case QChar::Separator_Line: case QChar::Separator_Paragraph:
    case QChar::Other_Control: case QChar::Other_Format:
        return true;
    default:
        return false;
    }
}

// What a family does with a character: draws it, has only an empty glyph for it (a face that
// claims the character and draws a blank), or lacks it (Qt's own fallback then finds a face).
enum class Glyph { Drawn, Blank, Missing };

struct Face {
    QRawFont raw;
    QHash<char32_t, Glyph> glyphs;
};

// By family; the glyphs of a face are the same at every size.
QHash<QString, Face>& Faces()
{
    static QHash<QString, Face> faces;
    return faces;
}

Glyph GlyphOf(const QFont& font, char32_t c)
{
    Face& face = Faces()[font.family()];
    if (!face.raw.isValid()) {
        QFont fontFace(font);
        fontFace.setPixelSize(64);
        face.raw = QRawFont::fromFont(fontFace);
    }
    auto it = face.glyphs.constFind(c);
    if (it != face.glyphs.constEnd())
        return *it;
    Glyph glyph = Glyph::Missing;
    if (face.raw.isValid() && face.raw.supportsCharacter(c)) {
        const QList<quint32> indexes = face.raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
        const bool bEmpty = !indexes.isEmpty() && indexes.front() != 0 && face.raw.boundingRect(indexes.front()).isEmpty();
        glyph = bEmpty && !IsBlankByNature(c) ? Glyph::Blank : Glyph::Drawn;
    }
    face.glyphs.insert(c, glyph);
    return glyph;
}

// A font of another family for a text that font's face draws blanks for; null when it draws
// the whole text, or when no family draws the blanks either.
CTextCache::FontPtr FindGlyphFont(const CTextCache::FontInfo& font, const QString& text)
{
    std::vector<char32_t> blanks;
    for (char32_t c : text.toUcs4())
        if (c >= 0x80 && GlyphOf(font.font, c) == Glyph::Blank)
            blanks.push_back(c);
    if (blanks.empty())
        return nullptr;
    for (const QString& family : Font::FallbackFamilies(font.font.family())) {
        QFont fontGlyphs(font.font);
        fontGlyphs.setFamily(family);
        if (std::all_of(blanks.begin(), blanks.end(), [&](char32_t c) { return GlyphOf(fontGlyphs, c) == Glyph::Drawn; }))
            return CTextCache::Font(fontGlyphs);
    }
    return nullptr;
}

bool IsAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x80; });
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
    if (!IsAscii(text))
        entry.pGlyphFont = FindGlyphFont(font, text);
    if (nElideWidth < 0)
        entry.nWidth = (entry.pGlyphFont ? entry.pGlyphFont->metrics : font.metrics).horizontalAdvance(text);
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

const CTextCache::FontInfo& CTextCache::GlyphFont(const FontInfo& font, const QString& text)
{
    if (text.isEmpty())
        return font;
    const TextEntry& entry = Entry(font, text, -1);
    return entry.pGlyphFont ? *entry.pGlyphFont : font;
}

int CTextCache::Width(const FontInfo& font, const QString& text)
{
    if (text.isEmpty())
        return 0;
    return Entry(font, text, -1).nWidth;
}

QStaticText CTextCache::Prepared(const FontInfo& font, const QString& text)
{
    TextEntry& entry = Entry(font, text, -1);
    if (entry.pGlyphFont)
        return Prepared(*entry.pGlyphFont, text);
    if (!entry.bPrepared) {
        entry.prepared.setText(text);
        entry.prepared.setTextFormat(Qt::PlainText);
        entry.prepared.prepare(QTransform(), font.font);
        entry.bPrepared = true;
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

const QImage& CTextCache::Rendered(const FontInfo& font, const QString& text, QRgb rgb, QPoint& ptOffset)
{
    const int nMargin = InkMargin(font);
    ptOffset = QPoint(-nMargin, -nMargin);
    TextEntry* pEntry = &Entry(font, text, -1);
    if (pEntry->pGlyphFont) {
        const FontPtr pGlyphFont = pEntry->pGlyphFont;   // the entry may go while it draws
        return Rendered(*pGlyphFont, text, rgb, ptOffset);
    }
    if (!pEntry->rendered.isNull() && pEntry->rgbRendered == rgb)
        return pEntry->rendered;
    QImage image(pEntry->nWidth + 2 * nMargin, font.nHeight + 2 * nMargin, QImage::Format_ARGB32_Premultiplied);
    if (s_nRenderedBytes + image.sizeInBytes() > kMaxRenderedBytes) {
        Texts().clear();
        s_nRenderedBytes = 0;
        pEntry = &Entry(font, text, -1);
    }
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font.font);
    painter.setPen(QColor::fromRgb(rgb));
    painter.drawStaticText(QPoint(nMargin, nMargin), Prepared(font, text));
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
    Faces().clear();
    s_nRenderedBytes = 0;
}
