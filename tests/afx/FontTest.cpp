#include "Codec.h"
#include "Font.h"
#include "Gdi.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QRawFont>

#include <gtest/gtest.h>

#include <cstring>

namespace {

LOGFONT MakeLogFont(LONG lfHeight, const char16_t* face, LONG lfWeight = 0)
{
    LOGFONT lf {};
    lf.lfHeight = lfHeight;
    lf.lfWeight = lfWeight;
    CString bytes = Codec::FromUnicode(QString::fromUtf16(face));
    std::strncpy(lf.lfFaceName, bytes, LF_FACESIZE - 1);
    return lf;
}

QString Substitute(const char16_t* face)
{
    return Font::SubstituteFace(Codec::FromUnicode(QString::fromUtf16(face)));
}

bool DrawsAll(const QString& family, const QString& text)
{
    QFont font(family);
    font.setPixelSize(20);
    QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid() || raw.familyName() != family)
        return false;
    for (QChar ch : text)
        if (!raw.supportsCharacter(ch))
            return false;
    return true;
}

} // namespace

TEST(FontTest, PositiveHeightIsTheLineHeight)
{
    for (const char16_t* face : { u"宋体", u"楷体_GB2312", u"黑体", u"仿宋_GB2312", u"" }) {
        for (LONG h : { 12, 16, 20, 33, 120 }) {
            QFont font = Font::FromLogFont(MakeLogFont(h, face));
            EXPECT_NEAR(QFontMetrics(font).height(), h, 1)
                << QString::fromUtf16(face).toStdString() << " " << h;
        }
    }
}

TEST(FontTest, NegativeHeightIsTheEmHeight)
{
    EXPECT_EQ(Font::FromLogFont(MakeLogFont(-16, u"宋体")).pixelSize(), 16);
    EXPECT_EQ(Font::FromLogFont(MakeLogFont(-200, u"楷体_GB2312")).pixelSize(), 200);
    EXPECT_EQ(Font::FromLogFont(MakeLogFont(0, u"宋体")).pixelSize(), 12);
    // A line is taller than the em of the same number, never shorter.
    QFont em = Font::FromLogFont(MakeLogFont(-20, u"黑体"));
    QFont cell = Font::FromLogFont(MakeLogFont(20, u"黑体"));
    EXPECT_LT(cell.pixelSize(), em.pixelSize());
}

TEST(FontTest, StyleCarriesOver)
{
    EXPECT_EQ(Font::FromLogFont(MakeLogFont(-12, u"宋体", 0)).weight(), QFont::Normal);
    EXPECT_EQ(Font::FromLogFont(MakeLogFont(-12, u"宋体", FW_SEMIBOLD)).weight(), QFont::DemiBold);
    EXPECT_EQ(Font::FromLogFont(MakeLogFont(-12, u"宋体", FW_BOLD)).weight(), QFont::Bold);

    LOGFONT lf = MakeLogFont(-12, u"宋体");
    lf.lfItalic = lf.lfUnderline = lf.lfStrikeOut = 1;
    QFont styled = Font::FromLogFont(lf);
    EXPECT_TRUE(styled.italic() && styled.underline() && styled.strikeOut());
}

TEST(FontTest, ChineseFacesBecomeInstalledFontsThatDrawChinese)
{
    const QString title = QString::fromUtf16(u"荣誉证书");
    QString song = Substitute(u"宋体");
    QString kai = Substitute(u"楷体_GB2312");
    QString hei = Substitute(u"黑体");
    QString fang = Substitute(u"仿宋_GB2312");
    for (const QString& family : { song, kai, hei, fang }) {
        EXPECT_TRUE(QFontDatabase::families().contains(family)) << family.toStdString();
        EXPECT_TRUE(DrawsAll(family, title)) << family.toStdString();
    }
    EXPECT_NE(song, kai);
    EXPECT_NE(song, hei);
    EXPECT_EQ(Substitute(u"楷体"), kai);
    EXPECT_EQ(Substitute(u"simsun"), song);

    // Latin Windows faces fall to the installed sans face, unknown ones to the default.
    QString sans = Substitute(u"MS Sans Serif");
    EXPECT_TRUE(QFontDatabase::families().contains(sans)) << sans.toStdString();
    EXPECT_EQ(Substitute(u"Tahoma"), sans);
    EXPECT_EQ(Substitute(u""), QGuiApplication::font().family());
    EXPECT_EQ(Substitute(u"No Such Face 123"), QGuiApplication::font().family());
    EXPECT_EQ(Font::SubstituteFace(nullptr), QGuiApplication::font().family());

    // An installed family is used as it is, whatever its case.
    QString installed = QFontDatabase::families().value(0);
    ASSERT_FALSE(installed.isEmpty());
    EXPECT_EQ(Font::SubstituteFace(Codec::FromUnicode(installed.toUpper())), installed);
}

