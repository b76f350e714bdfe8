#include "EditDlg.h"

#include "CommonDialogs.h"

AFX_USE_RESOURCES(Setup)

CEditDlg::CEditDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_bDelete(FALSE), m_nHeight(0), m_nWidth(0)
{
    MapClicked(IDC_DELETE_ITEM, &CEditDlg::OnDeleteItem);
    MapClicked(IDC_CHOOSE_FONT, &CEditDlg::OnChooseFont);
}

CEditDlg::~CEditDlg() = default;

// The height is checked before the width, so it is the first field reported.
void CEditDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_ITEM_TEXT, m_strText);
    DDX_Text(pDX, IDC_ITEM_HEIGHT, m_nHeight);
    DDV_MinMaxUInt(pDX, m_nHeight, 5, 100);
    DDX_Text(pDX, IDC_ITEM_WIDTH, m_nWidth);
    DDV_MinMaxUInt(pDX, m_nWidth, 10, 1900);
}

void CEditDlg::OnDeleteItem()
{
    m_bDelete = TRUE;
    OnOK();
}

// Only the face is kept: the item's height decides the size of its text.
void CEditDlg::OnChooseFont()
{
    CFontDialog dlg(nullptr, CF_SCREENFONTS | CF_EFFECTS, nullptr, nullptr);
    if (dlg.DoModal() == IDOK)
        m_strFontName = dlg.GetFaceName();
}
