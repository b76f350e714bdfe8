#include "StatLink.h"

#include "Shell.h"

#include <algorithm>
#include <cmath>

IMPLEMENT_DYNAMIC(CStaticLink, CObject)

COLORREF g_crUnvisited = RGB(0, 0, 255);
COLORREF g_crVisited = RGB(128, 0, 128);
COLORREF g_crHover = RGB(255, 0, 0);

namespace {

// The background a link brings where the dialog's is too dark for its colours.
const COLORREF g_crOwnBackground = RGB(255, 255, 255);
// Below this contrast a text is hard to read (3:1 for text of dialog size).
constexpr double kMinContrast = 3.0;

// Relative luminance, 0 for black to 1 for white, as the eye weighs the channels of sRGB.
double Luminance(COLORREF cr)
{
    const auto channel = [](int n) {
        const double c = n / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(cr)) + 0.7152 * channel(GetGValue(cr)) + 0.0722 * channel(GetBValue(cr));
}

// From 1 (the same colour) to 21 (black on white).
double Contrast(COLORREF cr1, COLORREF cr2)
{
    const double l1 = Luminance(cr1), l2 = Luminance(cr2);
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

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

// All three colours are weighed, so a label does not change its background while hovered.
BOOL CStaticLink::NeedsOwnBackground()
{
    const COLORREF crDialog = GetSysColor(COLOR_BTNFACE);
    return std::min({Contrast(g_crUnvisited, crDialog), Contrast(g_crVisited, crDialog),
                     Contrast(g_crHover, crDialog)}) < kMinContrast;
}

// Blue, red or purple text in the label's own font, over the dialog's background, or over a
// light one of the label's own where the dialog's is too dark for these colours.
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
    if (NeedsOwnBackground()) {
        if (!m_brushBack.IsValid())
            m_brushBack.CreateSolidBrush(g_crOwnBackground);
        pDC->SetBkMode(OPAQUE);
        return &m_brushBack;
    }
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
