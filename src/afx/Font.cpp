#include "Font.h"

#include "Codec.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <tuple>

namespace {

constexpr int kDefaultEmPixels = 12;
constexpr int kMaxPixels = 16384;
constexpr int kScreenDpi = 96;

// Windows face names and the installed families that stand in for them, best first. An
// empty family list means the system's sans-serif face.
struct FaceSubstitute {
    std::initializer_list<const char16_t*> names;
    std::initializer_list<const char16_t*> families;
};

const FaceSubstitute kSubstitutes[] = {
    { { u"宋体", u"新宋体", u"SimSun", u"NSimSun" },
      { u"AR PL UMing CN", u"Noto Serif CJK SC" } },
    { { u"楷体_GB2312", u"楷体", u"KaiTi", u"KaiTi_GB2312" },
      { u"AR PL UKai CN", u"AR PL UMing CN", u"Noto Serif CJK SC" } },
    { { u"黑体", u"SimHei", u"微软雅黑", u"Microsoft YaHei" },
      { u"Noto Sans CJK SC", u"Droid Sans Fallback" } },
    { { u"仿宋_GB2312", u"仿宋", u"FangSong", u"FangSong_GB2312" },
      { u"AR PL UMing CN", u"Noto Serif CJK SC" } },
    { { u"MS Sans Serif", u"Arial", u"Tahoma", u"MS Shell Dlg", u"MS Shell Dlg 2",
        u"Microsoft Sans Serif", u"System" },
      {} },
};

bool HaveGuiApplication()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

// Installed families by lower-case name, read once.
const QHash<QString, QString>& InstalledFamilies()
{
    static const QHash<QString, QString> families = [] {
        QHash<QString, QString> map;
        for (const QString& family : QFontDatabase::families())
            map.insert(family.toLower(), family);
        return map;
    }();
    return families;
}

QString InstalledFamily(const QString& name)
{
    if (!HaveGuiApplication())
        return QString();
    return InstalledFamilies().value(name.toLower());
}

QString SystemSansFamily()
{
    QFont font(QStringLiteral("sans-serif"));
    font.setStyleHint(QFont::SansSerif);
    return QFontInfo(font).family();
}

QString DefaultFamily()
{
    return QGuiApplication::font().family();
}

// The family for a face name; an empty result stands for the application's default family.
QString ResolveFace(const QString& face)
{
    if (face.isEmpty())
        return QString();
    QString installed = InstalledFamily(face);
    if (!installed.isEmpty())
        return installed;
    for (const FaceSubstitute& sub : kSubstitutes) {
        bool bMatch = std::any_of(sub.names.begin(), sub.names.end(), [&](const char16_t* name) {
            return face.compare(QString::fromUtf16(name), Qt::CaseInsensitive) == 0;
        });
        if (!bMatch)
            continue;
        if (sub.families.size() == 0)
            return HaveGuiApplication() ? SystemSansFamily() : QString();
        for (const char16_t* family : sub.families) {
            installed = InstalledFamily(QString::fromUtf16(family));
            if (!installed.isEmpty())
                return installed;
        }
        return QString();
    }
    return QString();
}

// Families that cover nearly all of Unicode's Han characters, best first.
const char16_t* const kWideFamilies[] = { u"Noto Serif CJK SC", u"Noto Sans CJK SC", u"AR PL UMing CN",
                                          u"Droid Sans Fallback" };

// The pixel size whose line height (ascent + descent) comes closest to nCellHeight. Small
// sizes are hinted, so the proportion measured at a large size is only the first guess.
int PixelSizeForCellHeight(const QFont& fontBase, int nCellHeight)
{
    QFont font(fontBase);
    font.setPixelSize(256);
    qreal rLine = QFontMetricsF(font).height();
    double dRatio = rLine > 0 ? 256.0 / rLine : 1.0;
    int nGuess = std::max(1, (int)std::lround(nCellHeight * dRatio));

    int nBest = nGuess;
    int nBestError = INT_MAX;
    for (int nSize = std::max(1, nGuess - 2); nSize <= nGuess + 2; ++nSize) {
        font.setPixelSize(nSize);
        int nHeight = QFontMetrics(font).height();
        // Equal errors: the smaller line, so the text stays inside its cell.
        int nError = std::abs(nHeight - nCellHeight) * 2 + (nHeight > nCellHeight ? 1 : 0);
        if (nError < nBestError) {
            nBestError = nError;
            nBest = nSize;
        }
    }
    return nBest;
}

// Measuring loads font files, so each family, style and cell height is measured once.
int CachedPixelSizeForCellHeight(const QFont& font, int nCellHeight)
{
    using Key = std::tuple<QString, int, bool, int>;
    static std::mutex mutex;
    static std::map<Key, int> cache;
    Key key(font.family(), (int)font.weight(), font.italic(), nCellHeight);
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = cache.find(key);
        if (it != cache.end())
            return it->second;
    }
    int nSize = PixelSizeForCellHeight(font, nCellHeight);
    std::lock_guard<std::mutex> lock(mutex);
    cache[key] = nSize;
    return nSize;
}

