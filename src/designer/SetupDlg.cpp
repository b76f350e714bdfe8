#include "SetupDlg.h"

#include "CommonDialogs.h"
#include "EditDlg.h"
#include "LineRule.h"
#include "PageSizeEditDlg.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

AFX_USE_RESOURCES(Setup)
AFX_USE_RESOURCES(SetupCursors)
AFX_USE_RESOURCES(Limits)

namespace {

// The handles of the selected item, in the order of m_rectHandles; the last four resize.
const char* const s_pszHandleNames[8] = {
    "sizeLeftTopRect", "sizeLeftBottomRect", "sizeRightTopRect", "sizeRightBottomRect",
    "sizeLeftRect",    "sizeRightRect",      "sizeTopRect",      "sizeBottomRect",
};
const char s_szBoxMove[] = "boxMove";

const COLORREF s_crSizeButton = RGB(153, 217, 234);
const COLORREF s_crSelection = RGB(255, 0, 0);
const UINT s_nLineFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_NOCLIP;

// The default items of an empty layout: text and edges as fractions of the paper.
struct DefaultItem {
    UINT nIDText;
    double dLeft, dTop, dRight, dBottom;
};
const DefaultItem s_defaultItems[3] = {
    {IDS_SETUP_DEFAULT_ITEM1, 0.192857, 0.413636, 0.369643, 0.45505},
    {IDS_SETUP_DEFAULT_ITEM2, 0.191786, 0.478283, 0.797857, 0.519192},
    {IDS_SETUP_DEFAULT_ITEM3, 0.5025, 0.70101, 0.734643, 0.741919},
};

LONG FractionOf(LONG nSize, double dFraction)
{
    return (LONG)(nSize * dFraction + 0.5);
}

// Product first in 64 bits, then truncated toward zero, as the item mapping does.
LONG Scale(LONG nValue, LONG nNumerator, LONG nDenominator)
{
    return nDenominator ? (LONG)((int64_t)nValue * nNumerator / nDenominator) : 0;
}

// The length of a signed extent; INT_MIN has no int of the same size.
UINT Length(int nExtent)
{
    return nExtent < 0 ? 0u - (UINT)nExtent : (UINT)nExtent;
}

CString LoadText(UINT nID)
{
    CString str;
    str.LoadString(nID);
    return str;
}

} // namespace

CSetupDlg::CSetupDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_pPrintSet(nullptr), m_pSelItem(nullptr), m_pMemDC(nullptr),
      m_pBackDC(nullptr), m_nClientWidth(0), m_nClientHeight(0), m_nHistoryBytes(0), m_bHistoryCut(FALSE),
      m_bCutTextReported(FALSE), m_bDragStepPending(FALSE),
      m_hCursorSizeWE(IDC_ARROW), m_hCursorMove(IDC_ARROW), m_hCursorSizeNS(IDC_ARROW)
{
}

CSetupDlg::~CSetupDlg()
{
    DeleteViews();
}

void CSetupDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}

BOOL CSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    CRect rectClient;
    GetClientRect(&rectClient);
    m_nClientWidth = rectClient.Width();
    m_nClientHeight = rectClient.Height();
    m_rectPage = CRect(20, 20, m_nClientWidth - 20, m_nClientHeight - 20);
    m_hCursorSizeWE = AfxLoadCursor(IDC_CURSOR_SIZEWE);
    m_hCursorMove = AfxLoadCursor(IDC_CURSOR_MOVE);
    m_hCursorSizeNS = AfxLoadCursor(IDC_CURSOR_SIZENS);
    AddDefaultItems();
    SplitAllItems();
    SetWindowText(LoadText(IDS_SETUP_CAPTION));
    return TRUE;
}

// Enter and Esc end the window as its close box does, so every way out keeps the moves of this
// opening on screen and on paper alike.
void CSetupDlg::OnOK()
{
    OnClose();
}

void CSetupDlg::OnCancel()
{
    OnClose();
}

LRESULT CSetupDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        OnClose();
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CSetupDlg::OnClose()
{
    m_picture.Free();
    DeleteViews();
    for (int i = 0; i < m_pPrintSet->GetItemCount(); i++)
        WriteBackItem(m_pPrintSet->GetItem(i));
    EndDialog(IDCANCEL);
}

