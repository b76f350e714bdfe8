#include "MainDlg.h"

#include "AboutDlg.h"
#include "CommonDialogs.h"
#include "File.h"
#include "MainApp.h"
#include "OtherSoftDlg.h"
#include "PreviewDlg.h"
#include "PrintItem.h"
#include "SetupDlg.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

AFX_USE_RESOURCES(Main)

namespace {

const int s_nRecords = 300;
const int s_nFields = 26;
const UINT s_nHeadingFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;

CString LoadText(UINT nID)
{
    CString str;
    str.LoadString(nID);
    return str;
}

// The program's folder, where both file dialogs start.
CString AppDir()
{
    const CMainApp* pApp = dynamic_cast<const CMainApp*>(AfxGetApp());
    return pApp ? CString(pApp->m_szAppDir) : CString();
}

// The name after the last separator; positions down to 1 are looked at, so a path whose only
// separator leads it (and "新文件") gives no name.
CString FileNameOf(const CString& strPath)
{
    for (int i = strPath.GetLength() - 1; i > 0; i--)
        if (strPath[i] == '/')
            return strPath.Mid(i + 1);
    return CString();
}

// Documents are named in lower case and end in ".zs". Only the name is lowered: the folder
// must stay the one the user chose, since the file system tells cases apart.
CString SavePathOf(const CString& strChosen)
{
    const int nName = strChosen.ReverseFind('/') + 1;
    CString strName = strChosen.Mid(nName);
    strName.MakeLower();
    if (strName.Right(3) != ".zs")
        strName += ".zs";
    return strChosen.Left(nName) + strName;
}

} // namespace

CMainDlg::CMainDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_nCurRecord(2), m_strPathName(LoadText(IDS_NEW_FILE)),
      m_hIcon(AfxLoadIcon(IDR_MAINFRAME))
{
    MapClicked(IDC_LAYOUT_DESIGN, &CMainDlg::OnLayoutDesign);
    MapClicked(IDC_PREVIEW, &CMainDlg::OnPreview);
    MapClicked(IDC_AUTHOR_PAGE, &CMainDlg::OnAuthorPage);
    MapClicked(IDC_SAVE_FILE, &CMainDlg::OnSaveFile);
    MapClicked(IDC_SAVE_FILE_AS, &CMainDlg::OnSaveFileAs);
    MapClicked(IDC_OPEN_FILE, &CMainDlg::OnOpenFile);
    MapClicked(IDC_CLOSE_FILE, &CMainDlg::OnCloseFile);
}

CMainDlg::~CMainDlg() = default;

void CMainDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_GridControl(pDX, IDC_GRID, m_wndGrid);
}

BOOL CMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    if (CMenu* pSysMenu = GetSystemMenu(FALSE)) {
        const CString strAboutMenu = LoadText(IDS_ABOUTBOX);
        if (!strAboutMenu.IsEmpty()) {
            pSysMenu->AppendMenu(MF_SEPARATOR);
            pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
        }
    }
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    SetUpTable();
    UpdateTitle();
    return TRUE;
}

// One heading row "A".."Z" over the fields and one heading column "1".."300" of records.
void CMainDlg::SetUpTable()
{
    m_wndGrid.SetRowCount(s_nRecords + 1);
    m_wndGrid.SetColumnCount(s_nFields + 1);
    m_wndGrid.SetFixedRowCount(1);
    m_wndGrid.SetFixedColumnCount(1);
    CString str;
    for (int i = 0; i < s_nFields; i++) {
        str.Format("%c", 65 + i);
        m_wndGrid.SetItemText(0, i + 1, str);
        m_wndGrid.SetItemFormat(0, i + 1, s_nHeadingFormat);
    }
    for (int i = 1; i <= s_nRecords; i++) {
        str.Format("%d", i);
        m_wndGrid.SetItemText(i, 0, str);
        m_wndGrid.SetItemFormat(i, 0, s_nHeadingFormat);
    }
    m_wndGrid.SetColumnWidth(0, 40);
}

BOOL CMainDlg::UpdateTitle()
{
    CString strTitle;
    strTitle.Format("Veltrane [ %s ]", m_strPathName);
    if (m_strPathName == LoadText(IDS_NEW_FILE))
        strTitle = LoadText(IDS_TITLE_NEW_FILE);
    if (IsTableEmpty())
        strTitle = LoadText(IDS_TITLE_EMPTY_TABLE);
    SetWindowText(strTitle);
    return TRUE;
}

