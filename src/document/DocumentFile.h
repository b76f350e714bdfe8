// CDocumentFile: a .zs document as bytes. Building turns the record table and the layout into
// the file's bytes; reading parses and checks a whole file before anything is applied, so a
// damaged or foreign file changes nothing; writing replaces the file on disk in one step.
#pragma once

#include "Geometry.h"
#include "PrintItem.h"
#include "String.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDocumentCursor;
class CFile;
class CGridCtrl;
class CPrintSet;

class CDocumentFile {
public:
    enum ReadResult { documentRead, documentDamaged, documentForeign };
    // The table keys its rows in 16 bits. No screen is wider than 32767 pixels; a wider
    // column only comes from a damaged file.
    enum { MAX_ROWS = 0x10000, MAX_COLUMN_WIDTH = 0x7FFF };

    struct CItem {
        CRect rectPaper;
        CString strText;
        CString strFontName;
    };

    // The whole file of the table and the layout, byte for byte.
    static std::string Build(const CGridCtrl& grid, const CPrintSet& printSet);
    // The file's last part: the paper size and the items.
    static std::string BuildLayout(const CPrintSet& printSet);

    // Parses the bytes of a whole file. Anything but documentRead leaves no document behind.
    ReadResult Parse(const char* pData, size_t nSize);
    // Reads an open file: the magic first, so that a large file of another kind is not read
    // whole, then the rest at once. File-system errors throw CFileException; memory that runs
    // out reads as a damaged file.
    ReadResult Read(CFile& file);
    // Puts the document that was read into the table and the layout, replacing what they
    // held: cells the file does not fill are emptied, the items are replaced. FALSE, with
    // both unchanged, when there is no memory for the rows or items the document adds.
    BOOL Apply(CGridCtrl& grid, CPrintSet& printSet) const;

    // Writes strData in place of strPath so that a crash at any point leaves either the old
    // file or the new one: a file beside it, forced to disk, renamed over it. A symbolic link
    // stays a link: the file it leads to is replaced. Throws CFileException naming strPath.
    static void Write(const CString& strPath, const std::string& strData);
    // The same for a file that writeContents writes, a piece at a time, into the open file
    // beside strPath; what it throws ends the writing and leaves no file behind.
    static void Write(const CString& strPath, const std::function<void(CFile&)>& writeContents);

    int GetRowCount() const { return m_nRowCount; }
    int GetColumnWidth(int nField) const { return m_arrColumnWidths[nField]; }
    // Rows 1 to GetRowCount() - 1, fields 1 to 26: the text up to its first zero byte.
    CString GetCellText(int nRow, int nCol) const;
    LONG m_nPaperWidth = 0;
    LONG m_nPaperHeight = 0;
    std::vector<CItem> m_arrItems;

private:
    ReadResult ParseBytes();
    bool ParseBody(CDocumentCursor& cursor);
    bool ParseItems(CDocumentCursor& cursor);
    void Clear();

    int m_arrColumnWidths[CPrintItem::FIELD_COUNT] = {};
    int m_nRowCount = 0;
    // The bytes of the file that was read. From m_nCellsOffset on they hold the texts of the
    // cells one after the other, row by row and field A to Z within a row, written over the
    // file's strings; m_arrCellLengths has their lengths in the same order.
    std::unique_ptr<char[]> m_pBytes;
    size_t m_nBytes = 0;
    size_t m_nCellsOffset = 0;
    std::vector<uint32_t> m_arrCellLengths;
};
