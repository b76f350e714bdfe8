#include "OtherSoftDlg.h"

#include "App.h"

AFX_USE_RESOURCES(About)

namespace {

CString ProgramFolder()
{
    char szPath[1024];
    GetModuleFileName(nullptr, szPath, sizeof szPath);
    CString strPath(szPath);
    const int nSlash = strPath.ReverseFind('/');
    return nSlash > 0 ? strPath.Left(nSlash) : strPath;
}

// The README ships beside the program; in a build tree it is one folder up.
CString ReadmeUrl()
{
    const CString strFolder = ProgramFolder();
    CString strPath = strFolder + "/README.md";
    CFileStatus status;
    if (!CFile::GetStatus(strPath, status)) {
        const int nSlash = strFolder.ReverseFind('/');
        const CString strParent = strFolder.Left(nSlash > 0 ? nSlash : 0);
        if (CFile::GetStatus(strParent + "/README.md", status))
            strPath = strParent + "/README.md";
    }
    return "file://" + strPath;
}

} // namespace

COtherSoftDlg::COtherSoftDlg(CWnd* pParent) : CDialog(COtherSoftDlg::IDD, pParent) {}

COtherSoftDlg::~COtherSoftDlg() = default;

void COtherSoftDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LINK_README, m_link1);
    DDX_Control(pDX, IDC_LINK_FOLDER, m_link2);
    DDX_Control(pDX, IDC_LINK_QT, m_link3);
    DDX_Control(pDX, IDC_LINK_CUPS, m_link4);
    DDX_Control(pDX, IDC_LINK_DEBIAN, m_link5);
    DDX_Control(pDX, IDC_LINK_NOTO, m_link6);
    DDX_Control(pDX, IDC_LINK_QTDOC, m_link7);
    DDX_Control(pDX, IDC_LINK_UMING, m_link8);
    DDX_Control(pDX, IDC_AUTHOR_TEXT, m_editText);
}

// The local links get their addresses here; the others find theirs in the string table
// when clicked.
BOOL COtherSoftDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_link1.m_linkTarget.m_strLink = ReadmeUrl();
    m_link2.m_linkTarget.m_strLink = "file://" + ProgramFolder();
    CString strText;
    strText.LoadString(IDS_AUTHOR_TEXT);
    m_editText.SetWindowText(strText);
    return TRUE;
}

// Enter does not close the author page; its close box and Esc do.
void COtherSoftDlg::OnOK() {}
