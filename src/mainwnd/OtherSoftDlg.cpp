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

// The README beside the program, else one folder up (a build tree), else in the installed
// program's documentation folder (bin/../share/doc/veltrane).
CString ReadmeUrl()
{
    const CString strFolder = ProgramFolder();
    const int nSlash = strFolder.ReverseFind('/');
    const CString strParent = strFolder.Left(nSlash > 0 ? nSlash : 0);
    const CString arrCandidates[] = {strFolder + "/README.md", strParent + "/README.md",
                                     strParent + "/share/doc/veltrane/README.md"};
    CFileStatus status;
    for (const CString& strPath : arrCandidates)
        if (CFile::GetStatus(strPath, status))
            return "file://" + strPath;
    return "file://" + arrCandidates[0];
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
