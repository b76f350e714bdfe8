#include "Codec.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

TEST(CodecTest, ChineseTextRoundTrips)
{
    QString text = QString::fromUtf16(u"荣誉证书 张三 No.1 € ·");
    CString bytes = Codec::FromUnicode(text);
    // Known code page 936 bytes of the title.
    EXPECT_EQ(bytes.Left(8), CString("\xC8\xD9\xD3\xFE\xD6\xA4\xCA\xE9"));
    EXPECT_EQ(bytes.Find("\x80"), 19);   // the euro sign is one byte
    EXPECT_EQ(Codec::ToUnicode(bytes), text);
    EXPECT_EQ(Codec::ToUnicode(bytes.str().data(), 8), QString::fromUtf16(u"荣誉证书"));
    EXPECT_EQ(Codec::ToUnicode(CString("plain ASCII")), QString("plain ASCII"));
    EXPECT_TRUE(Codec::ToUnicode(nullptr, 5).isEmpty());
    EXPECT_TRUE(Codec::FromUnicode(QString()).IsEmpty());
}

TEST(CodecTest, CharactersOutsideTheCodePageBecomeQuestionMarks)
{
    EXPECT_EQ(Codec::FromUnicode(QString::fromUtf16(u"A😀B")), "A?B");
    EXPECT_EQ(Codec::FromUnicode(QString::fromUtf16(u"中ก文")),
              Codec::FromUnicode(QString::fromUtf16(u"中?文")));

    QString lone;
    lone += QChar(u'x');
    lone += QChar(0xD800);   // high surrogate without its pair
    lone += QChar(u'y');
    lone += QChar(0xDC00);   // low surrogate alone
    lone += QString::fromUtf16(u"中");
    lone += QChar(0xDBFF);   // cut off at the end
    EXPECT_EQ(Codec::FromUnicode(lone), CString("x?y?") + Codec::FromUnicode(QString::fromUtf16(u"中")) + "?");

    QString withNul = QString(QChar(0)) + QString::fromUtf16(u"中") + QChar(0);
    CString bytes = Codec::FromUnicode(withNul);
    ASSERT_EQ(bytes.GetLength(), 4);
    EXPECT_EQ(bytes[0], '\0');
    EXPECT_EQ(bytes[3], '\0');
    EXPECT_EQ(Codec::ToUnicode(bytes), withNul);
}

TEST(CodecTest, InvalidBytesBecomeReplacementCharacters)
{
    const QChar replacement(0xFFFD);
    EXPECT_EQ(Codec::ToUnicode(CString("\xFF")), QString(replacement));
    // A stray lead byte costs only itself: the ASCII byte after it survives.
    EXPECT_EQ(Codec::ToUnicode(CString("\x81" "0ab")), QString(replacement) + "0ab");
    EXPECT_EQ(Codec::ToUnicode(CString("ab\xD6")), QString("ab") + replacement);
    EXPECT_EQ(Codec::ToUnicode(CString("\xA1\0x", 3)), QString(replacement) + QChar(0) + "x");

    // Far into a long text, a bad byte costs only itself, whatever lies around it.
    QString chinese;
    CString bytes;
    for (int i = 0; i < 5000; i++) {
        const QString strChar = QString::fromUtf16(i % 2 ? u"证" : u"书");
        chinese += strChar;
        bytes += Codec::FromUnicode(strChar);
        if (i % 997 == 0) {
            chinese += replacement;
            bytes += "\xFF";
        }
    }
    EXPECT_EQ(Codec::ToUnicode(bytes), chinese);

    // Arbitrary bytes and code units never crash and stay within their bounds.
    std::mt19937 rng(936);
    std::string noise(200000, '\0');
    for (char& ch : noise)
        ch = (char)(rng() & 0xFF);
    QString decoded = Codec::ToUnicode(CString(noise));
    EXPECT_GT(decoded.size(), 0);
    EXPECT_LE(decoded.size(), (qsizetype)noise.size());
    QString units(100000, Qt::Uninitialized);
    for (qsizetype i = 0; i < units.size(); ++i)
        units[i] = QChar((char16_t)(rng() & 0xFFFF));
    CString encoded = Codec::FromUnicode(units);
    EXPECT_GE(encoded.GetLength(), units.size() / 2);
    EXPECT_LE(encoded.GetLength(), units.size() * 2);
}

TEST(CodecTest, LargeTextConvertsQuickly)
{
    QString line = QString::fromUtf16(u"张三\t李四\t一等奖\t2024 级计算机科学与技术\t荣誉证书\r\n");
    QString text;
    while (text.size() < 1500000)
        text += line;
    QString ascii(3000000, QChar(u'a'));

    auto start = std::chrono::steady_clock::now();
    CString bytes = Codec::FromUnicode(text);
    QString back = Codec::ToUnicode(bytes);
    CString asciiBytes = Codec::FromUnicode(ascii);
    QString asciiBack = Codec::ToUnicode(asciiBytes);
    double dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    EXPECT_GT(bytes.GetLength(), 2000000);
    EXPECT_EQ(back, text);
    EXPECT_EQ(asciiBack, ascii);
    EXPECT_LT(dSeconds, 1.0);
}

TEST(CodecTest, ThreadsConvertIndependently)
{
    QString text = QString::fromUtf16(u"第一名 王五 😀");
    CString expected = Codec::FromUnicode(text);
    bool bOk[2] = { true, true };
    auto work = [&](int n) {
        for (int i = 0; i < 2000; ++i)
            if (Codec::FromUnicode(text) != expected || Codec::ToUnicode(expected) != QString::fromUtf16(u"第一名 王五 ?"))
                bOk[n] = false;
    };
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();
    EXPECT_TRUE(bOk[0]);
    EXPECT_TRUE(bOk[1]);
}