// An item still where its paper rectangle shows it keeps that rectangle: mapping it to the
// screen's coarser grid and back would move it up and left a little at every opening.
void CSetupDlg::WriteBackItem(CPrintItem* pItem)
{
    const CRect rectScreen = pItem->m_rectScreen;
    pItem->PaperToScreen(m_pPrintSet);
    const BOOL bMoved = pItem->m_rectScreen != rectScreen;
    pItem->m_rectScreen = rectScreen;
    if (bMoved)
        pItem->ScreenToPaper(m_pPrintSet);
}

// Views.

// Both views are compatible with the window, at its screen's resolution.
void CSetupDlg::CreateViews()
{
    CClientDC dcWindow(this);
    if (!m_pBackDC) {
        m_pBackDC = new CDC;
        m_pBackDC->CreateCompatibleDC(&dcWindow);
        m_bitmapBack.CreateCompatibleBitmap(m_pBackDC, m_nClientWidth, m_nClientHeight);
        m_pBackDC->SelectObject(&m_bitmapBack);
        DrawBackgroundView();
    }
    if (!m_pMemDC) {
        m_pMemDC = new CDC;
        m_pMemDC->CreateCompatibleDC(&dcWindow);
        m_bitmapMem.CreateCompatibleBitmap(m_pMemDC, m_nClientWidth, m_nClientHeight);
        m_pMemDC->SelectObject(&m_bitmapMem);
        ComposeView();
    }
}

void CSetupDlg::DeleteViews()
{
    delete m_pMemDC;
    m_pMemDC = nullptr;
    delete m_pBackDC;
    m_pBackDC = nullptr;
    m_bitmapMem.DeleteObject();
    m_bitmapBack.DeleteObject();
}

void CSetupDlg::Refresh()
{
    ComposeView();
    Invalidate();
}

// A paint is one copy of the composed view; nothing is erased first.
void CSetupDlg::OnPaint()
{
    CPaintDC dc(this);
    if (!m_pPrintSet || m_nClientWidth <= 0 || m_nClientHeight <= 0)
        return;
    CreateViews();
    dc.BitBlt(0, 0, m_nClientWidth, m_nClientHeight, m_pMemDC, 0, 0, SRCCOPY);
}

BOOL CSetupDlg::OnEraseBkgnd(CDC*)
{
    return TRUE;
}

void CSetupDlg::DrawBackgroundView()
{
    m_pBackDC->FillSolidRect(0, 0, m_nClientWidth, m_nClientHeight, GetSysColor(COLOR_BTNFACE));
    DrawBackground(m_picture, m_pBackDC, m_rectPage);
}

void CSetupDlg::ComposeView()
{
    if (!m_pMemDC) {
        CreateViews();   // composes
        return;
    }
    CDC* pDC = m_pMemDC;
    pDC->BitBlt(0, 0, m_nClientWidth, m_nClientHeight, m_pBackDC, 0, 0, SRCCOPY);
    pDC->SetBkMode(TRANSPARENT);
    // The lines above and below the page stand on the window's colour and take the text
    // colour that goes with it, so a dark desktop theme keeps them readable; the light-blue
    // box and the page keep the black they are drawn for.
    const COLORREF crLineText = GetSysColor(COLOR_BTNTEXT);
    pDC->SetTextColor(crLineText);

    // The paper size, and the light-blue box after it that opens the paper-size editor.
    CString strSize;
    strSize.Format(LoadText(IDS_SETUP_PAPER_SIZE), (int)m_pPrintSet->m_nPaperWidth,
                   (int)m_pPrintSet->m_nPaperHeight);
    m_rectSizeButton = CRect(20, 0, m_nClientWidth / 2, 20);
    pDC->DrawText(strSize, &m_rectSizeButton, s_nLineFormat);
    const CString strButton = LoadText(IDS_SETUP_SIZE_BUTTON);
    m_rectSizeButton.left = pDC->GetTextExtent(strSize).cx + 40;
    m_rectSizeButton.right = m_rectSizeButton.left + pDC->GetTextExtent(strButton).cx + 5;
    pDC->FillSolidRect(&m_rectSizeButton, s_crSizeButton);
    pDC->SetTextColor(RGB(0, 0, 0));
    pDC->DrawText(strButton, &m_rectSizeButton, s_nLineFormat | DT_CENTER);

    pDC->SetTextColor(crLineText);
    pDC->TextOut(m_rectPage.left, m_rectPage.bottom, StatusText());
    pDC->SetTextColor(RGB(0, 0, 0));

    for (int i = 0; i < m_pPrintSet->GetItemCount(); i++)
        DrawItem(m_pPrintSet->GetItem(i));
}

