// Shared by the PDF tests: a main window holding a small table and a three-item layout, the
// same document as a .zs file, and the pages of a PDF read back with poppler.
#pragma once

#include "DocumentFile.h"
#include "DocumentTestSupport.h"
#include "LineRule.h"

#include <poppler/qt6/poppler-qt6.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace PdfTest {

// 0.1 mm in points.
constexpr double kPointsPerUnit = 72.0 / 254.0;

struct Item {
    CRect rectPaper;
    const char* pszText;
    const char* pszFont;
};

// Three items in three faces; the second wraps, the third holds only fixed text.
inline const Item kItems[] = {
    {CRect(200, 300, 1400, 380), "{A}同学:", "楷体_GB2312"},
    {CRect(300, 600, 1100, 680), "在{B}中荣获{C}，特发此证。", "宋体"},
    {CRect(1500, 1400, 2300, 1470), "二０二０年十二月", "黑体"},
};

// Records 1 to 3 are filled; record 4's field A is empty, so a walk from 1 stops there.
inline const char* const kRecords[][3] = {
    {"张三", "数学竞赛", "一等奖"},
    {"李四", "作文比赛", "二等奖"},
    {"王五", "英语演讲", "三等奖"},
};

// The layout's items become these.
template <size_t N>
void SetItems(CPrintSet& printSet, const Item (&items)[N])
{
    printSet.RemoveAllItems();
    for (const Item& item : items) {
        auto* pItem = new CPrintItem;
        pItem->m_rectPaper = item.rectPaper;
        pItem->m_strText = Gbk(item.pszText);
        pItem->m_strFontName = Gbk(item.pszFont);
        printSet.m_arrItems.Add(pItem);
    }
}

inline void FillDocument(CMainDlg& dlg)
{
    for (int nRow = 1; nRow <= 3; nRow++)
        for (int nCol = 1; nCol <= 3; nCol++)
            dlg.m_wndGrid.SetItemText(nRow, nCol, Gbk(kRecords[nRow - 1][nCol - 1]));
    dlg.m_wndGrid.SetItemText(4, 2, Gbk("无名"));   // no field A: not printable
    SetItems(dlg.m_printSet, kItems);
}

// The main window holding the document above.
class CDocumentFixture : public CMainWindowTest {
protected:
    void SetUp() override
    {
        CMainWindowTest::SetUp();
        FillDocument(m_dlg);
    }
    QString Path(const char* pszName) const { return m_dir.filePath(QString::fromUtf8(pszName)); }
    static CString Cp936(const QString& path) { return Codec::FromUnicode(path); }
};

// The ascent of an item's font in paper units, as the line rule draws it.
inline int ItemAscent(const Item& item)
{
    CFont font;
    CLineRule::CreateItemFont(font, item.rectPaper.Height(), Gbk(item.pszFont));
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    dc.SelectObject(&font);
    TEXTMETRIC tm;
    dc.GetTextMetrics(&tm);
    return tm.tmAscent;
}

// The first character of the word nearest to a paper point that starts with ch; its box in
// points from the page's top-left. An empty box when no word starts with ch.
inline QRectF FirstGlyphBox(const Poppler::Page& page, QChar ch, const CPoint& ptPaper)
{
    QRectF best;
    double dBest = 1e9;
    const QPointF pt(ptPaper.x * kPointsPerUnit, ptPaper.y * kPointsPerUnit);
    for (const auto& pBox : page.textList()) {
        // Compared as the reader's search compares: some faces map a character's glyph back
        // to a look-alike (a Kangxi radical for "二").
        const QString strWord = pBox->text().normalized(QString::NormalizationForm_KC);
        if (strWord.isEmpty() || strWord[0] != ch)
            continue;
        const QRectF box = pBox->charBoundingBox(0);
        const double d = std::hypot(box.left() - pt.x(), box.top() - pt.y());
        if (d < dBest) {
            dBest = d;
            best = box;
        }
    }
    return best;
}

} // namespace PdfTest
