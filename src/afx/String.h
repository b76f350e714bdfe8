// CString: the system's text, a byte string in code page 936 (one byte for ASCII, two bytes for
// a Chinese character, the first of them 0x80 or above). Conversion to Unicode happens only at
// the platform's edges (Codec.h).
#pragma once

#include "afxtypes.h"

#include <cstdarg>
#include <string>
#include <utility>
#include <vector>

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
    int CompareNoCase(LPCTSTR psz) const;   // ASCII letters only, as with code page 936

    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;

    int Find(TCHAR ch, int nStart = 0) const;
    int Find(LPCTSTR psz, int nStart = 0) const;
    int ReverseFind(TCHAR ch) const;

    void MakeLower();   // ASCII letters only; the bytes of double-byte characters are left alone
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
