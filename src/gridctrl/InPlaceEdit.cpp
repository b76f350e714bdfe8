#include "InPlaceEdit.h"

#include "GridCtrl.h"

#include <algorithm>

BOOL CInPlaceEdit::s_bAlreadyEnding = FALSE;

namespace {

// Page Up, Page Down and the arrows: they move the caret, or end the edit and move the grid's
// focus cell. Home and End always stay with the caret.
bool IsNavigationKey(UINT nChar)
{
    switch (nChar) {
    case VK_PRIOR: case VK_NEXT: case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
        return true;
    default:
        return false;
    }
}

} // namespace

// The start key decides the text and the selection:
// - a mouse click or F2 (VK_LBUTTON), or Enter: caret at the end, nothing selected;
// - Backspace: caret at the end, then the Backspace itself deletes the last character;
// - Tab and the codes 32 to 40 (Space, the Page keys, Home, End and the arrows, which are
//   also the characters space ! " # $ % & ' ( when typed): all selected, nothing typed;
// - an input method composing on the grid (VK_PROCESSKEY): all selected, for the composed
//   text to replace, and the focus stays with the grid until the composition ends;
// - any other character: all selected, then typed, so it replaces the text.
CInPlaceEdit::CInPlaceEdit(CWnd* pParent, CRect& rect, DWORD dwStyle, UINT nID, int nRow, int nColumn,
                           CString sInitText, UINT nFirstChar)
    : m_nRow(nRow), m_nColumn(nColumn), m_sInitText(sInitText), m_nLastChar(0),
      m_bExitOnArrows(nFirstChar != VK_LBUTTON), m_Rect(rect),
      m_bAwaitingCommit(nFirstChar == VK_PROCESSKEY)
{
    const DWORD dwEditStyle = WS_BORDER | WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | dwStyle;
    if (!Create(dwEditStyle, rect, pParent, nID))
        return;

    SetFont(pParent->GetFont());
    SetWindowText(m_sInitText);
    GetWindowText(m_sShownInitText);
    if (nFirstChar != VK_PROCESSKEY)
        SetFocus();

    const int nLength = m_sInitText.GetLength();
    switch (nFirstChar) {
    case VK_LBUTTON:
    case VK_RETURN:
        SetSel(nLength, -1);
        return;
    case VK_BACK:
        SetSel(nLength, -1);
        break;
    case VK_TAB: case VK_PROCESSKEY:
    case VK_SPACE: case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
        SetSel(0, -1);
        return;
    default:
        SetSel(0, -1);
        break;
    }
    SendMessage(WM_CHAR, nFirstChar);
}

void CInPlaceEdit::EndEdit()
{
    // Ending moves the focus, which may end this edit (or another) again: report once. A
    // window that has reported stays until its WM_CLOSE and may lose the focus meanwhile; the
    // cell may be editing anew by then, so it reports nothing more.
    if (s_bAlreadyEnding || m_bEnded)
        return;
    s_bAlreadyEnding = TRUE;
    m_bEnded = TRUE;

    CString str;
    if (GetSafeHwnd())
        GetWindowText(str);
    // Text that was not changed goes back byte for byte, even where the widget could not
    // show every byte of it. A composition that committed nothing typed nothing: the text it
    // showed in place of the selected one was never the cell's.
    if (str == m_sShownInitText || m_bAwaitingCommit)
        str = m_sInitText;

    GV_DISPINFO dispinfo;
    dispinfo.hdr.hwndFrom = GetSafeHwnd();
    dispinfo.hdr.idFrom = GetDlgCtrlID();
    dispinfo.hdr.code = (UINT)GVN_ENDLABELEDIT;
    dispinfo.item.mask = LVIF_TEXT | LVIF_PARAM;
    dispinfo.item.row = m_nRow;
    dispinfo.item.col = m_nColumn;
    dispinfo.item.szText = str;
    dispinfo.item.lParam = (LPARAM)m_nLastChar;

    if (CWnd* pOwner = GetOwner())
        pOwner->SendMessage(WM_NOTIFY, GetDlgCtrlID(), (LPARAM)&dispinfo);

    // Closing now would destroy the window inside its own focus change.
    if (GetSafeHwnd())
        PostMessage(WM_CLOSE);
    s_bAlreadyEnding = FALSE;
}

