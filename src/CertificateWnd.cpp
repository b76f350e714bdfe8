#include "CertificateWnd.h"

#include "App.h"
#include "CommonDialogs.h"
#include "Dialog.h"
#include "LineRule.h"
#include "MainDlg.h"
#include "PrintItem.h"
#include "PrintSet.h"
#include "resource.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

AFX_USE_RESOURCES(Preview)

namespace {

const char s_szClassName[] = "CertificateWndClass";

// A page beyond this many pixels (96 MB) is drawn at a reduced scale. The paper-size editor
// allows 20000 x 20000 units, 400 million pixels, far more than a window should hold; the
// largest common certificate, A2, still fits at full scale.
constexpr double s_dMaxPagePixels = 25.0e6;

// Posted to the control itself, so that the page's message box opens outside the paint.
constexpr UINT WM_REPORT_PAGE = WM_USER + 0x100;

} // namespace

CCertificateWnd::CCertificateWnd()
    : m_pPrintSet(nullptr), m_pMemDC(nullptr), m_pOldBitmap(nullptr), m_dPageScale(1.0)
{
    RegisterWindowClass();
}

CCertificateWnd::~CCertificateWnd()
{
    ReleaseResources();
}

void CCertificateWnd::RegisterWindowClass()
{
    WNDCLASS wndcls;
    if (AfxGetClassInfo(s_szClassName, &wndcls))
        return;
    wndcls.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wndcls.hCursor = IDC_ARROW;
    wndcls.nBackgroundColor = COLOR_WINDOW;
    wndcls.lpszClassName = s_szClassName;
    if (!AfxRegisterClass(&wndcls))
        AfxThrowResourceException();
}

BOOL CCertificateWnd::DestroyWindow()
{
    return CWnd::DestroyWindow();
}

CMainDlg* CCertificateWnd::GetMainDlg()
{
    return dynamic_cast<CMainDlg*>(AfxGetMainWnd());
}

// ---- Tokens ----

int CCertificateWnd::SplitItemText(int nItem, const CString& strText)
{
    if (nItem < 0)
        return 0;
    if ((size_t)nItem >= m_arrItemTokens.size())
        m_arrItemTokens.resize((size_t)nItem + 1);
    CMainDlg* pDlg = GetMainDlg();
    CPrintItem::SplitText(strText, m_arrItemTokens[(size_t)nItem], [pDlg](const CString& strKey) {
        return pDlg ? pDlg->GetFieldText(strKey) : CString();
    });
    return m_arrItemTokens[(size_t)nItem].GetSize();
}

void CCertificateWnd::SplitAllItems()
{
    for (CStringArray& arrTokens : m_arrItemTokens)
        arrTokens.RemoveAll();
    if (!m_pPrintSet)
        return;
    const int nItems = m_pPrintSet->GetItemCount();
    m_arrItemTokens.resize((size_t)nItems);
    for (int i = 0; i < nItems; i++)
        SplitItemText(i, m_pPrintSet->GetItem(i)->m_strText);
}

// ---- The page ----

BOOL CCertificateWnd::AllocatePage(int nWidth, int nHeight)
{
    auto pDC = std::make_unique<CDC>();
    if (!pDC->CreateCompatibleDC(nullptr) || !m_bitmapPage.CreateCompatibleBitmap(pDC.get(), nWidth, nHeight)) {
        m_bitmapPage = CBitmap();
        return FALSE;
    }
    m_pOldBitmap = pDC->SelectObject(&m_bitmapPage);
    m_pMemDC = pDC.release();
    return TRUE;
}

BOOL CCertificateWnd::CreatePage()
{
    if (m_pMemDC)
        return TRUE;
    if (!m_pPrintSet)
        return FALSE;
    const double dWidth = std::max<LONG>(m_pPrintSet->m_nPaperWidth, 1);
    const double dHeight = std::max<LONG>(m_pPrintSet->m_nPaperHeight, 1);
    double dScale = std::min(1.0, std::sqrt(s_dMaxPagePixels / (dWidth * dHeight)));
    // Should even that fail for want of memory, halve the scale until a page fits.
    for (;;) {
        const int nWidth = std::max(1, (int)std::lround(dWidth * dScale));
        const int nHeight = std::max(1, (int)std::lround(dHeight * dScale));
        if (AllocatePage(nWidth, nHeight))
            break;
        if (nWidth == 1 && nHeight == 1) {
            ReportPage(IDP_PAGE_NO_MEMORY);
            return FALSE;
        }
        dScale /= 2;
    }
    m_dPageScale = dScale;
    if (dScale < 1.0)
        ReportPage(IDP_PAGE_REDUCED);
    SplitAllItems();
    DrawPage(TRUE);
    return TRUE;
}

