#include "DocumentFile.h"

#include "File.h"
#include "GridCtrl.h"
#include "PrintSet.h"
#include "RowNumbers.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

const char s_szMagic[] = "zs2020";
const int s_nVersion = 2;
const int s_nFields = CPrintItem::FIELD_COUNT;

void PutInt(std::string& strData, int32_t nValue)
{
    const uint32_t u = (uint32_t)nValue;
    const char bytes[4] = {(char)u, (char)(u >> 8), (char)(u >> 16), (char)(u >> 24)};
    strData.append(bytes, 4);
}

// A byte count, then each byte as the int32 of its negated signed value.
void PutString(std::string& strData, LPCTSTR psz, int nLength)
{
    PutInt(strData, nLength);
    const size_t nStart = strData.size();
    strData.resize(nStart + 4 * (size_t)nLength);
    char* pOut = &strData[nStart];
    for (int i = 0; i < nLength; i++, pOut += 4) {
        const uint32_t u = (uint32_t)(-(int32_t)(signed char)psz[i]);
        pOut[0] = (char)u;
        pOut[1] = (char)(u >> 8);
        pOut[2] = (char)(u >> 16);
        pOut[3] = (char)(u >> 24);
    }
}

void PutString(std::string& strData, const CString& str)
{
    PutString(strData, str, str.GetLength());
}

void PutLayout(std::string& strData, const CPrintSet& printSet)
{
    PutInt(strData, printSet.m_nPaperWidth);
    PutInt(strData, printSet.m_nPaperHeight);
    PutInt(strData, printSet.GetItemCount());
    for (int i = 0; i < printSet.GetItemCount(); i++) {
        const CPrintItem* pItem = printSet.GetItem(i);
        PutInt(strData, pItem->m_rectPaper.left);
        PutInt(strData, pItem->m_rectPaper.top);
        PutInt(strData, pItem->m_rectPaper.right);
        PutInt(strData, pItem->m_rectPaper.bottom);
        PutString(strData, pItem->m_strText);
        PutString(strData, pItem->m_strFontName);
    }
}

// The text of a cell as the table holds it, without a copy.
LPCTSTR CellText(const CGridCtrl& grid, int nRow, int nCol)
{
    const CGridCellBase* pCell = grid.GetCell(nRow, nCol);
    const LPCTSTR pszText = pCell ? pCell->GetText() : nullptr;
    return pszText ? pszText : "";
}

// Each text byte is stored as the int32 of its negated signed value: the text byte is the
// negation of the value's low byte, the first of its four in the file. Sixteen values at a
// time where the processor has the vectors for it. Also tells whether a zero byte came out,
// so the text need not be searched again.
bool DecodeText(const unsigned char* p, size_t nLength, char* pOut)
{
    size_t i = 0;
    bool bZero = false;
#if defined(__SSE2__)
    const __m128i lowByte = _mm_set1_epi32(0xFF), zero = _mm_setzero_si128();
    for (; i + 16 <= nLength; i += 16) {
        const auto* pValues = reinterpret_cast<const __m128i*>(p + 4 * i);
        const auto Low = [&](int n) { return _mm_and_si128(_mm_loadu_si128(pValues + n), lowByte); };
        const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(Low(0), Low(1)), _mm_packs_epi32(Low(2), Low(3)));
        const __m128i text = _mm_sub_epi8(zero, bytes);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pOut + i), text);
        bZero |= _mm_movemask_epi8(_mm_cmpeq_epi8(text, zero)) != 0;
    }
#endif
    for (; i < nLength; i++) {
        const auto ch = (unsigned char)(0u - p[4 * i]);
        pOut[i] = (char)ch;
        bZero |= ch == 0;
    }
    return bZero;
}

} // namespace

// Reads values from the file's bytes; every read checks the bytes that are left, so no
// count in the file can ask for more than the file holds.
class CDocumentCursor {
public:
    CDocumentCursor(const char* pData, size_t nSize) : m_pData(pData), m_nLeft(nSize) {}

    size_t BytesLeft() const { return m_nLeft; }