TEST(FontTest, ToLogFontDescribesTheFont)
{
    QFont font(QStringLiteral("AR PL UKai CN"));
    font.setPixelSize(20);
    font.setWeight(QFont::Bold);
    font.setItalic(true);
    LOGFONT lf = Font::ToLogFont(font);
    EXPECT_EQ(lf.lfHeight, -20);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(lf.lfItalic, 1);
    EXPECT_STREQ(lf.lfFaceName, "AR PL UKai CN");

    QFont points(QStringLiteral("AR PL UMing CN"));
    points.setPointSize(9);
    EXPECT_EQ(Font::ToLogFont(points).lfHeight, -12);

    // A long Chinese family name is cut at 31 bytes without halving a character.
    QFont longName(QString(20, QChar(u'书')));
    LOGFONT lfLong = Font::ToLogFont(longName);
    EXPECT_EQ(std::strlen(lfLong.lfFaceName), 30u);
    EXPECT_EQ(Codec::ToUnicode(CString(lfLong.lfFaceName)), QString(15, QChar(u'书')));

    LOGFONT lfBack = Font::ToLogFont(Font::FromLogFont(MakeLogFont(-16, u"宋体", FW_BOLD)));
    EXPECT_EQ(lfBack.lfHeight, -16);
    EXPECT_EQ(lfBack.lfWeight, FW_BOLD);
}

TEST(GdiObjectTest, FontsKeepTheirLogFont)
{
    CFont font;
    LOGFONT lf {};
    EXPECT_EQ(font.GetLogFont(&lf), 0);

    const CString song = Codec::FromUnicode(QString::fromUtf16(u"宋体"));
    ASSERT_TRUE(font.CreatePointFont(90, song));
    ASSERT_EQ(font.GetLogFont(&lf), (int)sizeof(LOGFONT));
    EXPECT_EQ(lf.lfHeight, -12);
    EXPECT_EQ(CString(lf.lfFaceName), song);
    EXPECT_EQ(font.GetQFont().pixelSize(), 12);
    CFont font105;
    font105.CreatePointFont(105, song);
    EXPECT_EQ(font105.LogFont().lfHeight, -14);

    CFont made;
    CString longFace;
    for (int i = 0; i < 20; ++i)
        longFace += song.Left(2);
    ASSERT_TRUE(made.CreateFont(24, 0, 0, 0, FW_BOLD, 1, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, longFace));
    EXPECT_EQ(std::strlen(made.LogFont().lfFaceName), 30u);
    EXPECT_EQ(made.LogFont().lfCharSet, GB2312_CHARSET);
    EXPECT_NEAR(QFontMetrics(made.GetQFont()).height(), 24, 1);

    EXPECT_TRUE(made.DeleteObject());
    EXPECT_EQ(made.GetLogFont(&lf), 0);
    EXPECT_FALSE(font.CreateFontIndirect(nullptr));
}

TEST(GdiObjectTest, BrushesAndBitmaps)
{
    CBrush hollow;
    EXPECT_TRUE(hollow.CreateStockObject(NULL_BRUSH));
    EXPECT_TRUE(hollow.IsValid() && hollow.m_bNull);
    EXPECT_FALSE(CBrush().CreateStockObject(99));

    // A new bitmap is black, as the window system makes it.
    CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(nullptr, 30, 20));
    EXPECT_EQ(bitmap.Image().size(), QSize(30, 20));
    EXPECT_EQ(bitmap.Image().format(), QImage::Format_RGB32);
    EXPECT_EQ(bitmap.Image().pixel(29, 19), qRgb(0, 0, 0));
    CBitmap bad;
    EXPECT_FALSE(bad.CreateBitmap(-1, 5));
    EXPECT_FALSE(bad.IsValid());
}
