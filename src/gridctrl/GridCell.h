// The grid's standard cell: text, image, colours, font description, margin, and the
// bookkeeping of an in-place edit.
#pragma once

#include "GridCellBase.h"

#include <cstring>

class CGridCell : public CGridCellBase {
    DECLARE_DYNCREATE(CGridCell)
public:
    CGridCell();
    ~CGridCell() override = default;

    void SetText(LPCTSTR szText) override;
    // Into the memory the text already has, where it is large enough: a document read into a
    // full table replaces thousands of texts of about the same length.
    void SetText(LPCTSTR pch, int nLength) override
    {
        ASSERT(nLength >= 0 && (nLength == 0 || std::memchr(pch, '\0', (size_t)nLength) == nullptr));
        m_strText.SetString(pch, nLength > 0 ? nLength : 0);
    }
    void SetImage(int nImage) override { m_nImage = nImage; }
    void SetData(LPARAM lParam) override { m_lParam = lParam; }
    void SetFormat(DWORD nFormat) override { m_nFormat = nFormat; }
    void SetTextClr(COLORREF clr) override { m_crFgClr = clr; }
    void SetBackClr(COLORREF clr) override { m_crBkClr = clr; }
    void SetFont(const LOGFONT* plf) override;
    void SetMargin(UINT nMargin) override { m_nMargin = nMargin; }
    void SetGrid(CGridCtrl* pGrid) override { m_pGrid = pGrid; }
    void SetCoords(int, int) override {}

    LPCTSTR GetText() const override { return m_strText; }
    int GetImage() const override { return m_nImage; }
    LPARAM GetData() const override { return m_lParam; }
    DWORD GetFormat() const override { return m_nFormat; }
    COLORREF GetTextClr() const override { return m_crFgClr; }
    COLORREF GetBackClr() const override { return m_crBkClr; }
    LOGFONT* GetFont() const override { return const_cast<LOGFONT*>(&m_lfFont); }
    CGridCtrl* GetGrid() const override { return m_pGrid; }
    UINT GetMargin() const override { return m_nMargin; }
    BOOL IsEditing() const override { return m_bEditing; }
    CWnd* GetEditWnd() const override { return m_pEditWnd; }

    // Copies the attributes through the accessors; the edit bookkeeping stays with each cell.
    using CGridCellBase::operator=;
    CGridCell& operator=(const CGridCell& cell)
    {
        CGridCellBase::operator=(cell);
        return *this;
    }

    void Reset() override;

    BOOL Edit(int nRow, int nCol, CRect rect, CPoint point, UINT nID, UINT nChar) override;
    void EndEdit() override;
    void OnEndEdit() override;

protected:
    DWORD m_nFormat;
    CString m_strText;
    int m_nImage;
    COLORREF m_crBkClr;
    COLORREF m_crFgClr;
    LPARAM m_lParam;
    LOGFONT m_lfFont;
    UINT m_nMargin;
    BOOL m_bEditing;
    CGridCtrl* m_pGrid;
    CWnd* m_pEditWnd;
};
