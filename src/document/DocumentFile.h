// CDocumentFile: a .zs document as bytes. Building turns the record table and the layout into
// the file's bytes (CSafeFile writes them); reading parses and checks a whole file before
// anything is applied, so a damaged or foreign file changes nothing.
#pragma once

#include "Geometry.h"
#include "PrintItem.h"
#include "String.h"

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
    // The table keys its rows in 16 bits: no document has more rows, and a paste grows the
    // table no further. Column widths are those the table can hold (CGridCtrl::
    // MAX_CELL_EXTENT): a wider one, which earlier versions wrote after fitting a column to a
    // long text, reads as that bound, so such a document still opens.
    enum { MAX_ROWS = 0x10000 };
    static int StoredColumnWidth(int nWidth);

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
