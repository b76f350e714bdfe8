#include "String.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Length of the character starting at nPos.
size_t CharLength(const std::string& s, size_t nPos)
{
    return (size_t)AfxCharLength(s.data() + nPos, s.size() - nPos);
}

bool IsAsciiUpper(char ch) { return ch >= 'A' && ch <= 'Z'; }
bool IsAsciiLower(char ch) { return ch >= 'a' && ch <= 'z'; }
char AsciiLower(char ch) { return IsAsciiUpper(ch) ? (char)(ch - 'A' + 'a') : ch; }
char AsciiUpper(char ch) { return IsAsciiLower(ch) ? (char)(ch - 'a' + 'A') : ch; }

// The code of the nLength-byte character at nPos: an ASCII letter in lower case, a multi-byte
// character as its bytes in order (lead * 256 + trail for two bytes).
unsigned int CharCode(const std::string& s, size_t nPos, size_t nLength)
{
    if (nLength == 1)
        return (unsigned char)AsciiLower(s[nPos]);
    unsigned int nCode = 0;
    for (size_t k = 0; k < nLength; ++k)
        nCode = (nCode << 8) | (unsigned char)s[nPos + k];
    return nCode;
}

bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

// Finds pattern at a character boundary at or after nStart. The byte search may hit the
// inside of a multi-byte character; such hits are skipped.
int FindAtBoundary(const std::string& s, const char* pattern, size_t nPatLen, int nStart)
{
    if (nStart < 0)
        nStart = 0;
    if ((size_t)nStart > s.size())
        return -1;
    size_t nBoundary = 0;
    size_t nFrom = (size_t)nStart;
    for (;;) {
        size_t nHit = s.find(pattern, nFrom, nPatLen);
        if (nHit == std::string::npos)
            return -1;
        while (nBoundary < nHit)
            nBoundary += CharLength(s, nBoundary);
        if (nBoundary == nHit)
            return (int)nHit;
        nFrom = nHit + 1;
    }
}

// Whether the character pch (nLen bytes) is one of the characters of pszSet.
bool SetHasChar(LPCTSTR pszSet, const char* pch, size_t nLen)
{
    for (const char* p = pszSet; *p;) {
        size_t n = (size_t)AfxCharLength(p, std::strlen(p));
        if (n == nLen && std::memcmp(p, pch, n) == 0)
            return true;
        p += n;
    }
    return false;
}

} // namespace

int AfxWholeCharsLength(const char* pch, int nLength, int nMaxBytes)
{
    const int nLimit = std::min(nLength, nMaxBytes);
    int nWhole = 0;
    while (nWhole < nLimit) {
        const int nChar = AfxCharLength(pch + nWhole, (size_t)(nLength - nWhole));
        if (nWhole + nChar > nLimit)
            break;
        nWhole += nChar;
    }
    return nWhole;
}

CString::CString(LPCTSTR psz)
{
    if (psz)
        m_str = psz;
}

CString::CString(LPCTSTR pch, int nLength)
{
    if (pch && nLength > 0)
        m_str.assign(pch, (size_t)nLength);
}

CString::CString(TCHAR ch, int nRepeat)
{
    if (nRepeat > 0)
        m_str.assign((size_t)nRepeat, ch);
}

CString& CString::operator=(LPCTSTR psz)
{
    if (psz)
        m_str = psz;   // std::string copes with psz pointing into itself
    else
        m_str.clear();
    return *this;
}

CString& CString::operator=(TCHAR ch)
{
    m_str.assign(1, ch);
    return *this;
}

CString& CString::operator+=(LPCTSTR psz)
{
    if (psz)
        m_str.append(psz);
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    return CString(a.m_str + b.m_str);
}

