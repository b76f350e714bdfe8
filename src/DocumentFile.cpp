#include "DocumentFile.h"

#include "File.h"
#include "GridCtrl.h"
#include "PrintSet.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

namespace {

const char s_szMagic[] = "zs2020";
const int s_nVersion = 2;
const int s_nFields = CPrintItem::FIELD_COUNT;
const UINT s_nHeadingFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

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

// The text of a cell as the table holds it, without a copy.
LPCTSTR CellText(const CGridCtrl& grid, int nRow, int nCol)
{
    const CGridCellBase* pCell = grid.GetCell(nRow, nCol);
    const LPCTSTR pszText = pCell ? pCell->GetText() : nullptr;
    return pszText ? pszText : "";
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
        std::string strText;
        if (!GetText(strText))
            return false;
        str = CString(strText.c_str());
        return true;
    }

    // Appends the text of one string and a zero byte to strTexts.
    bool GetText(std::string& strTexts)
    {
        int32_t nLength;
        if (!GetInt(nLength) || nLength < 0 || (uint64_t)nLength * 4 > m_nLeft)
            return false;
        const size_t nStart = strTexts.size();
        strTexts.resize(nStart + (size_t)nLength + 1);
        char* pOut = &strTexts[nStart];
        const auto* p = reinterpret_cast<const unsigned char*>(m_pData);
        for (int32_t i = 0; i < nLength; i++)
            pOut[i] = (char)(0u - (uint32_t)p[4 * (size_t)i]);   // the low byte of the negation
        pOut[nLength] = '\0';
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
    void Skip(size_t nCount)
    {
        m_pData += nCount;
        m_nLeft -= nCount;
    }

    const char* m_pData;
    size_t m_nLeft;
};

// ---- Building ----

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
        PutInt(strData, grid.GetColumnWidth(nCol));
    PutInt(strData, nRows);
    for (int nRow = 1; nRow < nRows; nRow++) {
        for (int nCol = 1; nCol <= s_nFields; nCol++) {
            const LPCTSTR pszText = CellText(grid, nRow, nCol);
            PutString(strData, pszText, (int)std::strlen(pszText));
        }
    }
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
    ASSERT(strData.size() == nSize);
    return strData;
}

// ---- Reading ----

LPCTSTR CDocumentFile::GetCellText(int nRow, int nCol) const
{
    ASSERT(nRow >= 1 && nRow < m_nRowCount && nCol >= 1 && nCol <= s_nFields);
    const size_t nCell = (size_t)(nRow - 1) * s_nFields + (size_t)(nCol - 1);
    return m_strCellTexts.data() + m_arrCellOffsets[nCell];
}

void CDocumentFile::Clear()
{
    std::fill(std::begin(m_arrColumnWidths), std::end(m_arrColumnWidths), 0);
    m_nRowCount = 0;
    m_strCellTexts.clear();
    m_arrCellOffsets.clear();
    m_nPaperWidth = m_nPaperHeight = 0;
    m_arrItems.clear();
}

CDocumentFile::ReadResult CDocumentFile::Parse(const char* pData, size_t nSize)
{
    Clear();
    CDocumentCursor cursor(pData, nSize);
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
    // The table has no use for a negative width, nor for one wider than any screen.
    for (int& nWidth : m_arrColumnWidths) {
        if (!cursor.GetInt(nValue) || nValue < 0 || nValue > MAX_COLUMN_WIDTH)
            return false;
        nWidth = nValue;
    }

    // Every cell takes at least 4 bytes (an empty string).
    int32_t nRows;
    if (!cursor.GetInt(nRows) || nRows < 1 || nRows > MAX_ROWS ||
        (uint64_t)(nRows - 1) * s_nFields * 4 > cursor.BytesLeft())
        return false;
    m_nRowCount = nRows;
    m_arrCellOffsets.resize((size_t)(nRows - 1) * s_nFields);
    m_strCellTexts.reserve(cursor.BytesLeft() / 4);
    for (size_t& nOffset : m_arrCellOffsets) {
        nOffset = m_strCellTexts.size();
        if (!cursor.GetText(m_strCellTexts))
            return false;
    }

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
    if (!cursor.GetInt(nItems) || nItems < 0 || (uint64_t)nItems * 24 > cursor.BytesLeft())
        return false;
    m_arrItems.resize((size_t)nItems);
    for (CItem& item : m_arrItems) {
        int32_t l, t, r, b;
        if (!cursor.GetInt(l) || !cursor.GetInt(t) || !cursor.GetInt(r) || !cursor.GetInt(b) ||
            !cursor.GetString(item.strText) || !cursor.GetString(item.strFontName))
            return false;
        item.rectPaper.SetRect(l, t, r, b);
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
        std::unique_ptr<char[]> pData(new char[sizeof arrHeader + nRest]);
        std::memcpy(pData.get(), arrHeader, sizeof arrHeader);
        // A file that shrinks while it is read gives what was there.
        const UINT nRead = file.Read(pData.get() + sizeof arrHeader, nRest);
        return Parse(pData.get(), sizeof arrHeader + nRead);
    } catch (const std::bad_alloc&) {
        Clear();
        return documentDamaged;
    }
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
    CString strNumber;
    for (int nRow = std::max(nOldRows, 1); nRow < m_nRowCount; nRow++) {
        strNumber.Format("%d", nRow);
        grid.SetItemText(nRow, 0, strNumber);
        grid.SetItemFormat(nRow, 0, s_nHeadingFormat);
    }
    for (int nCol = 1; nCol <= s_nFields; nCol++)
        grid.SetColumnWidth(nCol, m_arrColumnWidths[nCol - 1]);
    const int nRows = grid.GetRowCount();
    const int nCols = grid.GetColumnCount();
    for (int nRow = 1; nRow < nRows; nRow++) {
        for (int nCol = 1; nCol < nCols; nCol++) {
            LPCTSTR pszText = "";
            if (nRow < m_nRowCount && nCol <= s_nFields)
                pszText = GetCellText(nRow, nCol);
            grid.SetItemText(nRow, nCol, pszText);
        }
    }

    printSet.m_nPaperWidth = m_nPaperWidth;
    printSet.m_nPaperHeight = m_nPaperHeight;
    printSet.RemoveAllItems();
    for (auto& pItem : arrItems)
        printSet.m_arrItems.Add(pItem.release());
    return TRUE;
}

// ---- Writing ----

void CDocumentFile::Write(const CString& strPath, const std::string& strData)
{
    CFileStatus status;
    if (CFile::GetStatus(strPath, status) &&
        (status.m_attribute & (CFile::readOnly | CFile::directory)))
        AfxThrowFileException(CFileException::accessDenied, EACCES, strPath);

    // The new file is made in the folder of the file it replaces, so that renaming it there
    // is one step of one file system.
    const CString strTarget = CFile::ResolveLinks(strPath);
    const CString strTemp = strTarget + ".tmp";
    CFile file;
    CFileException error;
    if (!file.Open(strTemp, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary, &error)) {
        // A missing folder is a bad path, not a missing file.
        const int cause = error.m_cause == CFileException::fileNotFound ? CFileException::badPath
                                                                         : error.m_cause;
        AfxThrowFileException(cause, error.m_lOsError, strPath);
    }
    try {
        file.Write(strData.data(), (UINT)strData.size());
        file.Flush();
        file.Close();
        CFile::Replace(strTemp, strTarget);
    } catch (CFileException* e) {
        file.Abort();
        try {
            CFile::Remove(strTemp);
        } catch (CFileException* eRemove) {
            eRemove->Delete();
        }
        e->m_strFileName = strPath;
        throw;
    }
}
