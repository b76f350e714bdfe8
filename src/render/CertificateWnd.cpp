#include "CertificateWnd.h"

#include "App.h"
#include "CommonDialogs.h"
#include "Dialog.h"
#include "LineRule.h"
#include "MainDlg.h"
#include "PrintItem.h"
#include "PrintJob.h"
#include "PrintSet.h"
#include "resource.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>

AFX_USE_RESOURCES(Preview)

namespace {

const char s_szClassName[] = "CertificateWndClass";

// The face of the test page's Chinese labels: "宋体", GB18030.
const char s_szMarkFace[] = "\xCB\xCE\xCC\xE5";

// Posted to the control itself, so that the page's message box opens outside the paint.
constexpr UINT WM_REPORT_PAGE = WM_USER + 0x100;

} // namespace

CCertificateWnd::CCertificateWnd()
    : m_pPrintSet(nullptr), m_pMemDC(nullptr), m_bQuiet(FALSE), m_pOldBitmap(nullptr), m_dPageScale(1.0),
      m_dMaxPagePixels(MAX_PAGE_PIXELS), m_nMaxPageSide(MAX_PAGE_SIDE), m_bBackgroundKept(FALSE)
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
    m_bBackgroundKept = FALSE;
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
    // Both the area and the longer side bound the scale.
    double dScale = std::min({1.0, std::sqrt(m_dMaxPagePixels / (dWidth * dHeight)),
                              m_nMaxPageSide / std::max(dWidth, dHeight)});
    // Should even that fail for want of memory, halve the scale until a page fits.
    for (;;) {
        const int nWidth = std::max(1, (int)std::floor(dWidth * dScale));
        const int nHeight = std::max(1, (int)std::floor(dHeight * dScale));
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
    if (m_bQuiet)
        return;
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
    // The same background as last time: only what changed needs drawing again.
    const CString strPath = bBackground ? GetBackgroundPath() : CString();
    if (bBackground && m_bBackgroundKept && strPath == m_strBackgroundPath && DrawChangedItems())
        return;
    const CSize size = GetPageSize();
    const CRect rectPage(0, 0, size.cx, size.cy);
    if (bBackground) {
        DrawBackground(m_picture, m_pMemDC, rectPage);
        m_strBackgroundPath = strPath;
    } else {
        CBrush brush(RGB(255, 255, 255));
        m_pMemDC->FillRect(&rectPage, &brush);
    }
    m_bBackgroundKept = bBackground;
    m_arrDrawn.clear();
    m_arrDrawn.resize((size_t)std::min(m_pPrintSet->GetItemCount(), (int)m_arrItemTokens.size()));
    m_pMemDC->SetBkMode(TRANSPARENT);
    for (int i = 0; i < (int)m_arrDrawn.size(); i++)
        DrawPageItem(i);
    m_arrChanged.assign(1, rectPage);
}

BOOL CCertificateWnd::IsItemChanged(int nItem) const
{
    if (nItem >= (int)m_arrDrawn.size())
        return TRUE;
    const CDrawnItem& drawn = m_arrDrawn[(size_t)nItem];
    const CPrintItem* pItem = m_pPrintSet->GetItem(nItem);
    const CStringArray& arrTokens = m_arrItemTokens[(size_t)nItem];
    if (drawn.rectPaper != pItem->m_rectPaper || drawn.strFontName != pItem->m_strFontName
        || drawn.arrTokens.GetSize() != arrTokens.GetSize())
        return TRUE;
    for (int j = 0; j < arrTokens.GetSize(); j++)
        if (drawn.arrTokens[j] != arrTokens[j])
            return TRUE;
    return FALSE;
}

