// The line rule: where each token of a print item lands. Every case draws the tokens through
// the rule and, on a second page, each token by hand where the rule must put it; the two pages
// must be the same pixel for pixel.
#include "DocumentTestSupport.h"
#include "LineRule.h"

#include <QImage>

#include <climits>
#include <initializer_list>
#include <utility>

namespace {

const int s_nLeft = 100, s_nTop = 50, s_nHeight = 73;
const int s_nStep = 109;   // 3 * 73 / 2

struct CPage {
    CPage()
    {
        bitmap.CreateBitmap(1400, 700);
        dc.CreateCompatibleDC(nullptr);
        dc.SelectObject(&bitmap);
        dc.FillSolidRect(0, 0, 1400, 700, RGB(255, 255, 255));
        dc.SetBkMode(TRANSPARENT);
        CLineRule::CreateItemFont(font, s_nHeight, Gbk("宋体"));
        dc.SelectObject(&font);
    }
    CBitmap bitmap;
    CDC dc;
    CFont font;
};

CStringArray Tokens(std::initializer_list<const char*> tokens)
{
    CStringArray arr;
    for (const char* psz : tokens)
        arr.Add(Gbk(psz));
    return arr;
}

int Width(CDC& dc, const char* pszUtf8)
{
    return dc.GetTextExtent(Gbk(pszUtf8)).cx;
}

struct CPlaced {
    const char* pszToken;
    int x, y;
};

// The rule's drawing of arrTokens with right edge nRight against the tokens drawn by hand.
void ExpectLayout(const CStringArray& arrTokens, int nRight, std::initializer_list<CPlaced> expected)
{
    CPage rule, hand;
    CLineRule::DrawTokens(&rule.dc, arrTokens, s_nLeft, s_nTop, nRight, s_nHeight);
    for (const CPlaced& placed : expected)
        hand.dc.TextOut(placed.x, placed.y, Gbk(placed.pszToken));
    EXPECT_TRUE(rule.bitmap.Image() == hand.bitmap.Image());
    // Something was drawn at all.
    EXPECT_FALSE(rule.bitmap.Image() == CPage().bitmap.Image());
}

} // namespace

TEST(LineRuleTest, ItemFontIsAsTallAsTheItem)
{
    CPage page;
    LOGFONT lf;
    ASSERT_TRUE(page.font.GetLogFont(&lf));
    EXPECT_EQ(lf.lfHeight, 73);
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_FALSE(lf.lfItalic || lf.lfUnderline || lf.lfStrikeOut);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(CString(lf.lfFaceName), Gbk("宋体"));
    // The cell height: one line of text is as tall as the item's rectangle.
    EXPECT_NEAR(page.dc.GetTextExtent(Gbk("荣誉")).cy, 73, 1);
}

TEST(LineRuleTest, LineBreaksStepOneAndAHalfLineHeights)
{
    // 3 * 73 / 2 = 109, truncated.
    ExpectLayout(Tokens({"甲", "@enter", "乙"}), 1300,
                 {{"甲", s_nLeft, s_nTop}, {"乙", s_nLeft, s_nTop + s_nStep}});
    // Two breaks in a row leave an empty line; a break at the end draws nothing more.
    ExpectLayout(Tokens({"A", "@enter", "@enter", "B", "@enter"}), 1300,
                 {{"A", s_nLeft, s_nTop}, {"B", s_nLeft, s_nTop + 2 * s_nStep}});
    // Tokens of a line follow one another by their widths.
    CPage page;
    const int cx = Width(page.dc, "甲"), cxA = Width(page.dc, "A");
    ExpectLayout(Tokens({"甲", "A", "乙"}), 1300,
                 {{"甲", s_nLeft, s_nTop}, {"A", s_nLeft + cx, s_nTop}, {"乙", s_nLeft + cx + cxA, s_nTop}});
}

