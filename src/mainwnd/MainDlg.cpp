#include "MainDlg.h"

#include "AboutDlg.h"
#include "CommonDialogs.h"
#include "DocumentFile.h"
#include "File.h"
#include "OtherSoftDlg.h"
#include "PreviewDlg.h"
#include "PrintItem.h"
#include "RowNumbers.h"
#include "SafeFile.h"
#include "SetupDlg.h"


AFX_USE_RESOURCES(Main)
AFX_USE_RESOURCES(Table)
AFX_USE_RESOURCES(Limits)

namespace {

const int s_nRecords = 300;
const int s_nFields = CPrintItem::FIELD_COUNT;

CString LoadText(UINT nID)
{
    CString str;
    str.LoadString(nID);
    return str;
}

// The folder of the document, where both file dialogs start; none for a new document, whose
// dialogs start in the user's documents folder. Never the program's folder: users do not keep
// their documents beside the program.
CString DocumentFolder(const CString& strPathName)
{
    const int nSlash = strPathName.ReverseFind('/');
    return nSlash > 0 ? strPathName.Left(nSlash) : CString();
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
      m_hIcon(AfxLoadIcon(IDR_MAINFRAME)), m_bModified(FALSE), m_nTitleNameEnd(-1),
      m_arrSavedWidths()
{
    MapClicked(IDC_LAYOUT_DESIGN, &CMainDlg::OnLayoutDesign);
    MapClicked(IDC_PREVIEW, &CMainDlg::OnPreview);
    MapClicked(IDC_AUTHOR_PAGE, &CMainDlg::OnAuthorPage);
    MapClicked(IDC_SAVE_FILE, &CMainDlg::OnSaveFile);
    MapClicked(IDC_SAVE_FILE_AS, &CMainDlg::OnSaveFileAs);
    MapClicked(IDC_OPEN_FILE, &CMainDlg::OnOpenFile);
    MapClicked(IDC_CLOSE_FILE, &CMainDlg::OnCloseFile);
    // The table reports every release of the mouse button as a click.
    MapClicked(IDC_GRID, &CMainDlg::OnGridClicked);
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
    SetUpLayout();
    m_wndGrid.SetTitleTipCutNote(LoadText(IDS_TITLETIP_CUT));
    SetModified(FALSE);
    // A document that cannot be read was reported; the window opens on a new one.
    if (!m_strOpenPath.IsEmpty())
        ReadDocument(m_strOpenPath);
    UpdateTitle();
    return TRUE;
}

// One heading row "A".."Z" over the fields and one heading column "1".."300" of records. A
// paste grows the table up to the rows a document can hold.
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
        m_wndGrid.SetItemFormat(0, i + 1, CRowNumbers::HEADING_FORMAT);
    }
    m_wndGrid.SetColumnWidth(0, 40);
    CRowNumbers::Number(m_wndGrid, 1);
    m_wndGrid.SetGrowRowLimit(CDocumentFile::MAX_ROWS);
}

// The window may be sized and maximised from its template's size up: the table grows with
// it, and the buttons keep their column at the right edge.
void CMainDlg::SetUpLayout()
{
    m_layout.Create(this);
    m_layout.AddItem(IDC_GRID, CDynamicLayout::MoveNone(), CDynamicLayout::SizeHorizontalAndVertical(100, 100));
    for (int nID : {IDC_AUTHOR_PAGE, IDC_LAYOUT_DESIGN, IDC_PREVIEW, IDC_OPEN_FILE, IDC_SAVE_FILE,
                    IDC_SAVE_FILE_AS, IDC_CLOSE_FILE})
        m_layout.AddItem(nID, CDynamicLayout::MoveHorizontal(100), CDynamicLayout::SizeNone());
}

void CMainDlg::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    m_layout.Adjust();
}

BOOL CMainDlg::UpdateTitle()
{
    m_strTitle.Format("Veltrane [ %s ]", m_strPathName);
    m_nTitleNameEnd = m_strTitle.GetLength() - 2;
    UINT nFixedTitle = 0;
    if (m_strPathName == LoadText(IDS_NEW_FILE))
        nFixedTitle = IDS_TITLE_NEW_FILE;
    if (IsTableEmpty())
        nFixedTitle = IDS_TITLE_EMPTY_TABLE;
    if (nFixedTitle) {
        m_strTitle = LoadText(nFixedTitle);
        m_nTitleNameEnd = m_strTitle.Find(" ]");
    }
    ShowTitle();
    return TRUE;
}

