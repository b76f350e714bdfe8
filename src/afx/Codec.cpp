#include "Codec.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// U+FFFD in GB18030, and the euro sign's single byte, which GB18030 spells A2 E3 but code
// page 936 (and every document written so far) as 0x80.
constexpr char kReplacementBytes[] = "\x84\x31\xA4\x37";
constexpr char16_t kEuro = 0x20AC;
constexpr char kEuroByte = '\x80';

// One conversion descriptor per direction and thread: opening one costs far more than
// converting a field.
class Converter {
public:
    Converter(const char* pszTo, const char* pszFrom) : m_cd(iconv_open(pszTo, pszFrom)) {}
    ~Converter()
    {
        if (IsOpen())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return m_cd != (iconv_t)-1; }
    // Converts as much as possible; errno tells why it stopped when it returns false.
    bool Convert(char** ppIn, size_t* pnIn, char** ppOut, size_t* pnOut)
    {
        return IsOpen() && iconv(m_cd, ppIn, pnIn, ppOut, pnOut) != (size_t)-1;
    }
    void Reset()
    {
        if (IsOpen())
            iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    }

private:
    iconv_t m_cd;
};

// GB18030 encodes: for every character of code page 936 but the euro sign it gives that code
// page's bytes, and its converter is the faster of the two.
Converter& Encoder()
{
    thread_local Converter conv("GB18030", kUtf16);
    return conv;
}

// Decoding goes to the C library's wide characters (UCS-4), which iconv reaches in one step;
// asking it for UTF-16 adds a second step and doubles the time a table's worth of text takes.
// Code page 936 decodes nearly all the text there is, faster than GB18030, which decodes
// only the sequences code page 936 has no character for.
static_assert(sizeof(wchar_t) == 4, "wide characters are UCS-4");

Converter& Decoder()
{
    thread_local Converter conv("WCHAR_T", "CP936");
    return conv;
}

Converter& ExtraDecoder()
{
    thread_local Converter conv("WCHAR_T", "GB18030");
    return conv;
}

bool IsAscii(const char16_t* p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (p[i] >= 0x80)
            return false;
    return true;
}

