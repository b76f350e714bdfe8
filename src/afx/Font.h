// LOGFONT <-> QFont with the window system's height rules, and the substitution of the
// Chinese Windows face names by installed fonts.
#pragma once

#include "afxtypes.h"

#include <QFont>
#include <QString>
#include <QStringList>

namespace Font {
// A positive lfHeight is the cell height (ascent + descent), a negative one the em height, in
// pixels; 0 is a default size. lfWeight, lfItalic, lfUnderline and lfStrikeOut carry over.
QFont FromLogFont(const LOGFONT& lf);
// The installed family that draws a face name such as "宋体" or "楷体_GB2312" (GB18030 bytes).
QString SubstituteFace(const char* lpszFaceName);
// The Chinese face names that layouts use ("宋体", "楷体_GB2312" ...) and that an installed
// font stands in for, in the order of the substitution table.
QStringList ChineseFaceNames();
// The installed families that stand in for family where its own glyph of a character is
// empty (AR PL UKai has blank glyphs for the characters GB18030 took out of the private use
// area, 䶮 among them): the other stand-ins of the same Windows face, then the CJK families
// that cover the most.
QStringList FallbackFamilies(const QString& family);
// A LOGFONT for a Qt font (face name in GB18030, negative pixel height).
LOGFONT ToLogFont(const QFont& font);
}