    bool GetInt(int32_t& nValue)
    {
        if (m_nLeft < 4)
            return false;
        const auto* p = reinterpret_cast<const unsigned char*>(m_pData);
        nValue = (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
                           (uint32_t)p[3] << 24);
        Skip(4);
        return true;
    }

    // False for a negative length or one the bytes left cannot hold. A decoded zero byte
    // ends the text; the rest of the string is still passed over.
    bool GetString(CString& str)
    {
        int32_t nLength;
        if (!PeekLength(nLength))
            return false;
        std::string strText((size_t)nLength, '\0');
        size_t nText;
        DecodeString(strText.data(), nText);
        strText.resize(nText);
        str = CString(std::move(strText));
        return true;
    }

    // Decodes one string to its text at pOut: a buffer of the string's length, or the bytes
    // the string came from, as the text never gets ahead of what is still to be read. nText
    // is the text's length up to the first decoded zero byte.
    bool DecodeString(char* pOut, size_t& nText)
    {
        int32_t nLength;
        if (!PeekLength(nLength))
            return false;
        Skip(4);
        const bool bZero = DecodeText(reinterpret_cast<const unsigned char*>(m_pData), (size_t)nLength, pOut);
        nText = bZero ? strnlen(pOut, (size_t)nLength) : (size_t)nLength;
        Skip(4 * (size_t)nLength);
        return true;
    }

    // Whether the bytes begin with the magic string. A negative first length is damage, not
    // a foreign file.
    CDocumentFile::ReadResult GetMagic()
    {
        CDocumentCursor probe = *this;
        int32_t nLength = 0;
        if (probe.GetInt(nLength) && nLength < 0)
            return CDocumentFile::documentDamaged;
        CString strMagic;
        if (nLength != (int32_t)std::strlen(s_szMagic) || !GetString(strMagic) || strMagic != s_szMagic)
            return CDocumentFile::documentForeign;
        return CDocumentFile::documentRead;
    }

private:
    // The length of the string that begins here, if the bytes left hold all of it.
    bool PeekLength(int32_t& nLength) const
    {
        CDocumentCursor probe = *this;
        return probe.GetInt(nLength) && nLength >= 0 && (uint64_t)nLength * 4 <= probe.m_nLeft;
    }

    void Skip(size_t nCount)
    {
        m_pData += nCount;
        m_nLeft -= nCount;
    }

    const char* m_pData;
    size_t m_nLeft;
};

// ---- Building ----

// What is written is what is read back: a width the table can hold.
int CDocumentFile::StoredColumnWidth(int nWidth)
{
    return std::clamp<int>(nWidth, 0, CGridCtrl::MAX_CELL_EXTENT);
}

std::string CDocumentFile::Build(const CGridCtrl& grid, const CPrintSet& printSet)
{
    const int nRows = grid.GetRowCount();
    // One allocation of the exact size: the cells take 4 bytes per text byte and 4 for the count.
    size_t nSize = 4 + 4 * std::strlen(s_szMagic) + 4 + 4 * s_nFields + 4 + 12;
    for (int nRow = 1; nRow < nRows; nRow++)
        for (int nCol = 1; nCol <= s_nFields; nCol++)
            nSize += 4 + 4 * std::strlen(CellText(grid, nRow, nCol));
    for (int i = 0; i < printSet.GetItemCount(); i++)
        nSize += 24 + 4 * (size_t)(printSet.GetItem(i)->m_strText.GetLength() +
                                   printSet.GetItem(i)->m_strFontName.GetLength());
    std::string strData;
    strData.reserve(nSize);
    PutString(strData, s_szMagic, (int)std::strlen(s_szMagic));
    PutInt(strData, s_nVersion);
    for (int nCol = 1; nCol <= s_nFields; nCol++)
        PutInt(strData, StoredColumnWidth(grid.GetColumnWidth(nCol)));
    PutInt(strData, nRows);
    for (int nRow = 1; nRow < nRows; nRow++) {
        for (int nCol = 1; nCol <= s_nFields; nCol++) {
            const LPCTSTR pszText = CellText(grid, nRow, nCol);
            PutString(strData, pszText, (int)std::strlen(pszText));
        }
    }
    PutLayout(strData, printSet);
    ASSERT(strData.size() == nSize);
    return strData;
}

