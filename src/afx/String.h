// CString: the system's text, a byte string in GB18030: one byte for ASCII, two bytes for a
// character of code page 936 (GBK, the first of them 0x81 or above), four bytes for any other
// character. Conversion to Unicode happens only at the platform's edges (Codec.h).
#pragma once

#include "afxtypes.h"

#include <cstdarg>
#include <string>
#include <utility>
#include <vector>

// A byte of 0x81..0xFE starts a multi-byte character; the byte after it belongs to it, whatever
// its value (trail bytes include ASCII letters, '\\' and '|').
inline bool AfxIsLeadByte(char ch)
{
    return (unsigned char)ch >= 0x81 && (unsigned char)ch <= 0xFE;
}

// GB18030's four-byte characters: a lead byte, a digit, a lead byte, a digit. No double-byte
// character has a digit for its second byte, so the two bytes at the lead decide. The test
// stops at a NUL, so a NUL-terminated text may pass any nLeft.
inline bool AfxIsFourByteChar(const char* pch, size_t nLeft)
{
    auto isDigit = [](char ch) { return ch >= '0' && ch <= '9'; };
    return nLeft >= 4 && AfxIsLeadByte(pch[0]) && isDigit(pch[1]) && AfxIsLeadByte(pch[2]) && isDigit(pch[3]);
}

// The bytes of the character at pch, of the nLeft that remain: 4 for a four-byte character, 2
// for a lead byte with a byte other than NUL after it, else 1 (0 when nothing is left).
inline int AfxCharLength(const char* pch, size_t nLeft)
{
    if (nLeft < 2 || !AfxIsLeadByte(pch[0]) || pch[1] == '\0')
        return nLeft == 0 ? 0 : 1;
    return AfxIsFourByteChar(pch, nLeft) ? 4 : 2;
}

// How many of the first nLength bytes of pch hold whole characters within nMaxBytes.
int AfxWholeCharsLength(const char* pch, int nLength, int nMaxBytes);

class CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(LPCTSTR psz);                 // NULL gives an empty string
    CString(LPCTSTR pch, int nLength);    // exactly nLength bytes, NULs included
    CString(TCHAR ch, int nRepeat = 1);
    explicit CString(const std::string& s) : m_str(s) {}
    explicit CString(std::string&& s) noexcept : m_str(std::move(s)) {}
    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(LPCTSTR psz);
    CString& operator=(TCHAR ch);

    int GetLength() const { return (int)m_str.size(); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    TCHAR GetAt(int nIndex) const { return m_str[(size_t)nIndex]; }
    void SetAt(int nIndex, TCHAR ch) { m_str[(size_t)nIndex] = ch; }
    TCHAR operator[](int nIndex) const { return m_str[(size_t)nIndex]; }
    operator LPCTSTR() const { return m_str.c_str(); }
    const std::string& str() const { return m_str; }

    CString& operator+=(const CString& s) { m_str += s.m_str; return *this; }
    CString& operator+=(LPCTSTR psz);
    CString& operator+=(TCHAR ch) { m_str += ch; return *this; }
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, LPCTSTR b);
    friend CString operator+(LPCTSTR a, const CString& b);
    friend CString operator+(const CString& a, TCHAR b);
    friend CString operator+(TCHAR a, const CString& b);

    bool operator==(const CString& s) const { return m_str == s.m_str; }
    bool operator==(LPCTSTR psz) const;
    bool operator!=(const CString& s) const { return m_str != s.m_str; }
    bool operator!=(LPCTSTR psz) const { return !(*this == psz); }
    bool operator<(const CString& s) const { return m_str < s.m_str; }
    int Compare(LPCTSTR psz) const;
    int CompareNoCase(LPCTSTR psz) const;   // ASCII letters only

    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;

    int Find(TCHAR ch, int nStart = 0) const;
    int Find(LPCTSTR psz, int nStart = 0) const;
    int ReverseFind(TCHAR ch) const;

    void MakeLower();   // ASCII letters only; the bytes of multi-byte characters are left alone
    void MakeUpper();
    void TrimLeft();    // blanks, tabs, CR and LF
    void TrimRight();
    void Trim() { TrimRight(); TrimLeft(); }
    void TrimLeft(LPCTSTR pszChars);
    void TrimRight(LPCTSTR pszChars);
    int Replace(LPCTSTR pszOld, LPCTSTR pszNew);
    int Remove(TCHAR ch);
    int Insert(int nIndex, LPCTSTR psz);
    int Delete(int nIndex, int nCount = 1);

    void Format(LPCTSTR pszFormat, ...);
    // printf formatting that also takes CString arguments for %s, as the framework's does.
    template <typename... Args>
    void Format(LPCTSTR pszFormat, const Args&... args) { FormatArgs(pszFormat, FormatArg(args)...); }

    // The string resource nID (Resource.h); FALSE and empty when there is none.
    BOOL LoadString(UINT nID);

    // Exactly nLength bytes of pch, into the memory the string already has when it is enough.
    void SetString(LPCTSTR pch, int nLength) { m_str.assign(pch, (size_t)nLength); }
    LPTSTR GetBuffer(int nMinBufLength);
    void ReleaseBuffer(int nNewLength = -1);   // -1: up to the first NUL

private:
    static LPCTSTR FormatArg(const CString& s) { return s.m_str.c_str(); }
    template <typename T>
    static const T& FormatArg(const T& value) { return value; }
    void FormatArgs(LPCTSTR pszFormat, ...);
    void FormatV(LPCTSTR pszFormat, va_list args);

    std::string m_str;
};

// An ordered array of strings.
class CStringArray {
public:
    int GetSize() const { return (int)m_arr.size(); }
    int GetUpperBound() const { return GetSize() - 1; }
    void SetSize(int nNewSize) { m_arr.resize((size_t)(nNewSize < 0 ? 0 : nNewSize)); }
    void RemoveAll() { m_arr.clear(); }
    CString GetAt(int nIndex) const { return m_arr[(size_t)nIndex]; }
    void SetAt(int nIndex, const CString& s) { m_arr[(size_t)nIndex] = s; }
    CString& ElementAt(int nIndex) { return m_arr[(size_t)nIndex]; }
    const CString& operator[](int nIndex) const { return m_arr[(size_t)nIndex]; }
    CString& operator[](int nIndex) { return m_arr[(size_t)nIndex]; }
    int Add(const CString& s) { m_arr.push_back(s); return GetUpperBound(); }
    void InsertAt(int nIndex, const CString& s) { m_arr.insert(m_arr.begin() + nIndex, s); }
    void RemoveAt(int nIndex, int nCount = 1) { m_arr.erase(m_arr.begin() + nIndex, m_arr.begin() + nIndex + nCount); }

private:
    std::vector<CString> m_arr;
};
