// CStaticLink: a static text control that behaves as a hyperlink. It is blue, red while the
// pointer is over it, purple once its link opened, and opens the link with the shell when
// clicked. Its colours are its own: on a dialog background too dark for them (a dark desktop
// theme) it brings a light background of its own.
#pragma once

#include "Controls.h"

// The colours shared by all links.
extern COLORREF g_crUnvisited;
extern COLORREF g_crVisited;
extern COLORREF g_crHover;

// A link address with the operation that opens it.
class CLinkTarget {
public:
    CLinkTarget(LPCTSTR lpszLink = nullptr) : m_strLink(lpszLink) {}
    virtual ~CLinkTarget() = default;

    // NULL for an empty link; else ShellExecute's result (above 32: opened).
    virtual HINSTANCE Navigate();

    CString m_strLink;
};

class CStaticLink : public CStatic {
    DECLARE_DYNAMIC(CStaticLink)
public:
    CStaticLink(LPCTSTR lpText = nullptr, BOOL bDeleteOnDestroy = FALSE);
    ~CStaticLink() override;

    CLinkTarget m_linkTarget;
    COLORREF m_crText;
    CFont m_fontLink;
    BOOL m_bAutoDelete;
    BOOL m_bHover;
    UINT m_nHoverTimer;

    // Whether the link colours lack contrast against the dialog's colour.
    static BOOL NeedsOwnBackground();

protected:
    void PostNcDestroy() override;
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) override;
    LRESULT OnNcHitTest(CPoint point) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;
    void OnTimer(UINT_PTR nIDEvent) override;

private:
    CBrush m_brushBack;
};
