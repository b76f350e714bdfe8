#include "TitleTip.h"

#include <cstring>
#include <vector>

#define TITLETIP_CLASSNAME "ZTitleTip"

namespace {

// Where each of the text's characters ends.
std::vector<int> CharacterEnds(LPCTSTR lpszText, int nLength)
{
    std::vector<int> arrEnds;
    for (int i = 0; i < nLength;) {
        i += AfxCharLength(lpszText + i, (size_t)(nLength - i));
        arrEnds.push_back(i);
    }
    return arrEnds;
}

} // namespace

CTitleTip::CTitleTip()
    : m_pParentWnd(nullptr), m_dwLastLButtonDown((DWORD)ULONG_MAX),
      m_dwDblClickMsecs(GetDoubleClickTime()), m_lfTitle(), m_crTitleText(CLR_DEFAULT),
      m_crTitleBack(CLR_DEFAULT), m_strCutNote("\xA1\xAD")   // "…"
{
    WNDCLASS wndcls;
    if (!AfxGetClassInfo(TITLETIP_CLASSNAME, &wndcls)) {
        wndcls.style = CS_SAVEBITS;
        wndcls.hCursor = LoadStandardCursor(IDC_ARROW);
        wndcls.nBackgroundColor = COLOR_INFOBK;
        wndcls.lpszClassName = TITLETIP_CLASSNAME;
        // The platform has no resource exception: an unregistered class makes Create fail.
        VERIFY(AfxRegisterClass(&wndcls));
    }
}

CTitleTip::~CTitleTip()
{
    if (GetSafeHwnd())
        DestroyWindow();
}

BOOL CTitleTip::Create(CWnd* pParentWnd)
{
    ASSERT(CWnd::GetSafeHwnd(pParentWnd));
    m_pParentWnd = pParentWnd;
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TITLETIP_CLASSNAME, nullptr,
                    WS_POPUP | WS_BORDER, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, nullptr, 0);
}

// rectTitle and lpHoverRect are in the grid's client coordinates. The tip appears only when
// the text is wider than rectTitle.
void CTitleTip::Show(CRect rectTitle, LPCTSTR lpszTitleText, int xoffset, LPRECT lpHoverRect,
                     const LOGFONT* lpLogFont, COLORREF crTextClr, COLORREF crBackClr)
{
    ASSERT(GetSafeHwnd());
    if (!GetSafeHwnd() || rectTitle.IsRectEmpty() || IsWindowVisible())
        return;

    // Kept in screen coordinates until the tip has its place.
    CRect rectHover = lpHoverRect ? CRect(lpHoverRect) : rectTitle;
    rectHover.right++;
    rectHover.bottom++;
    m_pParentWnd->ClientToScreen(rectHover);

    if (!GetFocus())
        return;

    m_rectTitle.SetRect(-xoffset - 1, -1, rectTitle.Width() - xoffset, rectTitle.Height() + 1);
    m_pParentWnd->ClientToScreen(rectTitle);

    if (lpLogFont)
        m_lfTitle = *lpLogFont;
    else if (CFont* pFont = m_pParentWnd->GetFont())
        pFont->GetLogFont(&m_lfTitle);
    m_crTitleText = crTextClr;
    m_crTitleBack = crBackClr;

    CSize size;
    {
        CClientDC dc(this);
        CFont font;
        font.CreateFontIndirect(&m_lfTitle);
        CFont* pOldFont = dc.SelectObject(&font);
        m_strTitle = FitTitle(&dc, lpszTitleText);
        size = dc.GetTextExtent(m_strTitle);
        TEXTMETRIC tm;
        dc.GetTextMetrics(&tm);
        size.cx += tm.tmOverhang;
        dc.SelectObject(pOldFont);
    }

    CRect rectDisplay = rectTitle;
    rectDisplay.left += xoffset;
    rectDisplay.right = rectDisplay.left + size.cx + xoffset;

    // Only a text that does not fit gets a tip.
    if (rectDisplay.right <= rectTitle.right - xoffset)
        return;

    SetWindowPos(&wndTopMost, rectDisplay.left, rectDisplay.top, rectDisplay.Width(),
                 rectDisplay.Height(), SWP_SHOWWINDOW | SWP_NOACTIVATE);
    // The hover area follows the tip to its new place.
    m_rectHover = rectHover;
    ScreenToClient(m_rectHover);
    // Paint now: the class background, then the text (OnPaint).
    Invalidate(TRUE);
    UpdateWindow();
    SetCapture();
}

CString CTitleTip::FitTitle(CDC* pDC, LPCTSTR lpszText) const
{
    // No glyph is narrower than a pixel, so a text of more bytes than the widest tip has
    // pixels never fits: only so many bytes are ever measured.
    const int nLength = (int)strnlen(lpszText, MAX_TIP_WIDTH + 4);
    const int nMeasured = AfxWholeCharsLength(lpszText, nLength, MAX_TIP_WIDTH);
    const CString strWhole = CString(" ") + CString(lpszText, nMeasured) + " ";
    if (nMeasured == nLength && pDC->GetTextExtent(strWhole).cx <= MAX_TIP_WIDTH)
        return strWhole;
    // The most characters that fit with the note after them.
    const std::vector<int> arrEnds = CharacterEnds(lpszText, nMeasured);
    const auto Cut = [&](size_t nChars) {
        return CString(" ") + CString(lpszText, nChars ? arrEnds[nChars - 1] : 0) + m_strCutNote + " ";
    };
    size_t nLow = 0, nHigh = arrEnds.size();
    while (nLow < nHigh) {
        const size_t nMid = (nLow + nHigh + 1) / 2;
        if (pDC->GetTextExtent(Cut(nMid)).cx <= MAX_TIP_WIDTH)
            nLow = nMid;
        else
            nHigh = nMid - 1;
    }
    return Cut(nLow);
}