std::string CDocumentFile::BuildLayout(const CPrintSet& printSet)
{
    std::string strData;
    PutLayout(strData, printSet);
    return strData;
}

// ---- Reading ----

CString CDocumentFile::GetCellText(int nRow, int nCol) const
{
    ASSERT(nRow >= 1 && nRow < m_nRowCount && nCol >= 1 && nCol <= s_nFields);
    const size_t nCell = (size_t)(nRow - 1) * s_nFields + (size_t)(nCol - 1);
    const char* pchText = m_pBytes.get() + m_nCellsOffset;
    for (size_t i = 0; i < nCell; i++)
        pchText += m_arrCellLengths[i];
    return CString(pchText, (int)m_arrCellLengths[nCell]);
}

void CDocumentFile::Clear()
{
    std::fill(std::begin(m_arrColumnWidths), std::end(m_arrColumnWidths), 0);
    m_nRowCount = 0;
    m_pBytes.reset();
    m_nBytes = m_nCellsOffset = 0;
    m_arrCellLengths.clear();
    m_nPaperWidth = m_nPaperHeight = 0;
    m_arrItems.clear();
}

CDocumentFile::ReadResult CDocumentFile::Parse(const char* pData, size_t nSize)
{
    Clear();
    try {
        m_pBytes.reset(new char[std::max<size_t>(nSize, 1)]);
    } catch (const std::bad_alloc&) {
        return documentDamaged;
    }
    if (nSize > 0)
        std::memcpy(m_pBytes.get(), pData, nSize);
    m_nBytes = nSize;
    return ParseBytes();
}

CDocumentFile::ReadResult CDocumentFile::ParseBytes()
{
    CDocumentCursor cursor(m_pBytes.get(), m_nBytes);
    ReadResult result = cursor.GetMagic();
    if (result == documentRead && !ParseBody(cursor))
        result = documentDamaged;
    if (result != documentRead)
        Clear();
    return result;
}

bool CDocumentFile::ParseBody(CDocumentCursor& cursor)
{
    int32_t nValue;
    if (!cursor.GetInt(nValue))   // the version: any value is read alike
        return false;
    // The table has no use for a negative width.
    for (int& nWidth : m_arrColumnWidths) {
        if (!cursor.GetInt(nValue) || nValue < 0)
            return false;
        nWidth = StoredColumnWidth(nValue);
    }

    // Every cell takes at least 4 bytes (an empty string).
    int32_t nRows;
    if (!cursor.GetInt(nRows) || nRows < 1 || nRows > MAX_ROWS ||
        (uint64_t)(nRows - 1) * s_nFields * 4 > cursor.BytesLeft())
        return false;
    m_nRowCount = nRows;
    // Each cell is decoded over the bytes it came from, in the one pass that checks it: a
    // text takes a quarter of its string, so what is written never reaches what is still to
    // be read, and the table is then filled from a quarter of the bytes.
    m_nCellsOffset = m_nBytes - cursor.BytesLeft();
    char* pOut = m_pBytes.get() + m_nCellsOffset;
    try {
        m_arrCellLengths.resize((size_t)(nRows - 1) * s_nFields);
    } catch (const std::bad_alloc&) {
        return false;   // memory that runs out reads as a damaged file
    }
    CDocumentCursor cells = cursor;   // a local cursor stays in registers
    for (uint32_t& nLength : m_arrCellLengths) {
        size_t nText;
        if (!cells.DecodeString(pOut, nText))
            return false;
        nLength = (uint32_t)nText;
        pOut += nText;
    }
    cursor = cells;

    // A paper without width or height cannot be mapped to the screen.
    int32_t nWidth, nHeight;
    if (!cursor.GetInt(nWidth) || !cursor.GetInt(nHeight) || nWidth <= 0 || nHeight <= 0)
        return false;
    m_nPaperWidth = nWidth;
    m_nPaperHeight = nHeight;
    return ParseItems(cursor);
}