// The title UpdateTitle chose, with "*" after the document's name while it is modified. The
// title is not chosen anew: only the file commands do that.
void CMainDlg::ShowTitle()
{
    if (!GetSafeHwnd())
        return;
    CString strTitle = m_strTitle;
    if (m_bModified && m_nTitleNameEnd >= 0)
        strTitle.Insert(m_nTitleNameEnd, "*");
    SetWindowText(strTitle);
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

// Saving refuses only a table without any text: records that start below A1 to D2 are still
// the user's work.
BOOL CMainDlg::IsTableBlank() const
{
    for (int nRow = 1; nRow < m_wndGrid.GetRowCount(); nRow++)
        for (int nCol = 1; nCol < m_wndGrid.GetColumnCount(); nCol++) {
            const CGridCellBase* pCell = m_wndGrid.GetCell(nRow, nCol);
            if (pCell && pCell->GetText() && *pCell->GetText())
                return FALSE;
        }
    return TRUE;
}

// Enter does not close the main window.
void CMainDlg::OnOK()
{
}

// Esc and the close box end the program once the document is saved or given up.
void CMainDlg::OnCancel()
{
    if (SaveModified())
        CDialog::OnCancel();
}

BOOL CMainDlg::OnQueryEndSession()
{
    return SaveModified();
}

// Every edit, paste, cut and delete in the table ends with GVN_ENDLABELEDIT; an edit that
// changed nothing leaves the table unmarked.
BOOL CMainDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    const auto* pNMHDR = reinterpret_cast<const NM_GRIDVIEW*>(lParam);
    if (wParam == IDC_GRID && pNMHDR) {
        switch ((int)pNMHDR->hdr.code) {
        case GVN_ENDLABELEDIT: NoteTableChanges(); break;
        case GVN_ROWSADDED: CRowNumbers::Number(m_wndGrid, pNMHDR->iRow); break;
        case GVN_PASTECUT: OnPasteCut(); break;
        default: break;
        }
    }
    return CDialog::OnNotify(wParam, lParam, pResult);
}

// A paste reaches as far as the rows a document can hold; the user hears what was left out.
void CMainDlg::OnPasteCut()
{
    CString strMessage;
    strMessage.Format(LoadText(IDP_PASTE_CUT), CDocumentFile::MAX_ROWS - 1);
    AfxMessageBox(strMessage, MB_OK | MB_ICONWARNING);
}

// A column divider dragged or double-clicked ends with a release of the button.
void CMainDlg::OnGridClicked()
{
    NoteTableChanges();
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
    // The layout as the file would store it, before and after: an opening that changed
    // nothing leaves the document unmodified.
    const std::string strLayout = CDocumentFile::BuildLayout(m_printSet);
    CSetupDlg dlg(this);
    dlg.m_pPrintSet = &m_printSet;
    dlg.DoModal();
    if (CDocumentFile::BuildLayout(m_printSet) != strLayout)
        SetModified(TRUE);
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
    SaveFile();
}

void CMainDlg::OnSaveFileAs()
{
    SaveFileAs();
}

BOOL CMainDlg::SaveFile()
{
    if (IsTableBlank()) {
        AfxMessageBox(IDP_EMPTY_TABLE_SAVE);
        return FALSE;
    }
    if (m_strPathName == LoadText(IDS_NEW_FILE))
        return SaveFileAs();
    if (!SaveDocument())
        return FALSE;
    SetModified(FALSE);
    return TRUE;
}

BOOL CMainDlg::SaveFileAs()
{
    if (IsTableBlank()) {
        AfxMessageBox(IDP_EMPTY_TABLE_SAVE);
        return FALSE;
    }
    const CString strPath = AskSavePath();
    if (strPath.IsEmpty())
        return FALSE;
    // A file that could not be written (SaveDocument said why) does not become the document.
    const CString strPrevious = m_strPathName;
    m_strPathName = strPath;
    if (!SaveDocument()) {
        m_strPathName = strPrevious;
        return FALSE;
    }
    SetModified(FALSE);
    UpdateTitle();
    return TRUE;
}

// The question comes before the file dialog; the chosen file replaces the document only once
// it was read completely (LoadDocument checks all of it first). Cancelling or a refused file
// leaves everything as it was.
void CMainDlg::OnOpenFile()
{
    if (!SaveModified())
        return;
    const CString strPath = AskOpenPath();
    if (!strPath.IsEmpty())
        ReadDocument(strPath);
}

BOOL CMainDlg::OpenDocument(CString strPath)
{
    return SaveModified() && ReadDocument(strPath);
}

BOOL CMainDlg::ReadDocument(const CString& strPath)
{
    if (!LoadDocument(strPath))
        return FALSE;
    m_strPathName = strPath;
    SetModified(FALSE);
    UpdateTitle();
    return TRUE;
}