// An item's frame, its text by the line rule (placeholders as written) and, when selected, the
// red frame and the handles. An item whose edges were dragged past each other still shows a
// frame where it lies, so it can be found and dragged back.
void CSetupDlg::DrawItem(CPrintItem* pItem)
{
    CDC* pDC = m_pMemDC;
    pItem->m_rectPage = m_rectPage;
    if (m_strDragMode.IsEmpty() && pItem->m_rectScreen == CRect(0, 0, 0, 0))
        pItem->PaperToScreen(m_pPrintSet);
    const CRect& rect = pItem->m_rectScreen;
    CRect rectFrame = rect;
    rectFrame.NormalizeRect();
    rectFrame.right = std::max(rectFrame.right, rectFrame.left + 1);
    rectFrame.bottom = std::max(rectFrame.bottom, rectFrame.top + 1);
    pDC->Draw3dRect(&rectFrame, RGB(0, 0, 0), RGB(0, 0, 0));

    CFont font;
    CLineRule::CreateItemFont(font, rect.Height(), pItem->m_strFontName);
    CFont* pOldFont = pDC->SelectObject(&font);
    if (pItem->m_strText.IsEmpty()) {
        CRect rectHint = rect;
        pDC->DrawText(LoadText(IDS_SETUP_EMPTY_ITEM), &rectHint, s_nLineFormat);
    }
    CLineRule::DrawTokens(pDC, pItem->m_arrTokens, rect.left, rect.top, rect.right, rect.Height());

    if (pItem == m_pSelItem) {
        pDC->Draw3dRect(&rectFrame, s_crSelection, s_crSelection);
        const int L = rect.left, T = rect.top, R = rect.right, B = rect.bottom;
        const int MX = (L + R) / 2, MY = (T + B) / 2;
        m_rectHandles[0] = CRect(L - 1, T - 1, L + 2, T + 2);
        m_rectHandles[1] = CRect(L - 1, B - 2, L + 2, B + 1);
        m_rectHandles[2] = CRect(R - 2, T - 1, R + 1, T + 2);
        m_rectHandles[3] = CRect(R - 2, B - 2, R + 1, B + 1);
        m_rectHandles[4] = CRect(L - 1, MY - 1, L + 2, MY + 2);
        m_rectHandles[5] = CRect(R - 2, MY - 1, R + 1, MY + 2);
        m_rectHandles[6] = CRect(MX - 1, T - 1, MX + 2, T + 2);
        m_rectHandles[7] = CRect(MX - 1, B - 2, MX + 2, B + 1);
        CBrush brush(RGB(0, 0, 0));
        for (const CRect& rectHandle : m_rectHandles)
            pDC->FillRect(&rectHandle, &brush);
    }
    pDC->SelectObject(pOldFont);
    font.DeleteObject();
}

CString CSetupDlg::StatusText() const
{
    if (!m_pSelItem)
        return LoadText(IDS_SETUP_NO_SELECTION);
    const CRect& rect = m_pSelItem->m_rectScreen;
    CString str;
    str.Format(LoadText(IDS_SETUP_SELECTION), (int)rect.left, (int)rect.top, (int)rect.right,
               (int)rect.bottom, rect.Height());
    CString strPosition;
    strPosition.Format(LoadText(IDS_SETUP_PAPER_POSITION),
                       PaperMillimetres(Scale(rect.left - m_rectPage.left, m_pPrintSet->m_nPaperWidth, m_rectPage.Width())),
                       PaperMillimetres(Scale(rect.top - m_rectPage.top, m_pPrintSet->m_nPaperHeight, m_rectPage.Height())));
    return str + strPosition;
}

