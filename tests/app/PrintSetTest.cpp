// The layout model: its initial values, item ownership and the paper/screen mapping.
#include "PrintItem.h"
#include "PrintSet.h"

#include "Codec.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

// Counts the items that were deleted.
class CCountedItem : public CPrintItem {
public:
    explicit CCountedItem(int* pDeleted) : m_pDeleted(pDeleted) {}
    ~CCountedItem() override { ++*m_pDeleted; }

private:
    int* m_pDeleted;
};

// The page rectangle and paper of the worked examples: pw = 580, ph = 416.
CPrintItem* MakeMappedItem(const CRect& rectPaper)
{
    CPrintItem* pItem = new CPrintItem;
    pItem->m_rectPage.SetRect(20, 20, 600, 436);
    pItem->m_rectPaper = rectPaper;
    return pItem;
}

} // namespace

TEST(PrintSetTest, NewLayoutIsTheDefaultLandscapePaperWithoutItems)
{
    CPrintSet set;
    EXPECT_EQ(set.m_nPaperWidth, 2450);
    EXPECT_EQ(set.m_nPaperHeight, 1760);
    EXPECT_EQ(set.m_arrItems.GetSize(), 0);
    EXPECT_EQ(set.m_strOrientation, Codec::FromUnicode(QString::fromUtf8("横向")));

    CPrintItem item;
    EXPECT_TRUE(item.m_rectScreen.IsRectNull());
    EXPECT_TRUE(item.m_strText.IsEmpty());
    EXPECT_TRUE(item.m_strFontName.IsEmpty());
    EXPECT_EQ(item.m_arrTokens.GetSize(), 0);
}

TEST(PrintSetTest, RemoveItemDeletesOnlyListedItemsAndClosesTheGap)
{
    int nDeleted = 0;
    {
        CPrintSet set;
        CPrintItem* arrItems[3];
        for (CPrintItem*& pItem : arrItems) {
            pItem = new CCountedItem(&nDeleted);
            set.m_arrItems.Add(pItem);
        }

        CCountedItem stranger(&nDeleted);
        EXPECT_FALSE(set.RemoveItem(&stranger));
        EXPECT_EQ(set.GetItemCount(), 3);
        EXPECT_EQ(nDeleted, 0);

        EXPECT_TRUE(set.RemoveItem(arrItems[1]));
        EXPECT_EQ(nDeleted, 1);
        ASSERT_EQ(set.GetItemCount(), 2);
        EXPECT_EQ(set.GetItem(0), arrItems[0]);
        EXPECT_EQ(set.GetItem(1), arrItems[2]);

        // A pointer already removed is no longer listed.
        EXPECT_FALSE(set.RemoveItem(arrItems[1]));
        EXPECT_EQ(nDeleted, 1);
    }
    // The stranger and the two items the layout still held when it went away.
    EXPECT_EQ(nDeleted, 4);
}

TEST(PrintSetTest, MappingTruncatesEachEdgeTowardZero)
{
    CPrintSet set;
    std::unique_ptr<CPrintItem> pItem(MakeMappedItem(CRect(245, 100, 735, 200)));

    pItem->PaperToScreen(&set);
    // 580 * 245 / 2450 = 58; 416 * 100 / 1760 = 23.6; 580 * 735 / 2450 = 174; 416 * 200 / 1760 = 47.3
    EXPECT_EQ(pItem->m_rectScreen, CRect(78, 43, 194, 67));

    pItem->ScreenToPaper(&set);
    // Back again: left survives, top loses 3 units (23 * 1760 / 416 = 97.3).
    EXPECT_EQ(pItem->m_rectPaper.left, 245);
    EXPECT_EQ(pItem->m_rectPaper.top, 97);
    EXPECT_EQ(pItem->m_rectPaper.right, 735);
    EXPECT_EQ(pItem->m_rectPaper.bottom, 198);

    // An edge left of the page: -10 * 2450 / 580 = -42.2 becomes -42, not -43.
    pItem->m_rectScreen.left = 10;
    pItem->ScreenToPaper(&set);
    EXPECT_EQ(pItem->m_rectPaper.left, -42);
}

