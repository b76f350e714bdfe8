// CTitleTip: a borderless popup that shows a cell's whole text over the cell when the text
// does not fit.
#pragma once

#include "Wnd.h"

class CTitleTip : public CWnd {
public:
    CTitleTip();
    ~CTitleTip() override;

    // A tip is never wider than this many pixels: a cell may hold a text of megabytes, and
    // no window can be as wide as that. A longer text is cut at a character, and the cut
    // note follows what is left.
    enum { MAX_TIP_WIDTH = 4096 };
    // The note after a text cut at MAX_TIP_WIDTH ("…" unless the owner gives words).
    void SetCutNote(LPCTSTR lpszNote) { m_strCutNote = lpszNote; }

    // " text ", or as much of it as fits MAX_TIP_WIDTH followed by the cut note, measured in
    // the font selected into pDC: what the tip shows.
    CString FitTitle(CDC* pDC, LPCTSTR lpszText) const;

    virtual BOOL Create(CWnd* pParentWnd);
    void Show(CRect rectTitle, LPCTSTR lpszTitleText, int xoffset = 0, LPRECT lpHoverRect = nullptr,
              const LOGFONT* lpLogFont = nullptr, COLORREF crTextClr = CLR_DEFAULT,
              COLORREF crBackClr = CLR_DEFAULT);
    void Hide();
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void OnMouseMove(UINT nFlags, CPoint point) override;
    // The tip's picture is redrawn whenever the window repaints it, not only when shown.
    void OnPaint() override;
    void DrawTitle(CDC* pDC);

    CWnd* m_pParentWnd;
    CRect m_rectTitle;
    CRect m_rectHover;
    DWORD m_dwLastLButtonDown;
    DWORD m_dwDblClickMsecs;
    // What Show put on the tip: the text with its blanks, font and colours.
    CString m_strTitle;
    LOGFONT m_lfTitle;
    COLORREF m_crTitleText;
    COLORREF m_crTitleBack;
    CString m_strCutNote;
};
