// CSetupDlg: the design window. It shows the paper as a page over the background picture and
// every print item as a framed block of its text; the user selects, moves, resizes, adds,
// edits and deletes items in screen pixels. The paper rectangles follow the on-screen ones
// when the window closes.
#pragma once

#include "Dialog.h"
#include "Picture.h"
#include "PrintItem.h"
#include "PrintSet.h"
#include "resource.h"

#include <deque>
#include <vector>

class CSetupDlg : public CDialog {
public:
    explicit CSetupDlg(CWnd* pParent = nullptr);
    ~CSetupDlg() override;

    enum { IDD = IDD_SETUP_DIALOG };

    CPrintSet* m_pPrintSet;   // not owned
    CPoint m_ptDown;          // client pixels of the last press or double click
    CRect m_rectDragStart;    // the dragged item's on-screen rectangle when the drag began
    CRect m_rectPage;         // where the whole paper is shown
    CRect m_rectSizeButton;   // the light-blue "尺寸修改" box, set at each composition
    CString m_strDragMode;    // "" when no drag is going on
    CPrintItem* m_pSelItem;
    CDC* m_pMemDC;            // the composed view, owned
    CDC* m_pBackDC;           // the background view, drawn once per opening, owned
    CPicture m_picture;
    int m_nClientWidth;
    int m_nClientHeight;
    CRect m_rectHandles[8];   // the selected item's handles, in the order of s_pszHandleNames

    void DrawBackgroundView();
    void ComposeView();
    CString HitTestHandles(CPoint point);
    CPrintItem* ItemFromPoint(CPoint point);
    void AddItemAt(CPoint point);
    CPoint ScreenToPaperPoint(CPoint point);
    void AddDefaultItems();
    // FALSE when the item's text is too long to show whole: its tokens end at the split's bound.
    BOOL SplitItem(CPrintItem* pItem);
    void SplitAllItems();
    void EditPaperSize();
    void EditItem(CPrintItem* pItem);

    // The status line under the page.
    CString StatusText() const;

    // The selected item: the window takes no typed text, but an input method that shows a
    // window keeps it beside what the user works on.
    BOOL GetCaretRect(LPRECT lpRect) override;

    // The changes of this opening, undone and redone one at a time. The history keeps the
    // layouts it may go back to in at most MAX_UNDO_BYTES of memory, undo and redo steps
    // together: a layout of a few dozen items takes a few kilobytes, so that is thousands of
    // steps, and only texts of megabytes come near it. The oldest steps go first; an undo
    // that reaches the end of a history cut short says so.
    enum { MAX_UNDO_BYTES = 64 << 20 };
    BOOL Undo();
    BOOL Redo();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    void OnLButtonDblClk(UINT nFlags, CPoint point) override;
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    void OnClose();

private:
    void WriteBackItem(CPrintItem* pItem);
    // What an undo step puts back: the paper size, every item and the selection.
    struct ItemState {
        CRect rectPaper, rectScreen, rectPage;
        CString strText, strFontName;
    };
    struct LayoutState {
        LONG nPaperWidth = 0, nPaperHeight = 0;
        std::vector<ItemState> items;
        int nSelected = -1;
        size_t nBytes = 0;   // the memory it takes, about
    };

    void CreateViews();
    void DeleteViews();
    void Refresh();
    void DrawItem(CPrintItem* pItem);
    CString PaperMillimetres(LONG nTenths) const;
    static CRect HitRect(const CRect& rect);
    BOOL DragChangesItem() const;
    void MoveSelection(int dx, int dy);
    void DeleteSelection();

    // Tells the user, once per opening, that an item's text is shown only in part.
    void ReportCutText();

    LayoutState SaveLayout() const;
    void RestoreLayout(const LayoutState& state);
    void RememberLayout();   // before a change
    void BeginDragStep();
    // A new undo step; the oldest steps go while the history takes more than its bound.
    void PushUndo(LayoutState state);
    void TrimHistory();
    LayoutState PopStep(std::deque<LayoutState>& steps);
    void ClearRedo();
    std::deque<LayoutState> m_undo;   // the oldest first
    std::deque<LayoutState> m_redo;
    size_t m_nHistoryBytes;
    BOOL m_bHistoryCut;       // steps were dropped since the user was last told
    BOOL m_bCutTextReported;
    LayoutState m_dragStep;
    BOOL m_bDragStepPending;

    CBitmap m_bitmapMem;
    CBitmap m_bitmapBack;
    HCURSOR m_hCursorSizeWE;
    HCURSOR m_hCursorMove;
    HCURSOR m_hCursorSizeNS;
};