TEST(PrintSetTest, MappingSurvivesLargeCoordinatesAndZeroDivisors)
{
    CPrintSet set;
    std::unique_ptr<CPrintItem> pItem(MakeMappedItem(CRect(5000000, 0, 5000000, 0)));
    // 580 * 5000000 does not fit 32 bits; the quotient does.
    pItem->PaperToScreen(&set);
    EXPECT_EQ(pItem->m_rectScreen.left, 1183673 + 20);

    // A paper of no width leaves the screen rectangle as it was.
    pItem->m_rectScreen.SetRect(1, 2, 3, 4);
    set.m_nPaperWidth = 0;
    pItem->PaperToScreen(&set);
    EXPECT_EQ(pItem->m_rectScreen, CRect(1, 2, 3, 4));

    // An empty page rectangle leaves the paper rectangle as it was.
    set.m_nPaperWidth = 2450;
    pItem->m_rectPage.SetRect(20, 20, 20, 436);
    pItem->m_rectPaper.SetRect(5, 6, 7, 8);
    pItem->ScreenToPaper(&set);
    EXPECT_EQ(pItem->m_rectPaper, CRect(5, 6, 7, 8));
}

// A damaged file's item: edges at the ends of the 32-bit range, on a paper one unit wide, and
// on-screen edges left of the range's start. Each edge is computed in 64 bits and stops at
// the range the mapping keeps it in instead of wrapping round; edges in range map as ever.
TEST(PrintSetTest, ExtremeEdgesMapToTheEndsOfTheirRange)
{
    const LONG nScreenMax = MAX_DRAW_COORDINATE;
    struct Case {
        LONG nPaperWidth, nPaper, nScreen;
    };
    // Page left 20, page width 580.
    const Case toScreen[] = {
        {2450, 245, 78},
        {1, INT_MAX, nScreenMax},
        {1, INT_MIN, -nScreenMax},
        {1, 1000000, nScreenMax},
        {1, -3, -1720},
        {2450, INT_MAX, (LONG)(580LL * INT_MAX / 2450 + 20)},
        {INT_MAX, INT_MAX, 600},
        {INT_MAX, INT_MIN, -560},
    };
    for (const Case& c : toScreen) {
        SCOPED_TRACE(testing::Message() << c.nPaper << " on a paper " << c.nPaperWidth << " wide");
        CPrintSet set;
        set.m_nPaperWidth = c.nPaperWidth;
        std::unique_ptr<CPrintItem> pItem(MakeMappedItem(CRect(c.nPaper, 0, c.nPaper, 0)));
        pItem->PaperToScreen(&set);
        EXPECT_EQ(pItem->m_rectScreen.left, c.nScreen);
        EXPECT_EQ(pItem->m_rectScreen.right, c.nScreen);
    }
    const Case toPaper[] = {
        {2450, 245, 78},
        {2450, INT32_MIN + 1, INT_MIN},   // (INT_MIN - 20) * 2450 / 580 stops at the range's end
        {2450, INT_MAX, INT_MAX},
        {1, (LONG)((INT_MIN - 20LL) / 580), INT_MIN},
        {INT_MAX, INT32_MIN + 1, -1000},
    };
    for (const Case& c : toPaper) {
        SCOPED_TRACE(testing::Message() << c.nScreen << " on a paper " << c.nPaperWidth << " wide");
        CPrintSet set;
        set.m_nPaperWidth = c.nPaperWidth;
        std::unique_ptr<CPrintItem> pItem(MakeMappedItem(CRect()));
        pItem->m_rectScreen.SetRect(c.nScreen, 0, c.nScreen, 0);
        pItem->ScreenToPaper(&set);
        EXPECT_EQ(pItem->m_rectPaper.left, c.nPaper);
        EXPECT_EQ(pItem->m_rectPaper.right, c.nPaper);
    }
}

TEST(PrintSetTest, EditedScreenSizeKeepsTheTopLeftCorner)
{
    CPrintItem item;
    item.m_rectScreen.SetRect(100, 50, 300, 80);
    item.SetScreenSize(120, 40);
    EXPECT_EQ(item.m_rectScreen, CRect(100, 50, 220, 90));
}
