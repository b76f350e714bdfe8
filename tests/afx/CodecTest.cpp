#include "Codec.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <iconv.h>
#include <random>
#include <string_view>
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

namespace {

// The C library's own converters, which the program's texts must agree with.
class IconvReference {
public:
    IconvReference(const char* pszTo, const char* pszFrom) : m_cd(iconv_open(pszTo, pszFrom)) {}
    ~IconvReference() { iconv_close(m_cd); }
    bool IsOpen() const { return m_cd != (iconv_t)-1; }
    // The whole input as one result, or false when any of it does not convert.
    bool Convert(const void* pIn, size_t nIn, std::string& strOut)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buf[16];
        char* pSrc = (char*)pIn;
        char* pDst = buf;
        size_t nDst = sizeof buf;
        if (iconv(m_cd, &pSrc, &nIn, &pDst, &nDst) == (size_t)-1 || nIn != 0)
            return false;
        strOut.assign(buf, (size_t)(pDst - buf));
        return true;
    }

private:
    iconv_t m_cd;
};

// One character as UCS-4 from the reference decoder, or -1.
long DecodeOne(IconvReference& conv, const char* pch, size_t n)
{
    std::string strOut;
    if (!conv.Convert(pch, n, strOut) || strOut.size() != 4)
        return -1;
    uint32_t c;
    std::memcpy(&c, strOut.data(), 4);
    return (long)c;
}

// One character as UTF-16 (QString::fromUcs4 would take U+FEFF for a byte order mark).
QString Utf16Of(char32_t c)
{
    if (c < 0x10000)
        return QString(QChar((char16_t)c));
    const QChar pair[2] = {QChar(QChar::highSurrogate(c)), QChar(QChar::lowSurrogate(c))};
    return QString(pair, 2);
}

bool IsPrivateUse(char32_t c) { return c >= 0xE000 && c <= 0xF8FF; }

const CString kReplacementBytes("\x84\x31\xA4\x37");

} // namespace

// Every byte and every pair of bytes (lead 0x81 to 0xFE) decodes as code page 936 decodes it;
// what that code page has no character for, as GB18030 does.
TEST(CodecTest, EveryShortSequenceDecodesAsCodePage936ElseAsGb18030)
{
    IconvReference cp936("UCS-4LE", "CP936"), gb18030("UCS-4LE", "GB18030");
    ASSERT_TRUE(cp936.IsOpen() && gb18030.IsOpen());
    for (int b = 0; b < 256; b++) {
        const char ch = (char)b;
        const long c = DecodeOne(cp936, &ch, 1);
        const char32_t expected = c >= 0 ? (char32_t)c : 0xFFFD;   // 0x81 to 0xFF alone are no character
        EXPECT_EQ(Codec::ToUnicode(&ch, 1), Utf16Of(expected)) << "byte " << b;
    }
    int nOnlyGb18030 = 0;
    for (int nLead = 0x81; nLead <= 0xFE; nLead++) {
        for (int nTrail = 0x40; nTrail <= 0xFE; nTrail++) {
            if (nTrail == 0x7F)
                continue;
            const char pair[2] = {(char)nLead, (char)nTrail};
            long c = DecodeOne(cp936, pair, 2);
            if (c < 0) {
                c = DecodeOne(gb18030, pair, 2);
                nOnlyGb18030++;
            }
            ASSERT_GE(c, 0) << std::hex << nLead << nTrail;
            const char32_t expected = (char32_t)c;
            ASSERT_EQ(Codec::ToUnicode(pair, 2), Utf16Of(expected)) << std::hex << nLead << nTrail;
        }
    }
    // The user-defined areas and the characters GB18030 added to GBK's gaps.
    EXPECT_EQ(nOnlyGb18030, 23940 - 21791);
}

