#include "MainDlg.h"

#include "AboutDlg.h"
#include "CommonDialogs.h"
#include "DocumentFile.h"
#include "File.h"
#include "MainApp.h"
#include "OtherSoftDlg.h"
#include "PreviewDlg.h"
#include "PrintItem.h"
#include "SetupDlg.h"


AFX_USE_RESOURCES(Main)

namespace {

const int s_nRecords = 300;
const int s_nFields = CPrintItem::FIELD_COUNT;
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
        CDocumentFile::Write(m_strPathName, CDocumentFile::Build(m_wndGrid, m_printSet));
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
