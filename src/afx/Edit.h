// CEdit: the standard edit control. Its window is a QLineEdit (a QPlainTextEdit with
// ES_MULTILINE), so typing, the caret, selection, the clipboard keys and input methods are the
// widget's own. A derived control overrides OnKeyDown/OnChar/OnKillFocus/OnGetDlgCode and hands
// what it does not take back to the widget through the base handler (Default()).
// Text crosses to the widget as GB18030 bytes converted at this edge; character positions
// (SetSel, GetSel) are byte offsets into those bytes, as in a multi-byte edit control.
#pragma once

#include "Wnd.h"

// Edit notifications (the high word of WM_COMMAND's wParam): the text changed, by the user or
// by the program.
#ifndef EN_CHANGE
#define EN_CHANGE 0x0300
#endif

class CEdit : public CWnd {
public:
    CEdit() = default;

    // A child edit over rect (parent client coordinates). WS_BORDER draws a one-pixel frame,
    // WS_EX_CLIENTEDGE the platform's sunken frame; ES_LEFT/ES_CENTER/ES_RIGHT align the text,
    // ES_READONLY, ES_PASSWORD, ES_NUMBER and ES_MULTILINE do what they say. Single-line
    // edits always scroll sideways (ES_AUTOHSCROLL is implied).
    virtual BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    BOOL CreateEx(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // The widget an edit of that style is made of, unparented and unattached: for dialog
    // templates, which attach it later (SubclassWindow). Its changes reach its parent window
    // as EN_CHANGE.
    static QWidget* CreateEditWidget(DWORD dwStyle, DWORD dwExStyle = 0);

    // Selection in byte offsets. nEndChar -1 means the end of the text, nStartChar -1
    // removes the selection; the caret goes to nEndChar. The widget keeps the caret in view.
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void SetSel(DWORD dwSelection, BOOL bNoScroll = FALSE);
    void GetSel(int& nStartChar, int& nEndChar) const;
    DWORD GetSel() const;   // start in the low word, end in the high word
    void ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo = FALSE);
    // At most nChars bytes of text can be typed or pasted (0: no limit of our own).
    void LimitText(int nChars = 0);
    UINT GetLimitText() const { return m_nLimit; }
    // A multi-line edit has one margin all round: the larger of the two.
    void SetMargins(UINT nLeft, UINT nRight);
    BOOL SetReadOnly(BOOL bReadOnly = TRUE);
    BOOL GetModify() const;
    void SetModify(BOOL bModified = TRUE);
    void Cut();
    void Copy();
    void Paste();
    void Clear();
    BOOL Undo();

protected:
    // Keys go to the widget and stay with the edit, also those the widget ignores.
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) override;
    // ES_NUMBER drops typed characters that are not digits.
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    // Characters, arrows and the selection; a multi-line edit also asks for the Enter key that
    // is being checked (lParam: its MSG) when it has ES_WANTRETURN or Ctrl is held.
    UINT OnGetDlgCode() override;

private:
    static void KeepKeyHere();
    UINT m_nLimit = 0;
};