CRect CCertificateWnd::GetItemRect(int nItem) const
{
    const CPrintItem* pItem = m_pPrintSet->GetItem(nItem);
    const CRect rect = PaperToPage(pItem->m_rectPaper);
    CFont font;
    CLineRule::CreateItemFont(font, rect.Height(), pItem->m_strFontName);
    CFont* pOldFont = m_pMemDC->SelectObject(&font);
    CRect rectText = CLineRule::GetTokensRect(m_pMemDC, m_arrItemTokens[(size_t)nItem], rect.left, rect.top,
                                              rect.right, rect.Height());
    m_pMemDC->SelectObject(pOldFont);
    const CSize size = GetPageSize();
    const CRect rectPage(0, 0, size.cx, size.cy);
    rectText.IntersectRect(&rectText, &rectPage);
    return rectText;
}

BOOL CCertificateWnd::DrawChangedItems()
{
    const int nItems = std::min(m_pPrintSet->GetItemCount(), (int)m_arrItemTokens.size());
    // The page parts to clear: where changed items drew and will draw, and where items that
    // are gone drew. Items over or under those parts are drawn again too, in their order, so
    // that every redrawn item lies on clean background and none is drawn twice over itself.
    std::vector<CRect> arrClear;
    std::vector<char> arrRedraw((size_t)nItems, 0);
    std::vector<CRect> arrExpected((size_t)nItems);
    const auto Clear = [&arrClear](const CRect& rect) {
        if (!rect.IsRectEmpty())
            arrClear.push_back(rect);
    };
    for (int i = 0; i < nItems; i++) {
        if (!IsItemChanged(i))
            continue;
        arrRedraw[(size_t)i] = 1;
        arrExpected[(size_t)i] = GetItemRect(i);
        Clear(arrExpected[(size_t)i]);
        if (i < (int)m_arrDrawn.size())
            Clear(m_arrDrawn[(size_t)i].rectBounds);
    }
    for (size_t i = (size_t)nItems; i < m_arrDrawn.size(); i++)
        Clear(m_arrDrawn[i].rectBounds);
    for (bool bGrew = true; bGrew;) {
        bGrew = false;
        for (int i = 0; i < nItems; i++) {
            const CRect& rectBounds = m_arrDrawn[(size_t)i].rectBounds;
            if (arrRedraw[(size_t)i] || rectBounds.IsRectEmpty())
                continue;
            for (const CRect& rect : arrClear) {
                CRect rectCommon;
                if (rectCommon.IntersectRect(&rect, &rectBounds)) {
                    arrRedraw[(size_t)i] = 1;
                    arrExpected[(size_t)i] = rectBounds;
                    arrClear.push_back(rectBounds);
                    bGrew = true;
                    break;
                }
            }
        }
    }

    const CSize size = GetPageSize();
    const CRect rectPage(0, 0, size.cx, size.cy);
    for (const CRect& rect : arrClear) {
        m_pMemDC->SetClipRect(rect);
        DrawBackground(m_picture, m_pMemDC, rectPage);
    }
    m_pMemDC->SetClipRect(rectPage);
    m_arrDrawn.resize((size_t)nItems);
    m_pMemDC->SetBkMode(TRANSPARENT);
    for (int i = 0; i < nItems; i++) {
        if (!arrRedraw[(size_t)i])
            continue;
        DrawPageItem(i);
        // Text that went past where it was measured: only a whole page is sure to be right.
        CRect rectOutside;
        rectOutside.UnionRect(&m_arrDrawn[(size_t)i].rectBounds, &arrExpected[(size_t)i]);
        if (rectOutside != arrExpected[(size_t)i])
            return FALSE;
    }
    m_arrChanged.insert(m_arrChanged.end(), arrClear.begin(), arrClear.end());
    // Pages drawn with nobody to show them (no window yet) need not be remembered part by part.
    if (m_arrChanged.size() > 64)
        m_arrChanged.assign(1, rectPage);
    return TRUE;
}