QFont::Weight WeightFromLogFont(LONG lfWeight)
{
    if (lfWeight <= 0)
        return QFont::Normal;
    return (QFont::Weight)std::clamp((int)lfWeight, 1, 1000);
}

// Copies a face name into lfFaceName, cut at 31 bytes but never inside a character.
void CopyFaceName(LOGFONT& lf, const std::string& face)
{
    const int nLength = AfxWholeCharsLength(face.c_str(), (int)std::strlen(face.c_str()), LF_FACESIZE - 1);
    std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
    std::memcpy(lf.lfFaceName, face.data(), (size_t)nLength);
}

} // namespace

namespace Font {

QStringList ChineseFaceNames()
{
    QStringList names;
    for (const FaceSubstitute& sub : kSubstitutes) {
        const bool bInstalled = std::any_of(sub.families.begin(), sub.families.end(), [](const char16_t* family) {
            return !InstalledFamily(QString::fromUtf16(family)).isEmpty();
        });
        if (!bInstalled)
            continue;
        for (const char16_t* name : sub.names) {
            const QString strName = QString::fromUtf16(name);
            if (strName.front().unicode() >= 0x80)
                names << strName;
        }
    }
    return names;
}

QString SubstituteFace(const char* lpszFaceName)
{
    QByteArray face(lpszFaceName ? lpszFaceName : "");
    static std::mutex mutex;
    static QHash<QByteArray, QString> cache;
    QString family;
    bool bCached = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = cache.constFind(face);
        if (it != cache.constEnd()) {
            family = *it;
            bCached = true;
        }
    }
    if (!bCached) {
        family = ResolveFace(Codec::ToUnicode(face.constData(), (int)face.size()).trimmed());
        if (HaveGuiApplication()) {   // without one, the installed fonts are unknown
            std::lock_guard<std::mutex> lock(mutex);
            cache.insert(face, family);
        }
    }
    // The default family is looked up each time: the application may change its font.
    return family.isEmpty() ? DefaultFamily() : family;
}

QFont FromLogFont(const LOGFONT& lf)
{
    char szFace[LF_FACESIZE + 1] = {};
    std::memcpy(szFace, lf.lfFaceName, LF_FACESIZE);

    QFont font(SubstituteFace(szFace));
    font.setWeight(WeightFromLogFont(lf.lfWeight));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);

    long long nHeight = lf.lfHeight;
    if (nHeight == 0)
        font.setPixelSize(kDefaultEmPixels);
    else if (nHeight < 0)
        font.setPixelSize((int)std::min<long long>(-nHeight, kMaxPixels));
    else
        font.setPixelSize(CachedPixelSizeForCellHeight(font, (int)std::min<long long>(nHeight, kMaxPixels)));
    return font;
}

QStringList FallbackFamilies(const QString& family)
{
    QStringList families;
    auto add = [&](const char16_t* name) {
        const QString installed = InstalledFamily(QString::fromUtf16(name));
        if (!installed.isEmpty() && installed.compare(family, Qt::CaseInsensitive) != 0 && !families.contains(installed))
            families << installed;
    };
    for (const FaceSubstitute& sub : kSubstitutes) {
        const auto* it = std::find_if(sub.families.begin(), sub.families.end(), [&](const char16_t* name) {
            return family.compare(QString::fromUtf16(name), Qt::CaseInsensitive) == 0;
        });
        if (it != sub.families.end())
            std::for_each(it + 1, sub.families.end(), add);
    }
    std::for_each(std::begin(kWideFamilies), std::end(kWideFamilies), add);
    return families;
}

LOGFONT ToLogFont(const QFont& font)
{
    LOGFONT lf {};
    int nPixels = font.pixelSize();
    if (nPixels <= 0)
        nPixels = std::max(1, (int)std::lround(font.pointSizeF() * kScreenDpi / 72.0));
    lf.lfHeight = -nPixels;
    lf.lfWeight = std::clamp((int)font.weight(), 100, 900);
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    lf.lfCharSet = DEFAULT_CHARSET;
    CopyFaceName(lf, Codec::FromUnicode(font.family()).str());
    return lf;
}

} // namespace Font
