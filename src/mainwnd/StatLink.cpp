#include "StatLink.h"

#include "Shell.h"

IMPLEMENT_DYNAMIC(CStaticLink, CObject)

COLORREF g_crUnvisited = RGB(0, 0, 255);
COLORREF g_crVisited = RGB(128, 0, 128);
COLORREF g_crHover = RGB(255, 0, 0);

namespace {

// The pointing hand of all links, looked up once.
HCURSOR g_hCursorLink = IDC_ARROW;
BOOL g_bHaveCursorLink = FALSE;
BOOL g_bTriedCursorLink = FALSE;

} // namespace

HINSTANCE CLinkTarget::Navigate()
{
    if (m_strLink.IsEmpty())
        return nullptr;
    return ShellExecute(nullptr, "open", m_strLink, nullptr, nullptr, SW_SHOWNORMAL);
}

CStaticLink::CStaticLink(LPCTSTR lpText, BOOL bDeleteOnDestroy)
    : m_linkTarget(lpText), m_crText(g_crUnvisited), m_bAutoDelete(bDeleteOnDestroy),
      m_bHover(FALSE), m_nHoverTimer(1)
{
}

CStaticLink::~CStaticLink() = default;

void CStaticLink::PostNcDestroy()
{
    if (m_bAutoDelete)
        delete this;
}

// Blue, red or purple text in the label's own font, over the dialog's background.
HBRUSH CStaticLink::CtlColor(CDC* pDC, UINT)
{
    if ((GetStyle() & 0xFF) > SS_RIGHT)
        return nullptr;   // not a text static
    if (!m_fontLink.IsValid()) {
        LOGFONT lf;
        CFont* pFont = GetFont();
        if (pFont && pFont->GetLogFont(&lf))
            m_fontLink.CreateFontIndirect(&lf);
    }
    if (m_fontLink.IsValid())
        pDC->SelectObject(&m_fontLink);
    pDC->SetTextColor(m_crText);
    pDC->SetBkMode(TRANSPARENT);
    return (HBRUSH)GetStockObject(NULL_BRUSH);
}

// The pointer has come over the label: red until the timer sees it leave.
LRESULT CStaticLink::OnNcHitTest(CPoint)
{
    if (!m_bHover) {
        m_bHover = TRUE;
        m_crText = g_crHover;
        Invalidate();
        SetTimer(m_nHoverTimer, 100, nullptr);
    }
    return HTCLIENT;
}

void CStaticLink::OnTimer(UINT_PTR nIDEvent)
{
    const DWORD dwPos = GetMessagePos();
    CPoint point(GET_X_LPARAM(dwPos), GET_Y_LPARAM(dwPos));
    ScreenToClient(&point);
    CRect rect;
    GetClientRect(&rect);
    if (!rect.PtInRect(point)) {
        m_bHover = FALSE;
        KillTimer(m_nHoverTimer);
        m_crText = g_crUnvisited;
        Invalidate();
    }
    CStatic::OnTimer(nIDEvent);
}

void CStaticLink::OnLButtonDown(UINT, CPoint)
{
    if (m_linkTarget.m_strLink.IsEmpty()) {
        if (!m_linkTarget.m_strLink.LoadString(GetDlgCtrlID()))
            GetWindowText(m_linkTarget.m_strLink);
        if (m_linkTarget.m_strLink.IsEmpty())
            return;
    }
    const HINSTANCE hResult = m_linkTarget.Navigate();
    if (reinterpret_cast<INT_PTR>(hResult) > 32) {
        m_crText = g_crVisited;
        Invalidate();
    } else {
        MessageBeep(0);
        TRACE("*** WARNING: CStaticLink: unable to navigate link %s\n", (LPCTSTR)m_linkTarget.m_strLink);
    }
}

BOOL CStaticLink::OnSetCursor(CWnd*, UINT, UINT)
{
    if (!g_bTriedCursorLink) {
        g_bTriedCursorLink = TRUE;
        g_hCursorLink = LoadStandardCursor(IDC_HAND);
        g_bHaveCursorLink = TRUE;
    }
    if (!g_bHaveCursorLink)
        return FALSE;
    SetCursor(g_hCursorLink);
    return TRUE;
}