// Empties the records and the layout's items once the document is saved or given up; the
// path, title, paper size, column widths, row count and current record stay. What is left
// holds nothing to lose.
void CMainDlg::OnCloseFile()
{
    if (!SaveModified())
        return;
    const int nRows = m_wndGrid.GetRowCount();
    const int nCols = m_wndGrid.GetColumnCount();
    for (int nRow = 1; nRow < nRows; nRow++)
        for (int nCol = 1; nCol < nCols; nCol++)
            m_wndGrid.SetItemText(nRow, nCol, "");
    if (m_wndGrid.GetSafeHwnd())
        m_wndGrid.Invalidate(TRUE);
    m_printSet.RemoveAllItems();
    SetModified(FALSE);
}

// ---- Changes not yet saved ----

BOOL CMainDlg::IsModified()
{
    NoteTableChanges();
    return m_bModified;
}

void CMainDlg::SetModified(BOOL bModified)
{
    // The table's own marks and the widths it had are now saved, read or thrown away.
    if (!bModified) {
        m_wndGrid.SetModified(FALSE);
        KeepColumnWidths();
    }
    if (bModified == m_bModified)
        return;
    m_bModified = bModified;
    ShowTitle();
}

// The table marks the cells it changes itself; column widths are compared with the file's.
void CMainDlg::NoteTableChanges()
{
    if (m_bModified)
        return;
    BOOL bChanged = m_wndGrid.GetModified();
    for (int i = 0; i < CPrintItem::FIELD_COUNT && !bChanged; i++)
        bChanged = FieldWidth(i) != m_arrSavedWidths[i];
    if (bChanged)
        SetModified(TRUE);
}

void CMainDlg::KeepColumnWidths()
{
    for (int i = 0; i < CPrintItem::FIELD_COUNT; i++)
        m_arrSavedWidths[i] = FieldWidth(i);
}

// The width of field nField's column; -1 while the table has no such column.
int CMainDlg::FieldWidth(int nField) const
{
    return nField + 1 < m_wndGrid.GetColumnCount() ? m_wndGrid.GetColumnWidth(nField + 1) : -1;
}

BOOL CMainDlg::SaveModified()
{
    // A cell still being edited belongs to the document.
    if (m_wndGrid.GetSafeHwnd())
        m_wndGrid.EndEditing();
    if (!IsModified())
        return TRUE;
    switch (AfxMessageBox(IDP_SAVE_MODIFIED, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return SaveFile();
    case IDNO: return TRUE;
    default: return FALSE;
    }
}

CString CMainDlg::AskSavePath()
{
    const CString strFilter = LoadText(IDS_DOCUMENT_FILTER);
    CFileDialog dlg(FALSE, ".zs", FileNameOf(m_strPathName), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    strFilter, this);
    const CString strInitialDir = DocumentFolder(m_strPathName);
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
    const CString strInitialDir = DocumentFolder(m_strPathName);
    dlg.m_ofn.lpstrInitialDir = strInitialDir;
    if (dlg.DoModal() != IDOK)
        return CString();
    return dlg.GetPathName();
}

// ---- Fields of the current record ----

CString CMainDlg::GetFieldText(CString strKey)
{
    CString strResult;
    const int nField = CPrintItem::PlaceholderField(strKey);
    // Every record row of the table, the last one and grown tables included.
    if (nField >= 0 && m_nCurRecord > 0 && m_nCurRecord < m_wndGrid.GetRowCount())
        strResult = m_wndGrid.GetItemText(m_nCurRecord, nField + 1);
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
        CSafeFile::Write(m_strPathName, CDocumentFile::Build(m_wndGrid, m_printSet));
    } catch (CFileException* e) {
        e->ReportError();
        e->Delete();
        return FALSE;
    }
    return TRUE;
}

BOOL CMainDlg::LoadDocument(CString strPath)
{
    CDocumentFile doc;
    CDocumentFile::ReadResult result;
    try {
        CFile file;
        CFileException error;
        if (!file.Open(strPath, CFile::modeRead | CFile::typeBinary, &error)) {
            error.ReportError();
            return FALSE;
        }
        result = doc.Read(file);
        file.Close();
    } catch (CFileException* e) {
        e->ReportError();
        e->Delete();
        return FALSE;
    }
    // A document too large for the memory left reads as a damaged one.
    if (result == CDocumentFile::documentRead && !doc.Apply(m_wndGrid, m_printSet))
        result = CDocumentFile::documentDamaged;
    if (result != CDocumentFile::documentRead) {
        AfxMessageBox(LoadText(result == CDocumentFile::documentDamaged ? IDP_DOCUMENT_DAMAGED
                                                                        : IDP_NOT_DOCUMENT));
        return FALSE;
    }
    if (m_wndGrid.GetSafeHwnd())
        m_wndGrid.Invalidate(TRUE);
    return TRUE;
}
