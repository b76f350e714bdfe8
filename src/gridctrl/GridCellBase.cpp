#include "GridCellBase.h"

#include "GridCtrl.h"

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CGridCellBase, CObject)

namespace {

// The image list calls. This program's grid has no image list (CImageList is only declared
// and GetImageList() stays NULL), so no image is ever known and none is drawn; the image rule
// of the cells below runs only for a grid that has one.
BOOL ImageListGetImageRect(CImageList* /*pImageList*/, int /*nImage*/, CRect* /*pRcImage*/)
{
    return FALSE;
}

void ImageListDraw(CImageList* /*pImageList*/, int /*nImage*/, CDC* /*pDC*/, CPoint /*pt*/)
{
}

// The bounds of the cell's image, when the grid has an image list that knows it.
BOOL GetCellImageRect(const CGridCellBase& cell, CGridCtrl* pGrid, CRect* pRcImage)
{
    if (!pGrid || pGrid->GetImageList() == nullptr || cell.GetImage() < 0)
        return FALSE;
    return ImageListGetImageRect(pGrid->GetImageList(), cell.GetImage(), pRcImage);
}

// The font a cell is drawn and measured with: its own, semibold when it is a heading.
LOGFONT CellLogFont(const CGridCellBase& cell)
{
    LOGFONT lf {};
    if (const LOGFONT* plf = cell.GetFont())
        lf = *plf;
    if (cell.GetState() & GVIS_FIXED)
        lf.lfWeight = FW_SEMIBOLD;
    return lf;
}

} // namespace

CGridCellBase::CGridCellBase()
{
    CGridCellBase::Reset();
}

void CGridCellBase::Reset()
{
    m_nState = 0;
}

CGridCellBase& CGridCellBase::operator=(const CGridCellBase& cell)
{
    if (this == &cell)
        return *this;
    SetGrid(cell.GetGrid());
    SetText(cell.GetText());
    SetImage(cell.GetImage());
    SetData(cell.GetData());
    SetState(cell.GetState());
    SetFormat(cell.GetFormat());
    SetTextClr(cell.GetTextClr());
    SetBackClr(cell.GetBackClr());
    SetFont(cell.GetFont());
    SetMargin(cell.GetMargin());
    return *this;
}

// Fills the cell background for its state and sets the text colour; leaves rect inside any
// focus frame.
static void DrawCellBackground(CGridCellBase& cell, CGridCtrl* pGrid, CDC* pDC, CRect& rect,
                               COLORREF crText, COLORREF crBack, BOOL bEraseBkgnd)
{
    const DWORD nState = cell.GetState();
    const BOOL bGridLines = pGrid->GetGridLines() != GVL_NONE;

    if (nState & (GVIS_FOCUSED | GVIS_DROPHILITED)) {
        if (nState & GVIS_SELECTED) {
            crBack = GetSysColor(COLOR_HIGHLIGHT);
            crText = GetSysColor(COLOR_HIGHLIGHTTEXT);
            bEraseBkgnd = TRUE;
        }
        // Cover the cell's grid line as well.
        rect.right++;
        rect.bottom++;
        if (bEraseBkgnd) {
            CBrush brush(crBack);
            pDC->FillRect(rect, &brush);
        }
        if (bGridLines) {
            rect.right--;
            rect.bottom--;
        }
        CBrush brushFrame(crText);
        pDC->FrameRect(rect, &brushFrame);
        pDC->SetTextColor(crText);
        if (!bGridLines) {
            rect.right--;
            rect.bottom--;
        }
        rect.DeflateRect(1, 1);
    } else if (nState & GVIS_SELECTED) {
        rect.right++;
        rect.bottom++;
        pDC->FillSolidRect(rect, GetSysColor(COLOR_HIGHLIGHT));
        rect.right--;
        rect.bottom--;
        pDC->SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
    } else {
        if (bEraseBkgnd) {
            rect.right++;
            rect.bottom++;
            CBrush brush(crBack);
            pDC->FillRect(rect, &brush);
            rect.right--;
            rect.bottom--;
        }
        pDC->SetTextColor(crText);
    }
}

