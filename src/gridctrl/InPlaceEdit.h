// CInPlaceEdit: the single-line edit laid over a grid cell while it is being edited. It owns
// itself: it reports the typed text to its owner (the grid) when it loses the focus, then
// closes and deletes itself.
#pragma once

#include "Edit.h"
#include "String.h"

// The control id of the in-place edit; the grid takes its end-edit report by this id.
#define IDC_INPLACE_CONTROL 8

#ifndef LVIF_TEXT
#define LVIF_TEXT 0x0001
#define LVIF_PARAM 0x0004
#endif

// One cell's data in a grid notification. The end-edit report fills row, col, mask
// (LVIF_TEXT | LVIF_PARAM), szText and lParam (the key that ended the edit).
struct GV_ITEM {
    int row = 0;
    int col = 0;
    UINT mask = 0;
    UINT state = 0;
    UINT nFormat = 0;
    CString szText;
    int iImage = 0;
    COLORREF crBkClr = 0;
    COLORREF crFgClr = 0;
    LPARAM lParam = 0;
};

struct GV_DISPINFO {
    NMHDR hdr;
    GV_ITEM item;
};

class CInPlaceEdit : public CEdit {
public:
    // Creates the window over rect as a child of pParent, gives it the parent's font and the
    // focus, and sets the text and selection by the key that started the edit (see the .cpp).
    CInPlaceEdit(CWnd* pParent, CRect& rect, DWORD dwStyle, UINT nID, int nRow, int nColumn,
                 CString sInitText, UINT nFirstChar);
    ~CInPlaceEdit() override = default;

    // Reports the text to the owner and closes the window (later, by a posted WM_CLOSE).
    void EndEdit();
    // The input method's composition that opened the edit (VK_PROCESSKEY) has ended.
    void EndComposition();

    int GetRow() const { return m_nRow; }
    int GetColumn() const { return m_nColumn; }
    UINT GetLastChar() const { return m_nLastChar; }
    BOOL ExitsOnArrows() const { return m_bExitOnArrows; }
    const CRect& GetEditRect() const { return m_Rect; }
    // The report has been made: the window is closing and reports nothing more.
    BOOL HasEnded() const { return m_bEnded; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void PostNcDestroy() override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnKillFocus(CWnd* pNewWnd) override;
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    UINT OnGetDlgCode() override;
    void OnDestroy() override;

private:
    void EndByKey(UINT nChar);
    void GrowToText();

    int m_nRow;
    int m_nColumn;
    CString m_sInitText;
    CString m_sShownInitText;   // the initial text as the widget shows it
    UINT m_nLastChar;
    BOOL m_bExitOnArrows;
    CRect m_Rect;
    BOOL m_bEnded = FALSE;
    BOOL m_bAwaitingCommit;   // opened by a composition that has committed nothing yet

    // Set while an end of editing is being reported, by any in-place edit: ending causes
    // further focus changes, which must not report again.
    static BOOL s_bAlreadyEnding;
};