// Tenths of a millimetre as millimetres with one decimal.
CString CSetupDlg::PaperMillimetres(LONG nTenths) const
{
    CString str;
    str.Format("%s%ld.%ld", nTenths < 0 ? "-" : "", std::labs(nTenths) / 10, std::labs(nTenths) % 10);
    return str;
}

// Hit testing.

CString CSetupDlg::HitTestHandles(CPoint point)
{
    for (int i = 0; i < 8; i++) {
        if (m_rectHandles[i].PtInRect(point))
            return s_pszHandleNames[i];
    }
    return "";
}

// An item whose edges crossed counts by the area it covers; one without width or height by
// the band of its handles, so it stays selectable.
CRect CSetupDlg::HitRect(const CRect& rect)
{
    CRect rectHit = rect;
    rectHit.NormalizeRect();
    if (rectHit.Width() < 3)
        rectHit.InflateRect(1, 0, 2 - rectHit.Width(), 0);
    if (rectHit.Height() < 3)
        rectHit.InflateRect(0, 1, 0, 2 - rectHit.Height());
    return rectHit;
}

CPrintItem* CSetupDlg::ItemFromPoint(CPoint point)
{
    for (int i = 0; i < m_pPrintSet->GetItemCount(); i++) {
        CPrintItem* pItem = m_pPrintSet->GetItem(i);
        if (HitRect(pItem->m_rectScreen).PtInRect(point))
            return pItem;
    }
    return nullptr;
}

BOOL CSetupDlg::DragChangesItem() const
{
    return m_strDragMode == s_szBoxMove || m_strDragMode == s_pszHandleNames[4] ||
           m_strDragMode == s_pszHandleNames[5] || m_strDragMode == s_pszHandleNames[6] ||
           m_strDragMode == s_pszHandleNames[7];
}

// The mouse.

void CSetupDlg::OnLButtonDown(UINT nFlags, CPoint point)
{
    m_ptDown = point;
    if (m_rectSizeButton.PtInRect(point)) {
        EditPaperSize();
        return;
    }
    if (m_pSelItem) {
        const CString strHandle = HitTestHandles(point);
        if (!strHandle.IsEmpty()) {
            m_strDragMode = strHandle;
            m_rectDragStart = m_pSelItem->m_rectScreen;
            BeginDragStep();
            return;
        }
    }
    CPrintItem* pOldItem = m_pSelItem;
    m_pSelItem = ItemFromPoint(point);
    if (m_pSelItem) {
        m_strDragMode = s_szBoxMove;
        m_rectDragStart = m_pSelItem->m_rectScreen;
        BeginDragStep();
    } else {
        m_strDragMode = "";
    }
    if (m_pSelItem != pOldItem)
        Refresh();
    CDialog::OnLButtonDown(nFlags, point);
}

void CSetupDlg::OnMouseMove(UINT nFlags, CPoint point)
{
    if (nFlags == 0)
        m_strDragMode = "";
    if (m_pSelItem && DragChangesItem()) {
        const int dx = point.x - m_ptDown.x;
        const int dy = point.y - m_ptDown.y;
        CRect rect = m_rectDragStart;
        if (m_strDragMode == s_szBoxMove)
            rect.OffsetRect(dx, dy);
        else if (m_strDragMode == s_pszHandleNames[4])
            rect.left += dx;
        else if (m_strDragMode == s_pszHandleNames[5])
            rect.right += dx;
        else if (m_strDragMode == s_pszHandleNames[6])
            rect.top += dy;
        else
            rect.bottom += dy;
        if (rect != m_pSelItem->m_rectScreen && m_bDragStepPending) {
            PushUndo(std::move(m_dragStep));
            m_bDragStepPending = FALSE;
        }
        m_pSelItem->m_rectScreen = rect;
        Refresh();
    }
    CDialog::OnMouseMove(nFlags, point);
}

void CSetupDlg::OnLButtonUp(UINT nFlags, CPoint point)
{
    m_strDragMode = "";
    m_bDragStepPending = FALSE;
    CDialog::OnLButtonUp(nFlags, point);
}