// The 3-D look of a heading cell; the headings of the focus row and column look pressed
// and are drawn semibold.
static void DrawFixedCellEdge(CGridCtrl* pGrid, CDC* pDC, int nRow, int nCol, CRect& rect,
                              LOGFONT& lf)
{
    const CCellID idFocus = pGrid->GetFocusCell();
    if (pGrid->IsValid(idFocus) && (idFocus.row == nRow || idFocus.col == nCol)) {
        lf.lfWeight = FW_SEMIBOLD;
        rect.right++;
        rect.bottom++;
        pDC->DrawEdge(rect, BDR_SUNKENINNER, BF_RECT);
        rect.DeflateRect(1, 1);
        return;
    }
    CPen lightPen(PS_SOLID, 1, GetSysColor(COLOR_3DHIGHLIGHT));
    CPen darkPen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
    CPen* pOldPen = pDC->SelectObject(&lightPen);
    pDC->MoveTo(rect.right, rect.top);
    pDC->LineTo(rect.left, rect.top);
    pDC->LineTo(rect.left, rect.bottom);
    pDC->SelectObject(&darkPen);
    pDC->MoveTo(rect.right, rect.top);
    pDC->LineTo(rect.right, rect.bottom);
    pDC->LineTo(rect.left, rect.bottom);
    pDC->SelectObject(pOldPen);
    rect.DeflateRect(1, 1);
}

BOOL CGridCellBase::Draw(CDC* pDC, int nRow, int nCol, CRect rect, BOOL bEraseBkgnd)
{
    CGridCtrl* pGrid = GetGrid();
    if (!pGrid || !pDC)
        return FALSE;
    if (rect.Width() <= 0 || rect.Height() <= 0)
        return FALSE;

    const BOOL bFixed = (GetState() & GVIS_FIXED) != 0;
    TRACE("Drawing %s cell %d, %d\n", bFixed ? "Fixed" : "", nRow, nCol);

    const int nSavedDC = pDC->SaveDC();
    pDC->SetBkMode(TRANSPARENT);

    COLORREF crText = GetTextClr();
    if (crText == CLR_DEFAULT)
        crText = bFixed ? pGrid->GetFixedTextColor() : pGrid->GetTextColor();
    COLORREF crBack = GetBackClr();
    if (crBack == CLR_DEFAULT)
        crBack = bFixed ? pGrid->GetFixedBkColor() : pGrid->GetTextBkColor();
    else
        bEraseBkgnd = TRUE;   // a colour of its own is always painted

    DrawCellBackground(*this, pGrid, pDC, rect, crText, crBack, bEraseBkgnd);

    LOGFONT lf {};
    if (const LOGFONT* plf = GetFont())
        lf = *plf;
    if (bFixed && pGrid->GetGridLines() != GVL_NONE)
        DrawFixedCellEdge(pGrid, pDC, nRow, nCol, rect, lf);

    CFont font;
    font.CreateFontIndirect(&lf);
    pDC->SelectObject(&font);

    const int nMargin = (int)GetMargin();
    rect.DeflateRect(nMargin, 0);

    CRect rcImage;
    if (GetCellImageRect(*this, pGrid, &rcImage)) {
        const int w = rcImage.right - rcImage.left + 1;
        const int h = rcImage.bottom - rcImage.top + 1;
        if (rect.left + w <= rect.right + 2 * nMargin && rect.top + h <= rect.bottom + 2 * nMargin) {
            ImageListDraw(pGrid->GetImageList(), GetImage(), pDC, rect.TopLeft());
        }
        rect.left += w + nMargin;
    }

    pDC->DrawText(GetText(), -1, rect, GetFormat() | DT_NOPREFIX);

    pDC->RestoreDC(nSavedDC);
    font.DeleteObject();
    return TRUE;
}

BOOL CGridCellBase::GetTextRect(LPRECT pRect)
{
    CRect rcImage;
    if (GetCellImageRect(*this, GetGrid(), &rcImage))
        pRect->left += rcImage.Width() + 1 + (int)GetMargin();
    return TRUE;
}

