// Fonts and texts measured once and kept: the grid paints the same cell texts in the same few
// fonts frame after frame, and shaping a text costs far more than finding it again. Used by
// the DCs only; single-threaded, as all drawing is.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QStaticText>
#include <QString>

#include <memory>

class CTextCache {
public:
    struct FontInfo {
        explicit FontInfo(const QFont& f);
        QFont font;
        QFontMetrics metrics;
        int nId;
        int nAscent;
        int nDescent;
        int nHeight;   // ascent + descent: the text cell
        int nLeading;
        int nEmPixels;
        int nAveCharWidth;
        int nMaxCharWidth;
    };
    using FontPtr = std::shared_ptr<const FontInfo>;

    // The metrics of a font, found by value; a font seen before is not measured again.
    static FontPtr Font(const QFont& font);
    // The font that draws the glyphs of text for font: font itself, or a font of the same size
    // in another family when font's face has an empty glyph for one of the characters. Its
    // glyphs go on font's baseline.
    static const FontInfo& GlyphFont(const FontInfo& font, const QString& text);
    // The advance width of a single-line text, drawn in its glyph font.
    static int Width(const FontInfo& font, const QString& text);
    // The text laid out, ready for QPainter::drawStaticText with the same font (the glyph
    // font, which the font of a text with empty glyphs hands these on to).
    static QStaticText Prepared(const FontInfo& font, const QString& text);
    // Whether the raster engine draws this font's glyphs as outlines, afresh at every call,
    // rather than from its glyph cache: fonts much taller than screen text are.
    static bool IsDrawnAsOutlines(const FontInfo& font);
    // How far a glyph may reach past its text cell on any side: what the images below keep.
    static int InkMargin(const FontInfo& font);
    // The text drawn in colour rgb on a transparent image, kept for the next call; its top-left
    // lies at ptOffset from the text's top-left. For outline fonts, whose glyphs the engine
    // does not keep: a certificate draws the same characters at 70 to 100 pixels on every page.
    static const QImage& Rendered(const FontInfo& font, const QString& text, QRgb rgb, QPoint& ptOffset);
    // The text cut to at most nWidth pixels, ending in an ellipsis when it had to be cut.
    static QString Elided(const FontInfo& font, const QString& text, int nWidth);
    // Forgets everything; runs when the application object goes, before the fonts do.
    static void Clear();
};