CString operator+(const CString& a, LPCTSTR b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(LPCTSTR a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(const CString& a, TCHAR b)
{
    CString s(a);
    s += b;
    return s;
}

CString operator+(TCHAR a, const CString& b)
{
    CString s(a);
    s += b;
    return s;
}

bool CString::operator==(LPCTSTR psz) const
{
    return Compare(psz) == 0;
}

// Unsigned byte order equals the order of the character codes.
int CString::Compare(LPCTSTR psz) const
{
    int n = std::strcmp(m_str.c_str(), psz ? psz : "");
    return n < 0 ? -1 : (n > 0 ? 1 : 0);
}

int CString::CompareNoCase(LPCTSTR psz) const
{
    std::string strOther(psz ? psz : "");
    const std::string& strThis = m_str;
    size_t i = 0, j = 0;
    for (;;) {
        bool bEndThis = i >= strThis.size() || strThis[i] == '\0';
        bool bEndOther = j >= strOther.size() || strOther[j] == '\0';
        if (bEndThis || bEndOther)
            return bEndThis == bEndOther ? 0 : (bEndThis ? -1 : 1);
        size_t nThis = CharLength(strThis, i);
        size_t nOther = CharLength(strOther, j);
        // Character codes: a multi-byte character compares as its bytes read as one number.
        unsigned int cThis = CharCode(strThis, i, nThis);
        unsigned int cOther = CharCode(strOther, j, nOther);
        if (cThis != cOther)
            return cThis < cOther ? -1 : 1;
        i += nThis;
        j += nOther;
    }
}

CString CString::Left(int nCount) const
{
    nCount = std::clamp(nCount, 0, GetLength());
    return CString(m_str.substr(0, (size_t)nCount));
}

CString CString::Right(int nCount) const
{
    nCount = std::clamp(nCount, 0, GetLength());
    return CString(m_str.substr(m_str.size() - (size_t)nCount));
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const
{
    int nLength = GetLength();
    nFirst = std::clamp(nFirst, 0, nLength);
    nCount = std::clamp(nCount, 0, nLength - nFirst);
    return CString(m_str.substr((size_t)nFirst, (size_t)nCount));
}

int CString::Find(TCHAR ch, int nStart) const
{
    if (nStart >= GetLength())
        return -1;
    return FindAtBoundary(m_str, &ch, 1, nStart);
}

int CString::Find(LPCTSTR psz, int nStart) const
{
    if (!psz)
        return -1;
    return FindAtBoundary(m_str, psz, std::strlen(psz), nStart);
}

int CString::ReverseFind(TCHAR ch) const
{
    int nFound = -1;
    for (size_t i = 0; i < m_str.size();) {
        size_t n = CharLength(m_str, i);
        if (n == 1 && m_str[i] == ch)
            nFound = (int)i;
        i += n;
    }
    return nFound;
}

void CString::MakeLower()
{
    for (size_t i = 0; i < m_str.size();) {
        size_t n = CharLength(m_str, i);
        if (n == 1)
            m_str[i] = AsciiLower(m_str[i]);
        i += n;
    }
}

void CString::MakeUpper()
{
    for (size_t i = 0; i < m_str.size();) {
        size_t n = CharLength(m_str, i);
        if (n == 1)
            m_str[i] = AsciiUpper(m_str[i]);
        i += n;
    }
}

// The bytes after a lead byte are digits or 0x40 and above, never blanks: a byte scan is safe here.
void CString::TrimLeft()
{
    size_t n = 0;
    while (n < m_str.size() && IsBlank(m_str[n]))
        ++n;
    m_str.erase(0, n);
}

void CString::TrimRight()
{
    size_t n = m_str.size();
    while (n > 0 && IsBlank(m_str[n - 1]))
        --n;
    m_str.resize(n);
}

void CString::TrimLeft(LPCTSTR pszChars)
{
    if (!pszChars)
        return;
    size_t i = 0;
    while (i < m_str.size()) {
        size_t n = CharLength(m_str, i);
        if (!SetHasChar(pszChars, m_str.data() + i, n))
            break;
        i += n;
    }
    m_str.erase(0, i);
}

void CString::TrimRight(LPCTSTR pszChars)
{
    if (!pszChars)
        return;
    // Walk forwards: only a forward walk knows where characters start.
    size_t nKeep = 0;
    for (size_t i = 0; i < m_str.size();) {
        size_t n = CharLength(m_str, i);
        if (!SetHasChar(pszChars, m_str.data() + i, n))
            nKeep = i + n;
        i += n;
    }
    m_str.resize(nKeep);
}

int CString::Replace(LPCTSTR pszOld, LPCTSTR pszNew)
{
    if (!pszOld || !*pszOld)
        return 0;
    size_t nOldLen = std::strlen(pszOld);
    std::string strNew(pszNew ? pszNew : "");
    std::string strResult;
    int nReplaced = 0;
    size_t nCopied = 0;
    int nHit = FindAtBoundary(m_str, pszOld, nOldLen, 0);
    while (nHit >= 0) {
        strResult.append(m_str, nCopied, (size_t)nHit - nCopied);
        strResult += strNew;
        nCopied = (size_t)nHit + nOldLen;
        ++nReplaced;
        nHit = FindAtBoundary(m_str, pszOld, nOldLen, (int)nCopied);
    }
    if (nReplaced == 0)
        return 0;
    strResult.append(m_str, nCopied, std::string::npos);
    m_str.swap(strResult);
    return nReplaced;
}

int CString::Remove(TCHAR ch)
{
    std::string strResult;
    strResult.reserve(m_str.size());
    int nRemoved = 0;
    for (size_t i = 0; i < m_str.size();) {
        size_t n = CharLength(m_str, i);
        if (n == 1 && m_str[i] == ch)
            ++nRemoved;
        else
            strResult.append(m_str, i, n);
        i += n;
    }
    m_str.swap(strResult);
    return nRemoved;
}

int CString::Insert(int nIndex, LPCTSTR psz)
{
    nIndex = std::clamp(nIndex, 0, GetLength());
    if (psz)
        m_str.insert((size_t)nIndex, std::string(psz));
    return GetLength();
}

int CString::Delete(int nIndex, int nCount)
{
    int nLength = GetLength();
    if (nIndex < 0)
        nIndex = 0;
    if (nCount > 0 && nIndex < nLength)
        m_str.erase((size_t)nIndex, (size_t)std::min(nCount, nLength - nIndex));
    return GetLength();
}

void CString::Format(LPCTSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatArgs(LPCTSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCTSTR pszFormat, va_list args)
{
    if (!pszFormat) {
        m_str.clear();
        return;
    }
    // The arguments may point into this string, so it is replaced only at the end.
    char buf[256];
    va_list argsRetry;
    va_copy(argsRetry, args);
    int n = std::vsnprintf(buf, sizeof buf, pszFormat, args);
    if (n < 0) {
        m_str.clear();
    } else if ((size_t)n < sizeof buf) {
        m_str.assign(buf, (size_t)n);
    } else {
        std::string strResult((size_t)n, '\0');
        std::vsnprintf(strResult.data(), (size_t)n + 1, pszFormat, argsRetry);
        m_str.swap(strResult);
    }
    va_end(argsRetry);
}

LPTSTR CString::GetBuffer(int nMinBufLength)
{
    // std::string keeps a NUL after its last byte, so the caller may write a terminator there.
    if (nMinBufLength > GetLength())
        m_str.resize((size_t)nMinBufLength, '\0');
    return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = (int)std::strlen(m_str.c_str());
    m_str.resize((size_t)nNewLength, '\0');
}