CSize CGridCellBase::GetTextExtent(LPCTSTR str)
{
    CGridCtrl* pGrid = GetGrid();
    ASSERT(pGrid);
    if (!pGrid)
        return CSize(0, 0);
    CDC* pDC = pGrid->GetDC();
    if (!pDC)
        return CSize(0, 0);

    const LOGFONT lf = CellLogFont(*this);
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* pOldFont = pDC->SelectObject(&font);

    LPCTSTR pszText = str ? str : GetText();
    if (!pszText)
        pszText = "";
    CSize size = pDC->GetTextExtent(pszText, (int)std::strlen(pszText));

    pDC->SelectObject(pOldFont);
    pGrid->ReleaseDC(pDC);
    font.DeleteObject();

    const int nMargin = (int)GetMargin();
    return size + CSize(2 * nMargin, 2 * nMargin);
}

// The size of a text in the selected font: word-broken texts are laid out at the width of
// their widest line, as DrawText would wrap them.
static CSize MeasureCellText(CDC* pDC, const CString& strText, UINT nFormat)
{
    if (!(nFormat & DT_WORDBREAK) || (nFormat & DT_SINGLELINE))
        return pDC->GetTextExtent(strText);

    int nWidest = 0;
    for (int nStart = 0; nStart <= strText.GetLength();) {
        int nEnd = strText.Find("\n", nStart);
        if (nEnd < 0)
            nEnd = strText.GetLength();
        const CString strLine = strText.Mid(nStart, nEnd - nStart);
        nWidest = std::max(nWidest, (int)pDC->GetTextExtent(strLine).cx);
        nStart = nEnd + 1;
    }
    CRect rect(0, 0, nWidest, 0);
    pDC->DrawText(strText, rect, nFormat | DT_CALCRECT);
    return CSize(rect.Width(), rect.Height());
}

CSize CGridCellBase::GetCellExtent(CDC* pDC)
{
    ASSERT(GetGrid());
    const LOGFONT lf = CellLogFont(*this);
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont* pOldFont = pDC->SelectObject(&font);

    const CString strText(GetText());
    CSize size = MeasureCellText(pDC, strText, GetFormat());
    pDC->SelectObject(pOldFont);

    const int nMargin = (int)GetMargin();
    size += CSize(4 * nMargin, 2 * nMargin);

    CSize sizeImage(0, 0);
    CRect rcImage;
    if (GetCellImageRect(*this, GetGrid(), &rcImage))
        sizeImage = CSize(rcImage.Width() + 1, rcImage.Height() + 1);

    return CSize(size.cx + sizeImage.cx, std::max(size.cy, sizeImage.cy));
}

void CGridCellBase::OnMouseEnter()
{
    TRACE("Mouse entered cell\n");
}

void CGridCellBase::OnMouseOver()
{
}

void CGridCellBase::OnMouseLeave()
{
    TRACE("Mouse left cell\n");
}

void CGridCellBase::OnClick(CPoint PointCellRelative)
{
    TRACE("Mouse Left btn up in cell at x=%i y=%i\n", (int)PointCellRelative.x, (int)PointCellRelative.y);
    (void)PointCellRelative;
}

void CGridCellBase::OnClickDown(CPoint PointCellRelative)
{
    TRACE("Mouse Left btn down in cell at x=%i y=%i\n", (int)PointCellRelative.x, (int)PointCellRelative.y);
    (void)PointCellRelative;
}

void CGridCellBase::OnRClick(CPoint PointCellRelative)
{
    TRACE("Mouse right-clicked in cell at x=%i y=%i\n", (int)PointCellRelative.x, (int)PointCellRelative.y);
    (void)PointCellRelative;
}

void CGridCellBase::OnDblClick(CPoint PointCellRelative)
{
    TRACE("Mouse double-clicked in cell at x=%i y=%i\n", (int)PointCellRelative.x, (int)PointCellRelative.y);
    (void)PointCellRelative;
}

BOOL CGridCellBase::OnSetCursor()
{
    SetCursor(LoadStandardCursor(IDC_ARROW));
    return TRUE;
}