void CSetupDlg::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    m_ptDown = point;
    if (m_rectSizeButton.PtInRect(point)) {
        EditPaperSize();
        return;
    }
    if (CPrintItem* pItem = ItemFromPoint(point)) {
        m_pSelItem = pItem;
        EditItem(pItem);
    } else if (m_pPrintSet->GetItemCount() >= CPrintSet::MAX_ITEMS) {
        CString strMessage;
        strMessage.Format(LoadText(IDP_SETUP_TOO_MANY_ITEMS), (int)CPrintSet::MAX_ITEMS);
        AfxMessageBox(strMessage, MB_OK | MB_ICONINFORMATION);
    } else {
        RememberLayout();
        AddItemAt(point);
    }
    Refresh();
    CDialog::OnLButtonDblClk(nFlags, point);
}

BOOL CSetupDlg::GetCaretRect(LPRECT lpRect)
{
    if (!m_pSelItem)
        return FALSE;
    *lpRect = m_pSelItem->m_rectScreen;
    return TRUE;
}

BOOL CSetupDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message)
{
    CPoint point;
    GetCursorPos(&point);
    ScreenToClient(&point);
    if (m_pSelItem) {
        const CString strHandle = HitTestHandles(point);
        if (strHandle == s_pszHandleNames[4] || strHandle == s_pszHandleNames[5]) {
            SetCursor(m_hCursorSizeWE);
            return TRUE;
        }
        if (strHandle == s_pszHandleNames[6] || strHandle == s_pszHandleNames[7]) {
            SetCursor(m_hCursorSizeNS);
            return TRUE;
        }
    }
    if (ItemFromPoint(point)) {
        SetCursor(m_hCursorMove);
        return TRUE;
    }
    return CDialog::OnSetCursor(pWnd, nHitTest, message);
}

// Keys: Delete, the arrows (Shift: ten pixels at a time), Ctrl+Z and Ctrl+Y.
void CSetupDlg::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    const BOOL bControl = GetKeyState(VK_CONTROL) < 0;
    const int nStep = GetKeyState(VK_SHIFT) < 0 ? 10 : 1;
    switch (nChar) {
    case VK_DELETE:
        if (m_pSelItem)
            DeleteSelection();
        break;
    case VK_LEFT: MoveSelection(-nStep, 0); break;
    case VK_RIGHT: MoveSelection(nStep, 0); break;
    case VK_UP: MoveSelection(0, -nStep); break;
    case VK_DOWN: MoveSelection(0, nStep); break;
    case 'Z':
        if (bControl && Undo())
            Refresh();
        break;
    case 'Y':
        if (bControl && Redo())
            Refresh();
        break;
    default:
        break;
    }
    CDialog::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CSetupDlg::DeleteSelection()
{
    RememberLayout();
    m_pPrintSet->RemoveItem(m_pSelItem);
    m_pSelItem = nullptr;
    Refresh();
}

void CSetupDlg::MoveSelection(int dx, int dy)
{
    if (!m_pSelItem)
        return;
    RememberLayout();
    m_pSelItem->m_rectScreen.OffsetRect(dx, dy);
    Refresh();
}

// Items.

CPoint CSetupDlg::ScreenToPaperPoint(CPoint point)
{
    return CPoint(Scale(point.x - m_rectPage.left, m_pPrintSet->m_nPaperWidth, m_rectPage.Width()),
                  Scale(point.y - m_rectPage.top, m_pPrintSet->m_nPaperHeight, m_rectPage.Height()));
}

// A new item a fifth of the paper wide and a twenty-fourth high, its top-left at the point.
void CSetupDlg::AddItemAt(CPoint point)
{
    const LONG nW = m_pPrintSet->m_nPaperWidth;
    const LONG nH = m_pPrintSet->m_nPaperHeight;
    auto* pItem = new CPrintItem;
    pItem->m_rectScreen.left = point.x;
    pItem->m_rectScreen.top = point.y;
    const CPoint ptPaper = ScreenToPaperPoint(point);
    const LONG nItemWidth = nW / 5;
    const LONG nItemHeight = nH / 24;
    pItem->m_rectPaper = CRect(ptPaper.x, ptPaper.y, ClampCoordinate((int64_t)ptPaper.x + nItemWidth),
                               ClampCoordinate((int64_t)ptPaper.y + nItemHeight));
    pItem->m_rectScreen.right = point.x + Scale(m_rectPage.Width(), nItemWidth, nW);
    pItem->m_rectScreen.bottom = point.y + Scale(m_rectPage.Height(), nItemHeight, nH);
    pItem->m_strFontName = LoadText(IDS_SETUP_FONT_NAME);
    m_pPrintSet->m_arrItems.Add(pItem);
}