// Enter, Esc and Tab end the edit here, before any dialog around the grid can take them as
// its default button, its cancel or its tab order. The key down of these keys does nothing in
// the edit; their character does the work.
BOOL CInPlaceEdit::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_SYSCHAR)
        return TRUE;
    if (pMsg->message == WM_KEYDOWN && pMsg->hwnd == GetSafeHwnd()) {
        const BOOL bCtrl = GetKeyState(VK_CONTROL) < 0;
        UINT nChar = 0;
        switch (pMsg->wParam) {
        case VK_RETURN: nChar = bCtrl ? 10 : VK_RETURN; break;
        case VK_ESCAPE: nChar = VK_ESCAPE; break;
        case VK_TAB: nChar = bCtrl ? 0 : VK_TAB; break;   // Ctrl+Tab types nothing
        default: break;
        }
        if (nChar) {
            SendMessage(WM_CHAR, nChar, pMsg->lParam);
            return TRUE;
        }
    }
    return CEdit::PreTranslateMessage(pMsg);
}

void CInPlaceEdit::PostNcDestroy()
{
    CEdit::PostNcDestroy();
    delete this;
}

void CInPlaceEdit::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (IsNavigationKey(nChar) && (m_bExitOnArrows || GetKeyState(VK_CONTROL) < 0)) {
        EndByKey(nChar);
        return;
    }
    CEdit::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CInPlaceEdit::OnKillFocus(CWnd* pNewWnd)
{
    CEdit::OnKillFocus(pNewWnd);
    EndEdit();
}

void CInPlaceEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (nChar == VK_TAB || nChar == VK_RETURN || nChar == VK_ESCAPE) {
        if (nChar == VK_ESCAPE)
            SetWindowText(m_sInitText);
        EndByKey(nChar);
        return;
    }
    m_bAwaitingCommit = FALSE;
    CEdit::OnChar(nChar, nRepCnt, nFlags);
    GrowToText();
}

UINT CInPlaceEdit::OnGetDlgCode()
{
    return DLGC_WANTALLKEYS;
}

// The grid keeps what it last drew under the edit; the cell may hold new text by now.
void CInPlaceEdit::OnDestroy()
{
    if (CWnd* pParent = GetParent()) {
        CRect rect;
        GetWindowRect(&rect);
        pParent->ScreenToClient(&rect);
        pParent->InvalidateRect(&rect);
    }
    CEdit::OnDestroy();
}

// The grid takes the focus and, through the focus loss, the report with the key. An edit
// that never had the focus reports at once.
void CInPlaceEdit::EndByKey(UINT nChar)
{
    m_nLastChar = nChar;
    CWnd* pParent = GetParent();
    if (GetFocus() != this || !pParent)
        EndEdit();
    else
        pParent->SetFocus();
}

// Nothing committed leaves the cell as Esc does. Committed text stays for more typing, with
// the focus, unless the grid lost it meanwhile; then the edit ends as with a focus loss.
void CInPlaceEdit::EndComposition()
{
    CWnd* pFocus = GetFocus();
    if (pFocus == this)
        return;
    if (m_bAwaitingCommit)
        SendMessage(WM_CHAR, VK_ESCAPE);
    else if (pFocus && pFocus == GetParent())
        SetFocus();
    else
        EndEdit();
}

// Widens the edit to the right when the text and two spaces no longer fit, up to the right
// edge of the grid's client area. It never narrows.
void CInPlaceEdit::GrowToText()
{
    CString str;
    GetWindowText(str);
    str += "  ";

    CClientDC dc(this);
    CFont* pFont = GetFont();
    CFont* pOldFont = pFont ? dc.SelectObject(pFont) : nullptr;
    const CSize size = dc.GetTextExtent(str);
    if (pOldFont)
        dc.SelectObject(pOldFont);

    if (size.cx <= m_Rect.Width())
        return;
    CWnd* pParent = GetParent();
    if (!pParent)
        return;
    CRect rectParent;
    pParent->GetClientRect(&rectParent);
    // A cell that already reaches past the client area keeps its width.
    const int nRight = std::max<int>(m_Rect.right, std::min<int>(m_Rect.left + size.cx, rectParent.right));
    if (nRight == m_Rect.right)
        return;
    m_Rect.right = nRight;
    MoveWindow(&m_Rect);
}