bool IsAscii(const char* p, int n)
{
    for (int i = 0; i < n; ++i)
        if ((unsigned char)p[i] >= 0x80)
            return false;
    return true;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-16 units of the input character at p that cannot be converted: a surrogate pair is one
// character, anything else one unit.
size_t UnconvertibleUnits(const char16_t* p, size_t nUnitsLeft)
{
    return nUnitsLeft >= 2 && IsHighSurrogate(p[0]) && IsLowSurrogate(p[1]) ? 2 : 1;
}

// Bytes of the sequence at p that code page 936 could not decode: a four-byte sequence, or a
// lead byte with a byte of the trail range after it, is one character; otherwise the single
// byte goes, so that an ASCII byte after a stray lead byte survives.
size_t ExtraSequenceLength(const unsigned char* p, size_t nLeft)
{
    if (AfxIsFourByteChar(reinterpret_cast<const char*>(p), nLeft))
        return 4;
    if (nLeft >= 2 && p[0] >= 0x81 && p[0] <= 0xFE && p[1] >= 0x40 && p[1] <= 0xFE && p[1] != 0x7F)
        return 2;
    return 1;
}

void AppendUtf16(char16_t*& pOut, char32_t c)
{
    if (c < 0x10000) {
        *pOut++ = (char16_t)c;
    } else if (c <= 0x10FFFF) {
        *pOut++ = (char16_t)(0xD800 + ((c - 0x10000) >> 10));
        *pOut++ = (char16_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        *pOut++ = 0xFFFD;
    }
}

// Narrows decoded characters to UTF-16. A chunk of the Basic Multilingual Plane only, as every
// chunk of code page 936 is, takes one plain pass that the compiler vectorises; a chunk with a
// character beyond it is narrowed again with surrogate pairs.
void AppendChunk(const wchar_t* p, const wchar_t* pEnd, char16_t*& pOut)
{
    const size_t n = (size_t)(pEnd - p);
    char32_t cAll = 0;
    for (size_t i = 0; i < n; ++i) {
        cAll |= (char32_t)p[i];
        pOut[i] = (char16_t)p[i];
    }
    if (cAll < 0x10000) {
        pOut += n;
        return;
    }
    for (; p < pEnd; ++p)
        AppendUtf16(pOut, (char32_t)*p);
}

// Decodes from pIn with conv as far as it goes; false when it stopped at a sequence it has no
// character for.
bool DecodeRun(Converter& conv, char*& pIn, size_t& nIn, char16_t*& pOut)
{
    conv.Reset();
    wchar_t arrChunk[2048];
    while (nIn > 0) {
        char* pChunk = reinterpret_cast<char*>(arrChunk);
        size_t nChunk = sizeof arrChunk;
        const bool bDone = conv.Convert(&pIn, &nIn, &pChunk, &nChunk);
        const int nError = errno;
        AppendChunk(arrChunk, reinterpret_cast<wchar_t*>(pChunk), pOut);
        if (bDone)
            return true;
        if (nError != E2BIG || !conv.IsOpen())   // E2BIG: the chunk is full
            return false;
    }
    return true;
}

// Output bytes with room to grow.
class ByteSink {
public:
    explicit ByteSink(size_t nReserve) : m_str(nReserve, '\0') {}
    char** Out() { return &m_pOut; }
    size_t* Room() { return &m_nRoom; }
    void Grow(size_t nAtLeast)
    {
        const size_t nUsed = Used();
        m_str.resize(m_str.size() + std::max(nAtLeast, m_str.size()) + 16);
        m_pOut = m_str.data() + nUsed;
        m_nRoom = m_str.size() - nUsed;
    }
    void Put(const char* pch, size_t n)
    {
        if (m_nRoom < n)
            Grow(n);
        std::memcpy(m_pOut, pch, n);
        m_pOut += n;
        m_nRoom -= n;
    }
    std::string Take()
    {
        m_str.resize(Used());
        return std::move(m_str);
    }

private:
    size_t Used() const { return (size_t)(m_pOut - m_str.data()); }
    std::string m_str;
    char* m_pOut = m_str.data();
    size_t m_nRoom = m_str.size();
};

// Encodes the units [p, pEnd), which hold no euro sign.
void EncodeRun(const char16_t* p, const char16_t* pEnd, ByteSink& sink)
{
    Converter& conv = Encoder();
    conv.Reset();
    char* pIn = const_cast<char*>(reinterpret_cast<const char*>(p));
    size_t nIn = (size_t)(pEnd - p) * sizeof(char16_t);
    while (nIn > 0) {
        if (conv.Convert(&pIn, &nIn, sink.Out(), sink.Room()))
            break;
        if (errno == E2BIG) {   // a character outside GBK takes four bytes
            sink.Grow(nIn);
            continue;
        }
        // EILSEQ (a lone surrogate, a character without a code) or EINVAL (a pair cut off).
        sink.Put(kReplacementBytes, 4);
        const size_t nSkip = UnconvertibleUnits(reinterpret_cast<const char16_t*>(pIn), nIn / 2);
        pIn += nSkip * sizeof(char16_t);
        nIn -= nSkip * sizeof(char16_t);
        conv.Reset();
    }
}

} // namespace

namespace Codec {

CString FromUnicode(const QString& text)
{
    const char16_t* pUnits = reinterpret_cast<const char16_t*>(text.utf16());
    qsizetype nUnits = text.size();
    if (IsAscii(pUnits, nUnits)) {
        std::string s((size_t)nUnits, '\0');
        for (qsizetype i = 0; i < nUnits; ++i)
            s[(size_t)i] = (char)pUnits[i];
        return CString(s);
    }

    // Two bytes for each UTF-16 unit are enough unless characters outside GBK come.
    ByteSink sink((size_t)nUnits * 2);
    const char16_t* const pEnd = pUnits + nUnits;
    for (const char16_t* p = pUnits; p < pEnd;) {
        const char16_t* pEuro = std::find(p, pEnd, kEuro);
        EncodeRun(p, pEuro, sink);
        if (pEuro == pEnd)
            break;
        sink.Put(&kEuroByte, 1);
        p = pEuro + 1;
    }
    return CString(sink.Take());
}

QString ToUnicode(const char* pch, int nLength)
{
    if (!pch || nLength <= 0)
        return QString();
    if (IsAscii(pch, nLength))
        return QString::fromLatin1(pch, nLength);
    // Every byte sequence gives at most one UTF-16 unit per byte.
    QString result((qsizetype)nLength, Qt::Uninitialized);
    char16_t* const pBegin = reinterpret_cast<char16_t*>(result.data());
    char16_t* pOut = pBegin;
    char* pIn = const_cast<char*>(pch);
    size_t nIn = (size_t)nLength;
    while (nIn > 0 && !DecodeRun(Decoder(), pIn, nIn, pOut)) {
        // Where code page 936 has no character, GB18030 reads on, as far as it can: the text
        // after a character outside GBK is often more of the same script. It stops at the
        // euro sign's 0x80, which code page 936 then reads.
        const char* pStop = pIn;
        DecodeRun(ExtraDecoder(), pIn, nIn, pOut);
        if (pIn == pStop) {   // neither has a character here
            const size_t nSkip = ExtraSequenceLength(reinterpret_cast<const unsigned char*>(pIn), nIn);
            *pOut++ = 0xFFFD;
            pIn += nSkip;
            nIn -= nSkip;
        }
    }
    result.resize(pOut - pBegin);
    return result;
}

QString ToUnicode(const CString& text)
{
    return ToUnicode(text.str().data(), text.GetLength());
}

} // namespace Codec
