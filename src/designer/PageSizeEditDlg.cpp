#include "PageSizeEditDlg.h"

AFX_USE_RESOURCES(Setup)

CPageSizeEditDlg::CPageSizeEditDlg(CWnd* pParent) : CDialog(IDD, pParent), m_nHeight(0), m_nWidth(0)
{
}

CPageSizeEditDlg::~CPageSizeEditDlg() = default;

// The height is checked before the width, so it is the first field reported.
void CPageSizeEditDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_PAPER_HEIGHT, m_nHeight);
    DDV_MinMaxUInt(pDX, m_nHeight, 100, 20000);
    DDX_Text(pDX, IDC_PAPER_WIDTH, m_nWidth);
    DDV_MinMaxUInt(pDX, m_nWidth, 100, 20000);
}