// Fields A to D of records 1 and 2 decide; no other cell is looked at.
BOOL CMainDlg::IsTableEmpty()
{
    for (int nRow = 1; nRow <= 2; nRow++)
        for (int nCol = 1; nCol <= 4; nCol++)
            if (!m_wndGrid.GetItemText(nRow, nCol).IsEmpty())
                return FALSE;
    return TRUE;
}

// Enter does not close the main window.
void CMainDlg::OnOK()
{
}

void CMainDlg::OnSysCommand(UINT nID, LPARAM lParam)
{
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CMainDlg::OnLayoutDesign()
{
    if (IsTableEmpty()) {
        AfxMessageBox(IDP_EMPTY_TABLE_DESIGN);
        return;
    }
    CSetupDlg dlg(this);
    dlg.m_pPrintSet = &m_printSet;
    dlg.DoModal();
}

void CMainDlg::OnPreview()
{
    m_nCurRecord = m_wndGrid.GetCurrentRow();
    if (m_nCurRecord < 0)
        m_nCurRecord = 1;
    CPreviewDlg dlg(this);
    dlg.m_pPrintSet = &m_printSet;
    dlg.DoModal();
}

void CMainDlg::OnAuthorPage()
{
    COtherSoftDlg dlg(this);
    dlg.DoModal();
}

void CMainDlg::OnSaveFile()
{
    if (IsTableEmpty()) {
        AfxMessageBox(IDP_EMPTY_TABLE_SAVE);
        return;
    }
    if (m_strPathName == LoadText(IDS_NEW_FILE)) {
        OnSaveFileAs();
        return;
    }
    SaveDocument();
}

void CMainDlg::OnSaveFileAs()
{
    if (IsTableEmpty()) {
        AfxMessageBox(IDP_EMPTY_TABLE_SAVE);
        return;
    }
    const CString strPath = AskSavePath();
    if (strPath.IsEmpty())
        return;
    // A file that could not be written (SaveDocument said why) does not become the document.
    const CString strPrevious = m_strPathName;
    m_strPathName = strPath;
    if (!SaveDocument()) {
        m_strPathName = strPrevious;
        return;
    }
    UpdateTitle();
}

// The chosen file replaces the document only once it was read completely (LoadDocument
// checks all of it first); cancelling or a refused file leaves everything as it was.
void CMainDlg::OnOpenFile()
{
    const CString strPath = AskOpenPath();
    if (strPath.IsEmpty())
        return;
    if (!LoadDocument(strPath))
        return;
    m_strPathName = strPath;
    UpdateTitle();
}

// Empties the records and the layout's items; the path, title, paper size, column widths,
// row count and current record stay.
void CMainDlg::OnCloseFile()
{
    const int nRows = m_wndGrid.GetRowCount();
    const int nCols = m_wndGrid.GetColumnCount();
    for (int nRow = 1; nRow < nRows; nRow++)
        for (int nCol = 1; nCol < nCols; nCol++)
            m_wndGrid.SetItemText(nRow, nCol, "");
    if (m_wndGrid.GetSafeHwnd())
        m_wndGrid.Invalidate(TRUE);
    m_printSet.RemoveAllItems();
}

CString CMainDlg::AskSavePath()
{
    const CString strFilter = LoadText(IDS_DOCUMENT_FILTER);
    CFileDialog dlg(FALSE, ".zs", FileNameOf(m_strPathName), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    strFilter, this);
    const CString strInitialDir = AppDir();
    dlg.m_ofn.lpstrInitialDir = strInitialDir;
    if (dlg.DoModal() != IDOK)
        return CString();

    const CString strChosen = dlg.GetPathName();
    const CString strPath = SavePathOf(strChosen);
    // The dialog asked about replacing the file it showed; a different existing file that
    // the lower-cased name points at is not replaced without asking too.
    CFileStatus status;
    if (strPath != strChosen && CFile::GetStatus(strPath, status)) {
        CString strPrompt;
        strPrompt.Format(LoadText(IDP_REPLACE_FILE), strPath);
        if (AfxMessageBox(strPrompt, MB_YESNO | MB_ICONWARNING) != IDYES)
            return CString();
    }
    return strPath;
}

CString CMainDlg::AskOpenPath()
{
    const CString strFilter = LoadText(IDS_DOCUMENT_FILTER);
    CFileDialog dlg(TRUE, ".zs", nullptr, OFN_HIDEREADONLY, strFilter, this);
    const CString strInitialDir = AppDir() + "/";
    dlg.m_ofn.lpstrInitialDir = strInitialDir;
    if (dlg.DoModal() != IDOK)
        return CString();
    return dlg.GetPathName();
}

// ---- The fields of the current record and the document file. ----

namespace {

const char s_szDocumentMagic[] = "zs2020";
const int s_nDocumentVersion = 2;
const int s_nDocumentMaxRows = 0x10000;  // the table keys its rows in 16 bits

// ---- Writing: the whole file is built in memory and written at once. ----

void DocumentPutInt(std::string& strData, int32_t nValue)
{
    const uint32_t u = (uint32_t)nValue;
    const char bytes[4] = {(char)u, (char)(u >> 8), (char)(u >> 16), (char)(u >> 24)};
    strData.append(bytes, 4);
}

// A byte count, then each byte as the int32 of its negated signed value.
int DocumentPutString(std::string& strData, LPCTSTR psz, int nLength)
{
    DocumentPutInt(strData, nLength);
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
    return nLength;
}

int DocumentPutString(std::string& strData, const CString& str)
{
    return DocumentPutString(strData, str, str.GetLength());
}

// ---- Reading: the file is parsed from memory into a CDocumentImage, checked completely,
// and only then put into the table and the layout. ----

struct CDocumentItem {
    CRect rectPaper;
    CString strText;
    CString strFontName;
};

struct CDocumentImage {
    int arrColumnWidths[s_nFields] = {};
    int nRowCount = 0;
    // The cell texts of rows 1 to nRowCount - 1, fields A to Z within a row, each ending in a
    // zero byte, one after the other in one block; arrCellOffsets says where each begins.
    std::string strCellTexts;
    std::vector<size_t> arrCellOffsets;
    LONG nPaperWidth = 0;
    LONG nPaperHeight = 0;
    std::vector<CDocumentItem> arrItems;

    LPCTSTR GetCellText(int nRow, int nCol) const
    {
        const size_t nCell = (size_t)(nRow - 1) * s_nFields + (size_t)(nCol - 1);
        return strCellTexts.data() + arrCellOffsets[nCell];
    }
};

enum DocumentReadResult { documentRead, documentDamaged, documentForeign };

// Reads values from the file's bytes; every read checks the bytes that are left.
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

private:
    void Skip(size_t nCount)
    {
        m_pData += nCount;
        m_nLeft -= nCount;
    }

    const char* m_pData;
    size_t m_nLeft;
};

// Whether the file begins with the magic string. A negative first length is damage, not a
// foreign file.
DocumentReadResult DocumentCheckMagic(CDocumentCursor& cursor)
{
    CDocumentCursor probe = cursor;
    int32_t nLength = 0;
    if (probe.GetInt(nLength) && nLength < 0)
        return documentDamaged;
    CString strMagic;
    if (nLength != (int32_t)std::strlen(s_szDocumentMagic) || !cursor.GetString(strMagic) ||
        strMagic != s_szDocumentMagic)
        return documentForeign;
    return documentRead;
}

bool DocumentGetItems(CDocumentCursor& cursor, CDocumentImage& doc)
{
    int32_t nItems;
    // Every item takes at least 24 bytes: four edges and two empty strings.
    if (!cursor.GetInt(nItems) || nItems < 0 || (uint64_t)nItems * 24 > cursor.BytesLeft())
        return false;
    doc.arrItems.resize((size_t)nItems);
    for (CDocumentItem& item : doc.arrItems) {
        int32_t l, t, r, b;
        if (!cursor.GetInt(l) || !cursor.GetInt(t) || !cursor.GetInt(r) || !cursor.GetInt(b) ||
            !cursor.GetString(item.strText) || !cursor.GetString(item.strFontName))
            return false;
        item.rectPaper.SetRect(l, t, r, b);
    }
    return true;
}

bool DocumentGetBody(CDocumentCursor& cursor, CDocumentImage& doc)
{
    int32_t nValue;
    if (!cursor.GetInt(nValue))   // the version: any value is read alike
        return false;
    // The table has no use for a negative width; only a damaged file holds one.
    for (int& nWidth : doc.arrColumnWidths) {
        if (!cursor.GetInt(nValue) || nValue < 0)
            return false;
        nWidth = nValue;
    }

    // Every cell takes at least 4 bytes (an empty string).
    int32_t nRows;
    if (!cursor.GetInt(nRows) || nRows < 1 || nRows > s_nDocumentMaxRows ||
        (uint64_t)(nRows - 1) * s_nFields * 4 > cursor.BytesLeft())
        return false;
    doc.nRowCount = nRows;
    const size_t nCells = (size_t)(nRows - 1) * s_nFields;
    doc.arrCellOffsets.resize(nCells);
    doc.strCellTexts.reserve(cursor.BytesLeft() / 4);
    for (size_t& nOffset : doc.arrCellOffsets) {
        nOffset = doc.strCellTexts.size();
        if (!cursor.GetText(doc.strCellTexts))
            return false;
    }

    // A paper without width or height cannot be mapped to the screen.
    int32_t nWidth, nHeight;
    if (!cursor.GetInt(nWidth) || !cursor.GetInt(nHeight) || nWidth <= 0 || nHeight <= 0)
        return false;
    doc.nPaperWidth = nWidth;
    doc.nPaperHeight = nHeight;
    return DocumentGetItems(cursor, doc);
}

// Reads the document into doc. The magic comes first, so that a large file of another kind
// is not read whole; the rest is read at once and checked from memory.
DocumentReadResult DocumentReadFile(CFile& file, CDocumentImage& doc)
{
    char arrHeader[28];
    const UINT nHeader = file.Read(arrHeader, sizeof arrHeader);
    CDocumentCursor header(arrHeader, nHeader);
    const DocumentReadResult result = DocumentCheckMagic(header);
    if (result != documentRead)
        return result;

    const ULONGLONG nLength = file.GetLength();
    if (nLength > 0x7FFFFFFF)
        return documentDamaged;
    const UINT nRest = nLength > nHeader ? (UINT)(nLength - nHeader) : 0;
    const auto pData = std::make_unique_for_overwrite<char[]>(nRest);
    // A file that shrinks while it is read gives what was there.
    CDocumentCursor cursor(pData.get(), file.Read(pData.get(), nRest));
    return DocumentGetBody(cursor, doc) ? documentRead : documentDamaged;
}

// The text of a cell as the table holds it, without a copy.
LPCTSTR DocumentCellText(const CGridCtrl& grid, int nRow, int nCol)
{
    const CGridCellBase* pCell = grid.GetCell(nRow, nCol);
    const LPCTSTR pszText = pCell ? pCell->GetText() : nullptr;
    return pszText ? pszText : "";
}

// The whole document, byte for byte.
std::string DocumentBuild(const CGridCtrl& grid, const CPrintSet& printSet)
{
    const int nRows = grid.GetRowCount();
    // One allocation of the exact size: the cells take 4 bytes per text byte and 4 for the count.
    size_t nSize = 4 + 4 * std::strlen(s_szDocumentMagic) + 4 + 4 * s_nFields + 4 + 12;
    for (int nRow = 1; nRow < nRows; nRow++)
        for (int nCol = 1; nCol <= s_nFields; nCol++)
            nSize += 4 + 4 * std::strlen(DocumentCellText(grid, nRow, nCol));
    for (int i = 0; i < printSet.GetItemCount(); i++)
        nSize += 24 + 4 * (size_t)(printSet.GetItem(i)->m_strText.GetLength() +
                                   printSet.GetItem(i)->m_strFontName.GetLength());
    std::string strData;
    strData.reserve(nSize);
    DocumentPutString(strData, s_szDocumentMagic);
    DocumentPutInt(strData, s_nDocumentVersion);
    for (int nCol = 1; nCol <= s_nFields; nCol++)
        DocumentPutInt(strData, grid.GetColumnWidth(nCol));
    DocumentPutInt(strData, nRows);
    for (int nRow = 1; nRow < nRows; nRow++) {
        for (int nCol = 1; nCol <= s_nFields; nCol++) {
            const LPCTSTR pszText = DocumentCellText(grid, nRow, nCol);
            DocumentPutString(strData, pszText, (int)std::strlen(pszText));
        }
    }
    DocumentPutInt(strData, printSet.m_nPaperWidth);
    DocumentPutInt(strData, printSet.m_nPaperHeight);
    DocumentPutInt(strData, printSet.GetItemCount());
    for (int i = 0; i < printSet.GetItemCount(); i++) {
        const CPrintItem* pItem = printSet.GetItem(i);
        DocumentPutInt(strData, pItem->m_rectPaper.left);
        DocumentPutInt(strData, pItem->m_rectPaper.top);
        DocumentPutInt(strData, pItem->m_rectPaper.right);
        DocumentPutInt(strData, pItem->m_rectPaper.bottom);
        DocumentPutString(strData, pItem->m_strText);
        DocumentPutString(strData, pItem->m_strFontName);
    }
    ASSERT(strData.size() == nSize);
    return strData;
}

// Writes the bytes beside strPath and then puts them in its place, so that a failure at any
// point leaves the previous file as it was. Throws CFileException naming strPath.
void DocumentWriteFile(const CString& strPath, const std::string& strData)
{
    CFileStatus status;
    if (CFile::GetStatus(strPath, status) &&
        (status.m_attribute & (CFile::readOnly | CFile::directory)))
        AfxThrowFileException(CFileException::accessDenied, EACCES, strPath);

    const CString strTemp = strPath + ".tmp";
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
        file.Close();
        CFile::Replace(strTemp, strPath);
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

// Puts a document that was read completely into the table and the layout, replacing what
// they held: the cells the file does not fill are emptied, the items are replaced.
void DocumentApply(const CDocumentImage& doc, CGridCtrl& grid, CPrintSet& printSet)
{
    for (int nCol = 1; nCol <= s_nFields; nCol++)
        grid.SetColumnWidth(nCol, doc.arrColumnWidths[nCol - 1]);

    const int nOldRows = grid.GetRowCount();
    if (doc.nRowCount > nOldRows) {
        grid.SetRowCount(doc.nRowCount);
        // Rows that a document adds are numbered like the rows of a new table.
        CString strNumber;
        for (int nRow = std::max(nOldRows, 1); nRow < doc.nRowCount; nRow++) {
            strNumber.Format("%d", nRow);
            grid.SetItemText(nRow, 0, strNumber);
            grid.SetItemFormat(nRow, 0, s_nHeadingFormat);
        }
    }

    const int nRows = grid.GetRowCount();
    const int nCols = grid.GetColumnCount();
    for (int nRow = 1; nRow < nRows; nRow++) {
        for (int nCol = 1; nCol < nCols; nCol++) {
            LPCTSTR pszText = "";
            if (nRow < doc.nRowCount && nCol <= s_nFields)
                pszText = doc.GetCellText(nRow, nCol);
            grid.SetItemText(nRow, nCol, pszText);
        }
    }

    printSet.m_nPaperWidth = doc.nPaperWidth;
    printSet.m_nPaperHeight = doc.nPaperHeight;
    printSet.RemoveAllItems();
    for (const CDocumentItem& stored : doc.arrItems) {
        CPrintItem* pItem = new CPrintItem;
        pItem->m_rectPaper = stored.rectPaper;
        pItem->m_strText = stored.strText;
        pItem->m_strFontName = stored.strFontName;
        printSet.m_arrItems.Add(pItem);
    }
}

} // namespace

// ---- Fields of the current record ----

CString CMainDlg::GetFieldText(CString strKey)
{
    CString strResult;
    if (strKey.GetLength() != 3 || strKey[0] != '{' || strKey[2] != '}')
        return strResult;
    const TCHAR chLetter = strKey[1];
    if (chLetter < 'A' || chLetter > 'Z')
        return strResult;
    // Every record row of the table, the last one and grown tables included.
    if (m_nCurRecord > 0 && m_nCurRecord < m_wndGrid.GetRowCount())
        strResult = m_wndGrid.GetItemText(m_nCurRecord, chLetter - 'A' + 1);
    return strResult;
}

BOOL CMainDlg::IsRecordPrintable()
{
    if (m_nCurRecord < 1 || m_nCurRecord >= m_wndGrid.GetRowCount())
        return FALSE;
    return !m_wndGrid.GetItemText(m_nCurRecord, 1).IsEmpty();
}

// ---- The document file ----

BOOL CMainDlg::SaveDocument()
{
    try {
        DocumentWriteFile(m_strPathName, DocumentBuild(m_wndGrid, m_printSet));
    } catch (CFileException* e) {
        e->ReportError();
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

BOOL CMainDlg::LoadDocument(CString strPath)
{
    CDocumentImage doc;
    DocumentReadResult result;
    try {
        CFile file;
        CFileException error;
        if (!file.Open(strPath, CFile::modeRead | CFile::typeBinary, &error)) {
            error.ReportError();
            return FALSE;
        }
        result = DocumentReadFile(file, doc);
        file.Close();
    } catch (CFileException* e) {
        e->ReportError();
        e->Delete();
        return FALSE;
    }
    if (result != documentRead) {
        AfxMessageBox(result == documentDamaged ? LoadText(IDP_DOCUMENT_DAMAGED) : LoadText(IDP_NOT_DOCUMENT));
        return FALSE;
    }

    DocumentApply(doc, m_wndGrid, m_printSet);
    if (m_wndGrid.GetSafeHwnd())
        m_wndGrid.Invalidate(TRUE);
    return TRUE;
}