TEST(LineRuleTest, ClosingMarksHangPastTheRightEdgeUnlessTheyAreLast)
{
    CPage page;
    const int cx = Width(page.dc, "甲");
    // Two characters fill the line exactly (x + cx > R is needed to overflow).
    const int nRight = s_nLeft + 2 * cx;
    ExpectLayout(Tokens({"甲", "乙", "丙"}), nRight,
                 {{"甲", s_nLeft, s_nTop}, {"乙", s_nLeft + cx, s_nTop}, {"丙", s_nLeft, s_nTop + s_nStep}});
    for (const char* pszMark : {"。", "，", "》"}) {
        SCOPED_TRACE(pszMark);
        // Followed by another token, the mark stays on the line, past R.
        ExpectLayout(Tokens({"甲", "乙", pszMark, "丙"}), nRight,
                     {{"甲", s_nLeft, s_nTop},
                      {"乙", s_nLeft + cx, s_nTop},
                      {pszMark, s_nLeft + 2 * cx, s_nTop},
                      {"丙", s_nLeft, s_nTop + s_nStep}});
        // As the item's last token it wraps like any other.
        ExpectLayout(Tokens({"甲", "乙", pszMark}), nRight,
                     {{"甲", s_nLeft, s_nTop}, {"乙", s_nLeft + cx, s_nTop}, {pszMark, s_nLeft, s_nTop + s_nStep}});
    }
    // Other punctuation does not hang.
    ExpectLayout(Tokens({"甲", "乙", "、", "丙"}), nRight,
                 {{"甲", s_nLeft, s_nTop},
                  {"乙", s_nLeft + cx, s_nTop},
                  {"、", s_nLeft, s_nTop + s_nStep},
                  {"丙", s_nLeft + Width(page.dc, "、"), s_nTop + s_nStep}});
}

TEST(LineRuleTest, TokenWiderThanTheLineStartsANewLineAndPassesTheEdge)
{
    CPage page;
    const int cxWide = Width(page.dc, "Certificate");
    ASSERT_GT(cxWide, 200);
    // Even on an empty first line the token moves down one line first, then runs past R.
    ExpectLayout(Tokens({"Certificate"}), s_nLeft + 200, {{"Certificate", s_nLeft, s_nTop + s_nStep}});
    ExpectLayout(Tokens({"Certificate", "X"}), s_nLeft + 200,
                 {{"Certificate", s_nLeft, s_nTop + s_nStep}, {"X", s_nLeft, s_nTop + 2 * s_nStep}});
    // An item narrower than nothing: every token gets a line of its own.
    ExpectLayout(Tokens({"A", "B"}), s_nLeft - 10, {{"A", s_nLeft, s_nTop + s_nStep}, {"B", s_nLeft, s_nTop + 2 * s_nStep}});
}

// An item of a damaged file may be taller than the 32-bit coordinates a DC draws in, or lie at
// the paper's far end. Lines and tokens placed beyond the drawable range are left out: they
// never wrap round onto the page.
TEST(LineRuleTest, TokensBeyondTheCoordinateRangeAreLeftOut)
{
    CPage page;
    const CStringArray tokens = Tokens({"甲", "@enter", "乙", "丙"});
    const CRect rectFirst = CLineRule::GetTokensRect(&page.dc, Tokens({"甲"}), s_nLeft, s_nTop, 1300, s_nHeight);
    ASSERT_FALSE(rectFirst.IsRectEmpty());
    // 3 * h / 2 steps past INT_MAX, or below INT_MIN, from the second line on.
    for (int nLineHeight : {INT_MAX / 3 * 2, INT_MAX, INT_MIN}) {
        SCOPED_TRACE(nLineHeight);
        EXPECT_EQ(CLineRule::GetTokensRect(&page.dc, tokens, s_nLeft, s_nTop, 1300, nLineHeight), rectFirst);
        CPage rule, hand;
        CLineRule::DrawTokens(&rule.dc, tokens, s_nLeft, s_nTop, 1300, nLineHeight);
        hand.dc.TextOut(s_nLeft, s_nTop, Gbk("甲"));
        EXPECT_TRUE(rule.bitmap.Image() == hand.bitmap.Image());
    }
    // Tokens that would lie or end beyond the drawable range, or beyond 32 bits, are left out.
    const CStringArray one = Tokens({"甲"});
    for (int nLeft : {INT_MAX - 5, MAX_DRAW_COORDINATE - 5, INT_MIN, -MAX_DRAW_COORDINATE - 1}) {
        SCOPED_TRACE(nLeft);
        EXPECT_TRUE(CLineRule::GetTokensRect(&page.dc, one, nLeft, s_nTop, INT_MAX, s_nHeight).IsRectEmpty());
    }
    const CRect rectFar = CLineRule::GetTokensRect(&page.dc, one, -MAX_DRAW_COORDINATE, s_nTop, 0, s_nHeight);
    EXPECT_EQ(rectFar.left - rectFirst.left, -MAX_DRAW_COORDINATE - s_nLeft);
    EXPECT_EQ(rectFar.top, rectFirst.top);
}