void CCertificateWnd::DrawPageItem(int nItem)
{
    CDrawnItem& drawn = m_arrDrawn[(size_t)nItem];
    const CPrintItem* pItem = m_pPrintSet->GetItem(nItem);
    m_pMemDC->SetBoundsRect(nullptr, DCB_RESET | DCB_ENABLE);
    DrawItem(m_pMemDC, nItem, m_dPageScale);
    m_pMemDC->GetBoundsRect(&drawn.rectBounds, DCB_RESET);
    m_pMemDC->SetBoundsRect(nullptr, DCB_DISABLE);
    drawn.rectPaper = pItem->m_rectPaper;
    drawn.strFontName = pItem->m_strFontName;
    drawn.arrTokens = m_arrItemTokens[(size_t)nItem];
}

void CCertificateWnd::DrawItems(CDC* pDC, double dScale)
{
    if (!m_pPrintSet)
        return;
    pDC->SetBkMode(TRANSPARENT);
    // Later items draw over earlier ones.
    const int nItems = std::min(m_pPrintSet->GetItemCount(), (int)m_arrItemTokens.size());
    for (int i = 0; i < nItems; i++)
        DrawItem(pDC, i, dScale);
}

void CCertificateWnd::DrawItem(CDC* pDC, int nItem, double dScale)
{
    const CPrintItem* pItem = m_pPrintSet->GetItem(nItem);
    const CRect rect = PaperToPage(pItem->m_rectPaper, dScale);
    CFont font;
    CLineRule::CreateItemFont(font, rect.Height(), pItem->m_strFontName);
    CFont* pOldFont = pDC->SelectObject(&font);
    CLineRule::DrawTokens(pDC, m_arrItemTokens[(size_t)nItem], rect.left, rect.top, rect.right, rect.Height());
    pDC->SelectObject(pOldFont);
    font.DeleteObject();
}

