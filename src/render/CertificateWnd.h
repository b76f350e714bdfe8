// CCertificateWnd: the control that shows the certificate of the current record. It draws the
// background and every print item's text into an off-screen page of one pixel per paper unit
// (0.1 mm), once per record, and its paints only stretch that page over the client area.
// Printing sends the same page to the printer.
#pragma once

#include "Picture.h"
#include "Wnd.h"

#include <memory>
#include <vector>

class CMainDlg;
class CPrintSet;
class CPrinterCalibration;

class CCertificateWnd : public CWnd {
public:
    // Registers the window class "CertificateWndClass" that the preview's template names.
    CCertificateWnd();
    ~CCertificateWnd() override;
    BOOL DestroyWindow() override;

    CPrintSet* m_pPrintSet;   // not owned; set before the first paint
    // Entry i: the drawing tokens of item i for the current record. The lists grow with the
    // layout, which the design window does not limit.
    std::vector<CStringArray> m_arrItemTokens;
    CDC* m_pMemDC;            // the page; NULL until it is first needed
    CPicture m_picture;
    BOOL m_bQuiet;            // tells the user nothing (printing from the command line)

    // Appends the tokens of strText, placeholders filled from the current record, to entry
    // nItem; returns the entry's token count.
    int SplitItemText(int nItem, const CString& strText);
    void SplitAllItems();
    // Redraws the whole page from the token lists; on white without the background.
    void DrawPage(BOOL bBackground);
    // The text of every item, from the token lists, onto pDC at dScale pixels per paper unit:
    // the page, or a document device such as a PDF, which gets the same layout as text.
    void DrawItems(CDC* pDC, double dScale);
    void ShowNext();
    void ShowPrevious();
    // Frees the picture and the page; the preview calls this when it closes.
    void ReleaseResources();

    // The calibration page: every item's frame, a millimetre ruler along the top and left
    // edges with the mark a printer's scale is measured by, and a cross at each item's
    // top-left; printed placed by calibration (its offset and scale).
    BOOL PrintTestPage(const CPrinterCalibration& calibration);
    void DrawTestPage();
    // The ruler mark along an edge nLength long (0.1 mm) that a scale is measured by: 200 mm,
    // or on a shorter edge the longest whole centimetre that stays 5 mm clear of its end.
    static LONG GetRulerMark(LONG nLength);

    // Print the current record; print the records from the current one on while they are
    // printable, in one job, with a progress window that can stop the run (CPrintJob). Without
    // a printer, when the printer fails or the queue refuses the job, the user is told in
    // words, and when the printer is stopped, that the job waits in its queue. FALSE when
    // nothing was printed.
    BOOL PrintCurrent();
    BOOL PrintAll();
    // Shows the current record: its tokens split again and the page drawn with its background.
    void ShowRecord();
    // After a job: the screen's page with its background again.
    void RestoreScreenPage();

    // Makes the page, splits the current record and draws it with the background, unless the
    // page exists already. FALSE when no page could be made at all.
    BOOL CreatePage();
    // The page in pixels: W x H, or proportionally less for a paper too large to hold at one
    // pixel per paper unit (GetPageScale() below 1 then; the user has been told once).
    CSize GetPageSize() const;
    // The most pixels a page holds, whatever the paper's size: 96 MB. The paper-size editor
    // allows 20000 x 20000 units, 400 million pixels, far more than a window should hold; the
    // largest common certificate, A2, still fits at full scale.
    static constexpr double MAX_PAGE_PIXELS = 25.0e6;
    // Nor is any side of the page longer than the editor's longest paper: a side never
    // shrinks below one pixel, so a paper far longer than wide would otherwise still make a
    // page of hundreds of millions of pixels.
    enum { MAX_PAGE_SIDE = 20000 };
    // Smaller bounds for the pages made from now on (a quick drawing of many layouts).
    void SetPageBounds(double dMaxPixels, int nMaxSide)
    {
        m_dMaxPagePixels = dMaxPixels;
        m_nMaxPageSide = nMaxSide;
    }
    double GetPageScale() const { return m_dPageScale; }
    // The main window: the record table, and the current record m_nCurRecord that this
    // control shows. NULL when the program has none (never while a preview is open).
    static CMainDlg* GetMainDlg();

protected:
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static void RegisterWindowClass();
    // One job of the record shown, or with pTestPage of the page as it stands placed by that
    // calibration; the screen's page restored after it.
    BOOL PrintShownPage(const CPrinterCalibration* pTestPage);
    void DrawRulerMarks();
    BOOL AllocatePage(int nWidth, int nHeight);
    void ReportPage(UINT nIDPrompt);
    static CRect PaperToPage(const CRect& rectPaper, double dScale);
    CRect PaperToPage(const CRect& rectPaper) const { return PaperToPage(rectPaper, m_dPageScale); }
    // Redraws, over the background kept on the page, only the items whose text, place or font
    // changed, and those they overlap. FALSE when the page needs drawing whole instead.
    BOOL DrawChangedItems();
    void DrawItem(CDC* pDC, int nItem, double dScale);
    // Draws item i onto the page and notes what it drew and where.
    void DrawPageItem(int nItem);
    CRect GetItemRect(int nItem) const;
    BOOL IsItemChanged(int nItem) const;
    // Shows the page's changes since the last call on the screen: each changed part painted
    // now, apart, so that a paint never reduces the page between two distant changes.
    void InvalidatePageChanges();

    CBitmap m_bitmapPage;
    CBitmap* m_pOldBitmap;
    double m_dPageScale;
    double m_dMaxPagePixels;
    int m_nMaxPageSide;
    // Stepping through records redraws only what changed: the page keeps the background
    // (drawn from m_strBackgroundPath, "" for the built-in picture) wherever no text lies
    // while m_bBackgroundKept, and m_arrDrawn says what each item drew there.
    BOOL m_bBackgroundKept;
    CString m_strBackgroundPath;
    struct CDrawnItem {
        CRect rectPaper;
        CString strFontName;
        CStringArray arrTokens;
        CRect rectBounds;   // page pixels the item's text covers
    };
    std::vector<CDrawnItem> m_arrDrawn;
    std::vector<CRect> m_arrChanged;   // page pixels changed since the screen was last told
};