void CSetupDlg::AddDefaultItems()
{
    if (m_pPrintSet->GetItemCount() > 0)
        return;
    const LONG nW = m_pPrintSet->m_nPaperWidth;
    const LONG nH = m_pPrintSet->m_nPaperHeight;
    for (const DefaultItem& item : s_defaultItems) {
        auto* pItem = new CPrintItem;
        pItem->m_strText = LoadText(item.nIDText);
        pItem->m_rectPaper = CRect(FractionOf(nW, item.dLeft), FractionOf(nH, item.dTop),
                                   FractionOf(nW, item.dRight), FractionOf(nH, item.dBottom));
        pItem->m_rectPage = m_rectPage;
        pItem->PaperToScreen(m_pPrintSet);
        pItem->m_strFontName = LoadText(IDS_SETUP_FONT_NAME);
        m_pPrintSet->m_arrItems.Add(pItem);
    }
}

BOOL CSetupDlg::SplitItem(CPrintItem* pItem)
{
    pItem->m_arrTokens.RemoveAll();
    return CPrintItem::SplitText(pItem->m_strText, pItem->m_arrTokens);
}

void CSetupDlg::SplitAllItems()
{
    BOOL bWhole = TRUE;
    for (int i = 0; i < m_pPrintSet->GetItemCount(); i++)
        bWhole = SplitItem(m_pPrintSet->GetItem(i)) && bWhole;
    if (!bWhole)
        ReportCutText();
}

// The text itself stays whole: it is only shown in part here.
void CSetupDlg::ReportCutText()
{
    if (m_bCutTextReported)
        return;
    m_bCutTextReported = TRUE;
    CString strMessage;
    strMessage.Format(LoadText(IDP_SETUP_TEXT_CUT), (int)CPrintItem::MAX_SPLIT_TOKENS);
    AfxMessageBox(strMessage, MB_OK | MB_ICONINFORMATION);
}

// The editors.

void CSetupDlg::EditPaperSize()
{
    CPageSizeEditDlg dlg(this);
    dlg.m_nWidth = (UINT)m_pPrintSet->m_nPaperWidth;
    dlg.m_nHeight = (UINT)m_pPrintSet->m_nPaperHeight;
    if (dlg.DoModal() != IDOK)
        return;
    if ((LONG)dlg.m_nWidth != m_pPrintSet->m_nPaperWidth || (LONG)dlg.m_nHeight != m_pPrintSet->m_nPaperHeight)
        RememberLayout();
    // The items keep their place on the picture; their paper rectangles follow the new size
    // when the window closes.
    m_pPrintSet->m_nPaperWidth = (LONG)dlg.m_nWidth;
    m_pPrintSet->m_nPaperHeight = (LONG)dlg.m_nHeight;
    Refresh();
}

// The editor shows the item's size as a length, also for an item whose edges were dragged past
// each other; what it gives back is applied from the item's left and top.
void CSetupDlg::EditItem(CPrintItem* pItem)
{
    CEditDlg dlg(this);
    dlg.m_strText = pItem->m_strText;
    dlg.m_nWidth = Length(pItem->m_rectScreen.Width());
    dlg.m_nHeight = Length(pItem->m_rectScreen.Height());
    dlg.m_strFontName = pItem->m_strFontName;
    if (dlg.DoModal() != IDOK)
        return;
    RememberLayout();
    if (dlg.m_bDelete) {
        m_pPrintSet->RemoveItem(pItem);
        m_pSelItem = nullptr;
        return;
    }
    pItem->m_strText = dlg.m_strText;
    pItem->m_strFontName = dlg.m_strFontName;
    if (!SplitItem(pItem))
        ReportCutText();
    pItem->m_rectPage = m_rectPage;
    pItem->SetScreenSize((int)dlg.m_nWidth, (int)dlg.m_nHeight);
}