// Every Unicode scalar value encodes as code page 936 does; a character that code page lacks
// takes GB18030's code, four bytes unless GB18030 filled a gap of GBK with it. Each encoding is
// one character to the byte walk, and decodes back to the character.
TEST(CodecTest, EveryCharacterEncodesAsCodePage936ElseAsGb18030AndComesBack)
{
    IconvReference cp936("CP936", "UCS-4LE"), gb18030("GB18030", "UCS-4LE"), cp936Decoder("UCS-4LE", "CP936");
    ASSERT_TRUE(cp936.IsOpen() && gb18030.IsOpen() && cp936Decoder.IsOpen());
    std::vector<char32_t> chars;
    for (char32_t c = 0; c <= 0x10FFFF; c++)
        if (c < 0xD800 || c > 0xDFFF)
            chars.push_back(c);
    const QString text = QString::fromUcs4(chars.data(), (qsizetype)chars.size());
    const CString bytes = Codec::FromUnicode(text);

    QString expectedBack;
    expectedBack.reserve(text.size());
    size_t nPos = 0;
    int nFourByte = 0, nWithoutCode = 0;
    for (char32_t c : chars) {
        ASSERT_LT(nPos, (size_t)bytes.GetLength());
        const int nLength = AfxCharLength(bytes.str().data() + nPos, (size_t)bytes.GetLength() - nPos);
        const std::string_view strGot = std::string_view(bytes.str()).substr(nPos, (size_t)nLength);
        nPos += (size_t)nLength;
        std::string strExpected;
        // The C library's code page 936 drops the tag characters U+E0000 to U+E007F.
        if (cp936.Convert(&c, 4, strExpected) && !strExpected.empty()) {
            ASSERT_EQ(strGot, strExpected) << "U+" << std::hex << (unsigned)c;
        } else if (gb18030.Convert(&c, 4, strExpected)) {
            ASSERT_EQ(strGot, strExpected) << "U+" << std::hex << (unsigned)c;
            ASSERT_NE(strGot.size(), 1u);
            if (strGot.size() == 2)   // a gap of GBK: code page 936 has no character there
                ASSERT_LT(DecodeOne(cp936Decoder, strGot.data(), 2), 0);
            nFourByte += strGot.size() == 4;
        } else {
            ASSERT_TRUE(IsPrivateUse(c)) << "U+" << std::hex << (unsigned)c;
            ASSERT_EQ(strGot, kReplacementBytes.str());
            nWithoutCode++;
            expectedBack += QChar(0xFFFD);
            continue;
        }
        if (c < 0x10000) {
            expectedBack += QChar((char16_t)c);
        } else {
            expectedBack += QChar(QChar::highSurrogate(c));
            expectedBack += QChar(QChar::lowSurrogate(c));
        }
    }
    EXPECT_EQ(nPos, (size_t)bytes.GetLength());
    EXPECT_GT(nFourByte, 1000000);
    EXPECT_LE(nWithoutCode, 24);
    const QString back = Codec::ToUnicode(bytes);
    const auto mismatch = std::mismatch(back.begin(), back.end(), expectedBack.begin(), expectedBack.end());
    EXPECT_TRUE(mismatch.first == back.end() && mismatch.second == expectedBack.end())
        << "decoded U+" << std::hex << (mismatch.first == back.end() ? 0 : mismatch.first->unicode()) << " for U+"
        << (mismatch.second == expectedBack.end() ? 0 : mismatch.second->unicode()) << " at unit " << std::dec
        << (mismatch.first - back.begin()) << " of " << back.size() << " and " << expectedBack.size();
}

TEST(CodecTest, NamesOutsideGbkKeepEveryCharacter)
{
    // Known GB18030 bytes: 王 and 䶮 are two-byte codes, the rest four-byte sequences.
    const QString name = QString::fromUtf16(u"王䶮𠀾ß😀");
    const CString bytes = Codec::FromUnicode(name);
    EXPECT_EQ(bytes, CString("\xCD\xF5\xFE\x9F\x95\x32\x88\x38\x81\x30\x89\x38\x94\x39\xFC\x36"));
    EXPECT_EQ(Codec::ToUnicode(bytes), name);
    EXPECT_EQ(Codec::ToUnicode(Codec::FromUnicode(QString::fromUtf16(u"한국어/Übung/€"))),
              QString::fromUtf16(u"한국어/Übung/€"));

    // A lone surrogate becomes U+FFFD, never '?'.
    QString lone;
    lone += QChar(u'x');
    lone += QChar(0xD800);   // high surrogate without its pair
    lone += QChar(u'y');
    lone += QChar(0xDC00);   // low surrogate alone
    lone += QString::fromUtf16(u"中");
    lone += QChar(0xDBFF);   // cut off at the end
    const CString loneBytes = Codec::FromUnicode(lone);
    EXPECT_EQ(loneBytes, "x" + kReplacementBytes + "y" + kReplacementBytes + Codec::FromUnicode(QString::fromUtf16(u"中")) + kReplacementBytes);
    EXPECT_EQ(Codec::ToUnicode(loneBytes), QString::fromUtf16(u"x\uFFFDy\uFFFD中\uFFFD"));

    QString withNul = QString(QChar(0)) + QString::fromUtf16(u"中") + QChar(0);
    CString nulBytes = Codec::FromUnicode(withNul);
    ASSERT_EQ(nulBytes.GetLength(), 4);
    EXPECT_EQ(nulBytes[0], '\0');
    EXPECT_EQ(nulBytes[3], '\0');
    EXPECT_EQ(Codec::ToUnicode(nulBytes), withNul);
}

TEST(CodecTest, InvalidBytesBecomeReplacementCharacters)
{
    const QChar replacement(0xFFFD);
    EXPECT_EQ(Codec::ToUnicode(CString("\xFF")), QString(replacement));
    // A stray lead byte costs only itself: the ASCII byte after it survives.
    EXPECT_EQ(Codec::ToUnicode(CString("\x81" "0ab")), QString(replacement) + "0ab");
    EXPECT_EQ(Codec::ToUnicode(CString("ab\xD6")), QString("ab") + replacement);
    EXPECT_EQ(Codec::ToUnicode(CString("\xA1\0x", 3)), QString(replacement) + QChar(0) + "x");
    // A four-byte sequence GB18030 assigns nothing to is one undecodable character; one cut
    // short costs its lead byte, and the digit after it survives.
    EXPECT_EQ(Codec::ToUnicode(CString("\xFE\x39\xFE\x39z")), QString(replacement) + "z");
    EXPECT_EQ(Codec::ToUnicode(CString("\x95\x32\x88")), QString(replacement) + "2" + replacement);

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
    EXPECT_LE(encoded.GetLength(), units.size() * 4);
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
            if (Codec::FromUnicode(text) != expected || Codec::ToUnicode(expected) != text)
                bOk[n] = false;
    };
    std::thread a(work, 0), b(work, 1);
    a.join();
    b.join();
    EXPECT_TRUE(bOk[0]);
    EXPECT_TRUE(bOk[1]);
}