bool CDocumentFile::ParseItems(CDocumentCursor& cursor)
{
    int32_t nItems;
    // Every item takes at least 24 bytes: four edges and two empty strings.
    if (!cursor.GetInt(nItems) || nItems < 0 || nItems > CPrintSet::MAX_ITEMS ||
        (uint64_t)nItems * 24 > cursor.BytesLeft())
        return false;
    try {
        m_arrItems.resize((size_t)nItems);
        for (CItem& item : m_arrItems) {
            int32_t l, t, r, b;
            if (!cursor.GetInt(l) || !cursor.GetInt(t) || !cursor.GetInt(r) || !cursor.GetInt(b) ||
                !cursor.GetString(item.strText) || !cursor.GetString(item.strFontName))
                return false;
            item.rectPaper.SetRect(l, t, r, b);
        }
    } catch (const std::bad_alloc&) {
        return false;   // no memory for the texts: refused as damaged, like the cells
    }
    return true;
}

CDocumentFile::ReadResult CDocumentFile::Read(CFile& file)
{
    Clear();
    char arrHeader[28];
    const UINT nHeader = file.Read(arrHeader, sizeof arrHeader);
    CDocumentCursor header(arrHeader, nHeader);
    const ReadResult result = header.GetMagic();
    if (result != documentRead)
        return result;

    const ULONGLONG nLength = file.GetLength();
    if (nLength > 0x7FFFFFFF)
        return documentDamaged;
    try {
        const UINT nRest = nLength > nHeader ? (UINT)(nLength - nHeader) : 0;
        m_pBytes.reset(new char[sizeof arrHeader + nRest]);
        std::memcpy(m_pBytes.get(), arrHeader, sizeof arrHeader);
        // A file that shrinks while it is read gives what was there.
        const UINT nRead = file.Read(m_pBytes.get() + sizeof arrHeader, nRest);
        m_nBytes = sizeof arrHeader + nRead;
    } catch (const std::bad_alloc&) {
        Clear();
        return documentDamaged;
    }
    return ParseBytes();
}

BOOL CDocumentFile::Apply(CGridCtrl& grid, CPrintSet& printSet) const
{
    // What takes memory comes first, so that running out of it changes nothing: the rows the
    // document adds, and its items.
    const int nOldRows = grid.GetRowCount();
    if (m_nRowCount > nOldRows && !grid.SetRowCount(m_nRowCount))
        return FALSE;
    std::vector<std::unique_ptr<CPrintItem>> arrItems;
    try {
        for (const CItem& stored : m_arrItems) {
            arrItems.push_back(std::make_unique<CPrintItem>());
            arrItems.back()->m_rectPaper = stored.rectPaper;
            arrItems.back()->m_strText = stored.strText;
            arrItems.back()->m_strFontName = stored.strFontName;
        }
    } catch (const std::bad_alloc&) {
        grid.SetRowCount(nOldRows);
        return FALSE;
    }

    // Rows that a document adds are numbered like the rows of a new table.
    if (m_nRowCount > nOldRows)
        CRowNumbers::Number(grid, nOldRows);
    for (int nCol = 1; nCol <= s_nFields; nCol++)
        grid.SetColumnWidth(nCol, m_arrColumnWidths[nCol - 1]);
    const int nRows = grid.GetRowCount();
    const int nCols = grid.GetColumnCount();
    LPCTSTR pchText = m_pBytes.get() + m_nCellsOffset;
    const uint32_t* pLength = m_arrCellLengths.data();
    for (int nRow = 1; nRow < nRows; nRow++) {
        int nCol = 1;
        if (nRow < m_nRowCount) {
            // The table takes the fields it has columns for; every field of the row is passed.
            grid.SetRowTexts(nRow, 1, s_nFields, pchText, pLength);
            for (int nField = 0; nField < s_nFields; nField++)
                pchText += *pLength++;
            nCol = s_nFields + 1;
        }
        for (; nCol < nCols; nCol++)
            grid.SetItemText(nRow, nCol, "", 0);
    }

    printSet.m_nPaperWidth = m_nPaperWidth;
    printSet.m_nPaperHeight = m_nPaperHeight;
    printSet.RemoveAllItems();
    for (auto& pItem : arrItems)
        printSet.m_arrItems.Add(pItem.release());
    return TRUE;
}
