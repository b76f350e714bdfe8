#include "GridCell.h"

#include "GridCtrl.h"
#include "InPlaceEdit.h"

#include <cstring>

IMPLEMENT_DYNCREATE(CGridCell, CGridCellBase)

CGridCell::CGridCell()
{
    // The grid fills the font when it creates the cell; until then it is all zero.
    std::memset(&m_lfFont, 0, sizeof(m_lfFont));
    CGridCell::Reset();
}

void CGridCell::Reset()
{
    CGridCellBase::Reset();
    m_nFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
    m_strText.Empty();
    m_nImage = -1;
    m_crBkClr = CLR_DEFAULT;
    m_crFgClr = CLR_DEFAULT;
    m_lParam = 0;
    m_nMargin = 3;
    m_pGrid = nullptr;
    m_bEditing = FALSE;
    m_pEditWnd = nullptr;
}

void CGridCell::SetText(LPCTSTR szText)
{
    m_strText = szText ? szText : "";
}

void CGridCell::SetFont(const LOGFONT* plf)
{
    ASSERT(plf);
    if (plf)
        std::memcpy(&m_lfFont, plf, sizeof(LOGFONT));
}

BOOL CGridCell::Edit(int nRow, int nCol, CRect rect, CPoint /*point*/, UINT nID, UINT nChar)
{
    // The edit keeps the cell's horizontal alignment; right wins over centre.
    DWORD dwStyle = ES_LEFT;
    if (GetFormat() & DT_RIGHT)
        dwStyle = ES_RIGHT;
    else if (GetFormat() & DT_CENTER)
        dwStyle = ES_CENTER;

    // The edit window owns itself; the cell only remembers it until OnEndEdit. Opening it
    // moves the focus, which may end an earlier edit of this cell and clear the bookkeeping,
    // so the bookkeeping is set once the new window stands.
    auto* pEdit = new CInPlaceEdit(m_pGrid, rect, dwStyle, nID, nRow, nCol, GetText(), nChar);
    m_bEditing = TRUE;
    if (!pEdit->GetSafeHwnd()) {
        // No window: the cell stays in editing state, with nothing to end and nothing to keep.
        delete pEdit;
        m_pEditWnd = nullptr;
    } else if (pEdit->HasEnded()) {
        // Its first character already ended it (Esc), and its report made the cell idle.
        m_bEditing = FALSE;
        m_pEditWnd = nullptr;
    } else {
        m_pEditWnd = pEdit;
    }
    return TRUE;
}

void CGridCell::EndEdit()
{
    if (m_pEditWnd)
        static_cast<CInPlaceEdit*>(m_pEditWnd)->EndEdit();
}

void CGridCell::OnEndEdit()
{
    m_bEditing = FALSE;
    m_pEditWnd = nullptr;
}