void CTitleTip::OnPaint()
{
    CPaintDC dc(this);
    if (!m_strTitle.IsEmpty())
        DrawTitle(&dc);
}

// The text at the tip's corner over the class background, or over crBackClr when given. Over
// the system's tip colour the text takes the system's tip text colour, so the pair stays
// readable in any desktop theme.
void CTitleTip::DrawTitle(CDC* pDC)
{
    CFont font;
    font.CreateFontIndirect(&m_lfTitle);
    CFont* pOldFont = pDC->SelectObject(&font);
    if (m_crTitleBack != CLR_DEFAULT) {
        CBrush backBrush(m_crTitleBack);
        CBrush* pOldBrush = pDC->SelectObject(&backBrush);
        CRect rect;
        pDC->GetClipBox(&rect);
        pDC->PatBlt(rect.left, rect.top, rect.Width(), rect.Height(), PATCOPY);
        pDC->SelectObject(pOldBrush);
    }
    if (m_crTitleText != CLR_DEFAULT)
        pDC->SetTextColor(m_crTitleText);
    else if (m_crTitleBack == CLR_DEFAULT)
        pDC->SetTextColor(GetSysColor(COLOR_INFOTEXT));
    pDC->SetBkMode(TRANSPARENT);
    pDC->TextOut(0, 0, m_strTitle);
    pDC->SelectObject(pOldFont);
}

void CTitleTip::Hide()
{
    if (!GetSafeHwnd())
        return;
    if (GetCapture() && GetCapture()->GetSafeHwnd() == GetSafeHwnd())
        ReleaseCapture();
    ShowWindow(SW_HIDE);
}

// The window under a screen point, the grid standing in for the tip itself.
static CWnd* WindowUnderTip(CTitleTip* pTip, CWnd* pGrid, POINT ptScreen)
{
    CWnd* pWnd = CWnd::WindowFromPoint(ptScreen);
    if (!pWnd || pWnd->GetSafeHwnd() == CWnd::GetSafeHwnd(pTip))
        pWnd = pGrid;
    return pWnd;
}

void CTitleTip::OnMouseMove(UINT nFlags, CPoint point)
{
    if (m_rectHover.PtInRect(point))
        return;

    Hide();

    // Hand the move to the window that is now under the pointer.
    ClientToScreen(&point);
    CWnd* pWnd = WindowUnderTip(this, m_pParentWnd, point);
    if (!pWnd)
        return;
    const int nHitTest = (int)pWnd->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    if (nHitTest == HTCLIENT) {
        pWnd->ScreenToClient(&point);
        pWnd->PostMessage(WM_MOUSEMOVE, nFlags, MAKELPARAM(point.x, point.y));
    } else {
        pWnd->PostMessage(WM_NCMOUSEMOVE, (WPARAM)nHitTest, MAKELPARAM(point.x, point.y));
    }
}

// A press on the tip belongs to the window beneath it: the tip hides and passes it on.
BOOL CTitleTip::PreTranslateMessage(MSG* pMsg)
{
    BOOL bDoubleClick = FALSE;
    switch (pMsg->message) {
    case WM_LBUTTONDOWN: {
        // The first press ever is never the second half of a double click.
        const DWORD dwTick = GetTickCount();
        bDoubleClick = m_dwLastLButtonDown != (DWORD)ULONG_MAX &&
                       dwTick - m_dwLastLButtonDown <= m_dwDblClickMsecs;
        m_dwLastLButtonDown = dwTick;
    }
        [[fallthrough]];
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        CPoint point(GET_X_LPARAM(pMsg->lParam), GET_Y_LPARAM(pMsg->lParam));
        ClientToScreen(&point);
        CWnd* pWnd = WindowUnderTip(this, m_pParentWnd, point);
        if (!pWnd)
            return TRUE;

        UINT message = pMsg->message;
        WPARAM wParam = pMsg->wParam;
        LPARAM lParam;
        const int nHitTest = (int)pWnd->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
        if (nHitTest == HTCLIENT) {
            pWnd->ScreenToClient(&point);
            lParam = MAKELPARAM(point.x, point.y);
        } else {
            switch (message) {
            case WM_LBUTTONDOWN: message = WM_NCLBUTTONDOWN; break;
            case WM_RBUTTONDOWN: message = WM_NCRBUTTONDOWN; break;
            case WM_MBUTTONDOWN: message = WM_NCMBUTTONDOWN; break;
            }
            wParam = (WPARAM)nHitTest;
            lParam = MAKELPARAM(point.x, point.y);
        }
        Hide();
        pWnd->PostMessage(bDoubleClick ? WM_LBUTTONDBLCLK : message, wParam, lParam);
        return TRUE;
    }
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        Hide();
        m_pParentWnd->PostMessage(pMsg->message, pMsg->wParam, pMsg->lParam);
        return TRUE;
    }

    if (!GetFocus()) {
        Hide();
        return TRUE;
    }
    return CWnd::PreTranslateMessage(pMsg);
}