void CCertificateWnd::InvalidatePageChanges()
{
    const CSize size = GetPageSize();
    CRect rectClient;
    GetClientRect(&rectClient);
    if (size.cx <= 0 || size.cy <= 0) {
        m_arrChanged.clear();
        return;
    }
    // Outwards, and a little more: the reduction halves the page first, and a halving drops
    // an odd last row or column, which moves its grid by up to a pixel.
    const auto Map = [](LONG n, LONG nPage, LONG nClient, bool bUp) {
        const long long nScaled = (long long)n * nClient;
        return (LONG)((bUp ? nScaled + nPage - 1 : nScaled) / nPage) + (bUp ? 3 : -3);
    };
    std::vector<CRect> arrRects;
    for (const CRect& rectChanged : m_arrChanged) {
        CRect rect(Map(rectChanged.left, size.cx, rectClient.Width(), false),
                   Map(rectChanged.top, size.cy, rectClient.Height(), false),
                   Map(rectChanged.right, size.cx, rectClient.Width(), true),
                   Map(rectChanged.bottom, size.cy, rectClient.Height(), true));
        // Parts that touch are painted as one.
        for (auto it = arrRects.begin(); it != arrRects.end();) {
            CRect rectCommon;
            if (rectCommon.IntersectRect(&*it, &rect)) {
                rect.UnionRect(&rect, &*it);
                it = arrRects.erase(it);
                it = arrRects.begin();
            } else {
                ++it;
            }
        }
        arrRects.push_back(rect);
    }
    m_arrChanged.clear();
    if (arrRects.size() == 1) {
        InvalidateRect(&arrRects.front(), TRUE);
        return;
    }
    for (const CRect& rect : arrRects) {
        InvalidateRect(&rect, TRUE);
        UpdateWindow();
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
    m_bBackgroundKept = FALSE;
    m_arrDrawn.clear();
    m_arrChanged.clear();
}

// ---- Records ----

void CCertificateWnd::ShowNext()
{
    CMainDlg* pDlg = GetMainDlg();
    if (!pDlg || pDlg->m_nCurRecord == INT_MAX)
        return;
    pDlg->m_nCurRecord++;
    ShowRecord();
}

void CCertificateWnd::ShowPrevious()
{
    CMainDlg* pDlg = GetMainDlg();
    if (!pDlg || pDlg->m_nCurRecord <= 1)
        return;
    pDlg->m_nCurRecord--;
    ShowRecord();
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

void CCertificateWnd::ShowRecord()
{
    SplitAllItems();
    RestoreScreenPage();
}

void CCertificateWnd::RestoreScreenPage()
{
    DrawPage(TRUE);
    if (GetSafeHwnd())
        InvalidatePageChanges();
}

BOOL CCertificateWnd::PrintShownPage(const CPrinterCalibration* pTestPage)
{
    CPrintJob job(*this);
    const BOOL bDone = pTestPage ? job.PrintTestPage(*pTestPage) : job.PrintRecord();
    RestoreScreenPage();
    job.Report();
    return bDone;
}

BOOL CCertificateWnd::PrintCurrent()
{
    if (!GetMainDlg() || !m_pPrintSet || !CreatePage())
        return FALSE;
    return PrintShownPage(nullptr);
}

BOOL CCertificateWnd::PrintTestPage(const CPrinterCalibration& calibration)
{
    if (!GetMainDlg() || !m_pPrintSet || !CreatePage())
        return FALSE;
    DrawTestPage();
    return PrintShownPage(&calibration);
}

LONG CCertificateWnd::GetRulerMark(LONG nLength)
{
    return std::clamp<LONG>((nLength - 50) / 100 * 100, 100, 2000);
}

void CCertificateWnd::DrawTestPage()
{
    if (!m_pMemDC || !m_pPrintSet)
        return;
    const CSize size = GetPageSize();
    const CRect rectPage(0, 0, size.cx, size.cy);
    m_pMemDC->FillSolidRect(&rectPage, RGB(255, 255, 255));
    m_bBackgroundKept = FALSE;
    m_arrDrawn.clear();
    m_arrChanged.assign(1, rectPage);
    m_pMemDC->SetBkMode(TRANSPARENT);
    CPen pen(PS_SOLID, 2, RGB(0, 0, 0));   // 0.2 mm: fine, and still seen on any printer
    CPen* pOldPen = m_pMemDC->SelectObject(&pen);
    // Paper edges reckoned in 64 bits, on the page; what lies beyond the drawable range is
    // drawn from its end, out of sight all the same.
    const auto PageRect = [this](int64_t l, int64_t t, int64_t r, int64_t b) {
        const CRect rect =
            PaperToPage(CRect(ClampCoordinate(l), ClampCoordinate(t), ClampCoordinate(r), ClampCoordinate(b)));
        return CRect(ClampToDrawable(rect.left), ClampToDrawable(rect.top), ClampToDrawable(rect.right),
                     ClampToDrawable(rect.bottom));
    };
    const auto Line = [&](int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
        const CRect rect = PageRect(x1, y1, x2, y2);
        m_pMemDC->MoveTo(rect.left, rect.top);
        m_pMemDC->LineTo(rect.right, rect.bottom);
    };
    // Rulers: a tick every millimetre, longer every 5, longest and numbered every 10 (in cm).
    // On a page reduced so far that millimetres would run together, the ticks come every 10,
    // 100 ... millimetres instead, so there are never more ticks than the page has pixels.
    CFont font;
    font.CreateFont(-(int)std::lround(30 * m_dPageScale), 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    CFont* pOldFont = m_pMemDC->SelectObject(&font);
    const int64_t nWidth = m_pPrintSet->m_nPaperWidth, nHeight = m_pPrintSet->m_nPaperHeight;
    int64_t nStep = 10;
    while (nStep * m_dPageScale < 2)
        nStep *= 10;
    for (int64_t n = 0; n <= std::max(nWidth, nHeight); n += nStep) {
        const LONG nTick = n % 100 == 0 ? 60 : n % 50 == 0 ? 40 : 20;
        if (n <= nWidth)
            Line(n, 0, n, nTick);
        if (n <= nHeight)
            Line(0, n, nTick, n);
        if (n % 100 == 0 && n > 0) {
            CString strLabel;
            strLabel.Format("%lld", (long long)(n / 100));
            const CRect rect = PageRect(n + 4, 62, n + 4, 62);
            if (n <= nWidth)
                m_pMemDC->TextOut(rect.left, rect.top, strLabel);
            const CRect rectLeft = PageRect(64, n + 4, 64, n + 4);
            if (n <= nHeight)
                m_pMemDC->TextOut(rectLeft.left, rectLeft.top, strLabel);
        }
    }
    m_pMemDC->SelectObject(pOldFont);
    DrawRulerMarks();
    // Each item's frame, and a cross at its top-left corner.
    CBrush brush(RGB(0, 0, 0));
    for (int i = 0; i < m_pPrintSet->GetItemCount(); i++) {
        const CRect rectPaper = m_pPrintSet->GetItem(i)->m_rectPaper;
        CRect rect = PageRect(rectPaper.left, rectPaper.top, rectPaper.right, rectPaper.bottom);
        m_pMemDC->FrameRect(&rect, &brush);
        rect.DeflateRect(1, 1);
        m_pMemDC->FrameRect(&rect, &brush);
        const int64_t x = rectPaper.left, y = rectPaper.top;
        Line(x - 50, y, x + 51, y);
        Line(x, y - 50, x, y + 51);
    }
    m_pMemDC->SelectObject(pOldPen);
}

// The marks a scale is measured by, one on each ruler: a bold tick twice the length of the
// centimetre ticks, with its length written beside it, clear of the centimetre numbers.
void CCertificateWnd::DrawRulerMarks()
{
    const LONG nWidth = m_pPrintSet->m_nPaperWidth, nHeight = m_pPrintSet->m_nPaperHeight;
    const LONG nMarkX = GetRulerMark(nWidth), nMarkY = GetRulerMark(nHeight);
    CPen pen(PS_SOLID, std::max(1, (int)std::lround(5 * m_dPageScale)), RGB(0, 0, 0));   // 0.5 mm
    CPen* pOldPen = m_pMemDC->SelectObject(&pen);
    CFont font;
    font.CreateFont(-(int)std::lround(30 * m_dPageScale), 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, s_szMarkFace);
    CFont* pOldFont = m_pMemDC->SelectObject(&font);
    CString strFormat;
    strFormat.LoadString(IDS_TEST_PAGE_MARK);
    const auto Mark = [&](LONG x1, LONG y1, LONG x2, LONG y2, LONG xText, LONG yText, LONG nMark) {
        const CRect rect = PaperToPage(CRect(x1, y1, x2, y2));
        m_pMemDC->MoveTo(rect.left, rect.top);
        m_pMemDC->LineTo(rect.right, rect.bottom);
        CString strLabel;
        strLabel.Format(strFormat, (int)(nMark / 10));
        const CRect rectText = PaperToPage(CRect(xText, yText, xText, yText));
        m_pMemDC->TextOut(rectText.left, rectText.top, strLabel);
    };
    if (nMarkX <= nWidth)
        Mark(nMarkX, 0, nMarkX, 120, nMarkX + 8, 98, nMarkX);
    if (nMarkY <= nHeight)
        Mark(0, nMarkY, 120, nMarkY, 128, nMarkY - 34, nMarkY);
    m_pMemDC->SelectObject(pOldFont);
    m_pMemDC->SelectObject(pOldPen);
}

BOOL CCertificateWnd::PrintAll()
{
    CMainDlg* pDlg = GetMainDlg();
    if (!pDlg || !m_pPrintSet || !CreatePage())
        return FALSE;
    if (!pDlg->IsRecordPrintable()) {
        CString strFormat, strText;
        strFormat.LoadString(IDP_NOTHING_TO_PRINT);
        strText.Format(strFormat, pDlg->m_nCurRecord);
        AfxMessageBox(strText, MB_OK | MB_ICONINFORMATION);
        return FALSE;
    }
    CPrintJob job(*this);
    const int nPrinted = job.PrintRecords(TRUE);
    job.Report();
    return nPrinted > 0;
}