// From a paint the message box opens once the paint is over.
void CCertificateWnd::ReportPage(UINT nIDPrompt)
{
    if (!GetSafeHwnd() || !PostMessage(WM_REPORT_PAGE, nIDPrompt))
        AfxMessageBox(nIDPrompt);
}

CSize CCertificateWnd::GetPageSize() const
{
    BITMAP bm;
    if (!m_pMemDC || !m_bitmapPage.GetBitmap(&bm))
        return CSize(0, 0);
    return CSize(bm.bmWidth, bm.bmHeight);
}

CRect CCertificateWnd::PaperToPage(const CRect& rectPaper, double dScale)
{
    if (dScale == 1.0)
        return rectPaper;
    const auto Scale = [dScale](LONG n) { return (LONG)std::lround(n * dScale); };
    return CRect(Scale(rectPaper.left), Scale(rectPaper.top), Scale(rectPaper.right), Scale(rectPaper.bottom));
}

void CCertificateWnd::DrawPage(BOOL bBackground)
{
    if (!m_pMemDC || !m_pPrintSet)
        return;
    const CSize size = GetPageSize();
    const CRect rectPage(0, 0, size.cx, size.cy);
    if (bBackground) {
        DrawBackground(m_picture, m_pMemDC, rectPage);
    } else {
        CBrush brush(RGB(255, 255, 255));
        m_pMemDC->FillRect(&rectPage, &brush);
    }
    DrawItems(m_pMemDC, m_dPageScale);
}

void CCertificateWnd::DrawItems(CDC* pDC, double dScale)
{
    if (!m_pPrintSet)
        return;
    pDC->SetBkMode(TRANSPARENT);
    // Later items draw over earlier ones.
    const int nItems = std::min(m_pPrintSet->GetItemCount(), (int)m_arrItemTokens.size());
    for (int i = 0; i < nItems; i++) {
        const CPrintItem* pItem = m_pPrintSet->GetItem(i);
        const CRect rect = PaperToPage(pItem->m_rectPaper, dScale);
        CFont font;
        CLineRule::CreateItemFont(font, rect.Height(), pItem->m_strFontName);
        CFont* pOldFont = pDC->SelectObject(&font);
        CLineRule::DrawTokens(pDC, m_arrItemTokens[(size_t)i], rect.left, rect.top, rect.right,
                              rect.Height());
        pDC->SelectObject(pOldFont);
        font.DeleteObject();
    }
}

void CCertificateWnd::ReleaseResources()
{
    m_picture.Free();
    if (m_pMemDC) {
        m_pMemDC->SelectObject(m_pOldBitmap);
        m_pMemDC->DeleteDC();
        delete m_pMemDC;
        m_pMemDC = nullptr;
        m_pOldBitmap = nullptr;
    }
    m_bitmapPage = CBitmap();
    m_dPageScale = 1.0;
}

// ---- Records ----

void CCertificateWnd::ShowNext()
{
    CMainDlg* pDlg = GetMainDlg();
    if (!pDlg || pDlg->m_nCurRecord == INT_MAX)
        return;
    pDlg->m_nCurRecord++;
    SplitAllItems();
    DrawPage(TRUE);
    if (GetSafeHwnd())
        Invalidate(TRUE);
}

void CCertificateWnd::ShowPrevious()
{
    CMainDlg* pDlg = GetMainDlg();
    if (!pDlg || pDlg->m_nCurRecord <= 1)
        return;
    pDlg->m_nCurRecord--;
    SplitAllItems();
    DrawPage(TRUE);
    if (GetSafeHwnd())
        Invalidate(TRUE);
}

// ---- Painting ----

void CCertificateWnd::OnPaint()
{
    CPaintDC dc(this);
    CRect rect;
    GetClientRect(&rect);
    if (!m_pMemDC && !CreatePage()) {
        dc.FillSolidRect(&rect, RGB(255, 255, 255));
        return;
    }
    const CSize size = GetPageSize();
    dc.SetStretchBltMode(HALFTONE);
    dc.StretchBlt(0, 0, rect.Width(), rect.Height(), m_pMemDC, 0, 0, size.cx, size.cy, SRCCOPY);
}

// The paint covers the whole client area.
BOOL CCertificateWnd::OnEraseBkgnd(CDC* /*pDC*/)
{
    return TRUE;
}

LRESULT CCertificateWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_REPORT_PAGE) {
        AfxMessageBox((UINT)wParam);
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

// ---- Printing ----
// Placeholders until printing arrives: nothing is printed yet.

BOOL CCertificateWnd::PrintCurrent() { return FALSE; }   // PLACEHOLDER: printing replaces this

BOOL CCertificateWnd::PrintAll() { return FALSE; }   // PLACEHOLDER: printing replaces this