// Undo and redo.

CSetupDlg::LayoutState CSetupDlg::SaveLayout() const
{
    LayoutState state;
    state.nPaperWidth = m_pPrintSet->m_nPaperWidth;
    state.nPaperHeight = m_pPrintSet->m_nPaperHeight;
    state.nBytes = sizeof state;
    for (int i = 0; i < m_pPrintSet->GetItemCount(); i++) {
        const CPrintItem* pItem = m_pPrintSet->GetItem(i);
        state.items.push_back({pItem->m_rectPaper, pItem->m_rectScreen, pItem->m_rectPage,
                               pItem->m_strText, pItem->m_strFontName});
        state.nBytes += sizeof(ItemState) + pItem->m_strText.GetLength() + pItem->m_strFontName.GetLength();
        if (pItem == m_pSelItem)
            state.nSelected = i;
    }
    return state;
}

void CSetupDlg::RestoreLayout(const LayoutState& state)
{
    m_pPrintSet->RemoveAllItems();
    m_pSelItem = nullptr;
    m_strDragMode = "";
    m_pPrintSet->m_nPaperWidth = state.nPaperWidth;
    m_pPrintSet->m_nPaperHeight = state.nPaperHeight;
    for (const ItemState& item : state.items) {
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = item.rectPaper;
        pItem->m_rectScreen = item.rectScreen;
        pItem->m_rectPage = item.rectPage;
        pItem->m_strText = item.strText;
        pItem->m_strFontName = item.strFontName;
        SplitItem(pItem);
        m_pPrintSet->m_arrItems.Add(pItem);
    }
    if (state.nSelected >= 0)
        m_pSelItem = m_pPrintSet->GetItem(state.nSelected);
}

void CSetupDlg::RememberLayout()
{
    PushUndo(SaveLayout());
}

void CSetupDlg::PushUndo(LayoutState state)
{
    ClearRedo();
    m_nHistoryBytes += state.nBytes;
    m_undo.push_back(std::move(state));
    TrimHistory();
}

void CSetupDlg::TrimHistory()
{
    while (m_nHistoryBytes > MAX_UNDO_BYTES && !m_undo.empty()) {
        m_nHistoryBytes -= m_undo.front().nBytes;
        m_undo.pop_front();
        m_bHistoryCut = TRUE;
    }
}

CSetupDlg::LayoutState CSetupDlg::PopStep(std::deque<LayoutState>& steps)
{
    LayoutState state = std::move(steps.back());
    steps.pop_back();
    m_nHistoryBytes -= state.nBytes;
    return state;
}

void CSetupDlg::ClearRedo()
{
    while (!m_redo.empty())
        PopStep(m_redo);
}

// A press that may start a drag remembers the layout; the first move that changes the item
// makes it an undo step, so a plain click adds none.
void CSetupDlg::BeginDragStep()
{
    m_dragStep = SaveLayout();
    m_bDragStepPending = TRUE;
}

BOOL CSetupDlg::Undo()
{
    if (m_undo.empty()) {
        if (m_bHistoryCut) {
            m_bHistoryCut = FALSE;
            CString strMessage;
            strMessage.Format(LoadText(IDP_SETUP_UNDO_CUT), (int)(MAX_UNDO_BYTES >> 20));
            AfxMessageBox(strMessage, MB_OK | MB_ICONINFORMATION);
        }
        return FALSE;
    }
    const LayoutState state = PopStep(m_undo);
    LayoutState current = SaveLayout();
    m_nHistoryBytes += current.nBytes;
    m_redo.push_back(std::move(current));
    TrimHistory();
    RestoreLayout(state);
    return TRUE;
}

BOOL CSetupDlg::Redo()
{
    if (m_redo.empty())
        return FALSE;
    const LayoutState state = PopStep(m_redo);
    LayoutState current = SaveLayout();
    m_nHistoryBytes += current.nBytes;
    m_undo.push_back(std::move(current));
    TrimHistory();
    RestoreLayout(state);
    return TRUE;
}
