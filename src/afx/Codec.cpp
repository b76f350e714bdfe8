#include "Codec.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>

namespace {

constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

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
        return iconv(m_cd, ppIn, pnIn, ppOut, pnOut) != (size_t)-1;
    }
    void Reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t m_cd;
};

Converter& Encoder()
{
    thread_local Converter conv("CP936", kUtf16);
    return conv;
}

// Decoding goes to the C library's wide characters (UCS-4), which iconv reaches from code
// page 936 in one step; asking it for UTF-16 adds a second step and doubles the time a
// table's worth of text takes. The wide characters are narrowed to UTF-16 here.
static_assert(sizeof(wchar_t) == 4, "wide characters are UCS-4");

Converter& Decoder()
{
    thread_local Converter conv("WCHAR_T", "CP936");
    return conv;
}

// Code page 936 has no character beyond the Basic Multilingual Plane; anything else from the
// converter would not be one of its characters.
char16_t Utf16Of(wchar_t c)
{
    return (c >= 0 && c < 0x10000) ? (char16_t)c : (char16_t)0xFFFD;
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

// Bytes of the input character at p that cannot be converted: a surrogate pair is one
// character, anything else one UTF-16 unit.
size_t UnconvertibleLength(const char16_t* p, size_t nUnitsLeft)
{
    if (nUnitsLeft >= 2 && IsHighSurrogate(p[0]) && IsLowSurrogate(p[1]))
        return 2 * sizeof(char16_t);
    return sizeof(char16_t);
}

// Bytes of an undecodable sequence at p: a lead byte with a byte of the trail range after it
// is one (unmapped) character; otherwise the single byte is dropped, so that an ASCII byte
// after a stray lead byte survives.
size_t UndecodableLength(const unsigned char* p, size_t nLeft)
{
    if (nLeft >= 2 && p[0] >= 0x81 && p[0] <= 0xFE && p[1] >= 0x40 && p[1] <= 0xFE && p[1] != 0x7F)
        return 2;
    return 1;
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

    // Code page 936 needs at most two bytes for each UTF-16 unit.
    std::string s((size_t)nUnits * 2, '\0');
    Converter& conv = Encoder();
    if (!conv.IsOpen())
        return CString(std::string((size_t)nUnits, '?'));
    conv.Reset();
    char* pIn = const_cast<char*>(reinterpret_cast<const char*>(pUnits));
    size_t nIn = (size_t)nUnits * sizeof(char16_t);
    char* pOut = s.data();
    size_t nOut = s.size();
    while (nIn > 0) {
        if (conv.Convert(&pIn, &nIn, &pOut, &nOut))
            break;
        if (errno == E2BIG) {   // not expected; grow and go on
            size_t nUsed = (size_t)(pOut - s.data());
            s.resize(s.size() * 2 + 16);
            pOut = s.data() + nUsed;
            nOut = s.size() - nUsed;
            continue;
        }
        // EILSEQ (no such character, lone surrogate) or EINVAL (cut-off pair at the end).
        if (nOut == 0) {
            size_t nUsed = (size_t)(pOut - s.data());
            s.resize(s.size() + 16);
            pOut = s.data() + nUsed;
            nOut = s.size() - nUsed;
        }
        *pOut++ = '?';
        --nOut;
        size_t nSkip = UnconvertibleLength(reinterpret_cast<const char16_t*>(pIn), nIn / 2);
        pIn += nSkip;
        nIn -= nSkip;
        conv.Reset();
    }
    s.resize((size_t)(pOut - s.data()));
    return CString(s);
}

QString ToUnicode(const char* pch, int nLength)
{
    if (!pch || nLength <= 0)
        return QString();
    if (IsAscii(pch, nLength))
        return QString::fromLatin1(pch, nLength);
    Converter& conv = Decoder();
    if (!conv.IsOpen())
        return QString::fromLatin1(pch, nLength);
    conv.Reset();

    // Every byte sequence gives at most one UTF-16 unit per byte.
    QString result((qsizetype)nLength, Qt::Uninitialized);
    char16_t* const pBegin = reinterpret_cast<char16_t*>(result.data());
    char16_t* pOut = pBegin;
    wchar_t arrChunk[2048];
    char* pIn = const_cast<char*>(pch);
    size_t nIn = (size_t)nLength;
    while (nIn > 0) {
        char* pChunk = reinterpret_cast<char*>(arrChunk);
        size_t nChunk = sizeof arrChunk;
        const bool bDone = conv.Convert(&pIn, &nIn, &pChunk, &nChunk);
        const int nError = errno;
        for (const wchar_t* p = arrChunk; p < reinterpret_cast<wchar_t*>(pChunk); ++p)
            *pOut++ = Utf16Of(*p);
        if (bDone)
            break;
        if (nError == E2BIG)   // the chunk is full
            continue;
        // EILSEQ (no such character) or EINVAL (a lead byte cut off at the end).
        *pOut++ = 0xFFFD;
        const size_t nSkip = UndecodableLength(reinterpret_cast<const unsigned char*>(pIn), nIn);
        pIn += nSkip;
        nIn -= nSkip;
        conv.Reset();
    }
    result.resize(pOut - pBegin);
    return result;
}

QString ToUnicode(const CString& text)
{
    return ToUnicode(text.str().data(), text.GetLength());
}

} // namespace Codec
