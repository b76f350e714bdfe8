// The token rule in literal and substituting mode, and the fields of the current record.
#include "DocumentTestSupport.h"

#include <algorithm>
#include <chrono>

namespace {

std::vector<std::string> Literal(const CString& strText)
{
    CStringArray arrTokens;
    CPrintItem::SplitText(strText, arrTokens);
    return TokenBytes(arrTokens);
}

class TokenTest : public CMainDlgDocumentTest {
protected:
    void SetUp() override
    {
        CMainDlgDocumentTest::SetUp();
        m_dlg.m_nCurRecord = 5;
    }
    void SetField(char chField, const char* pszUtf8)
    {
        m_dlg.m_wndGrid.SetItemText(m_dlg.m_nCurRecord, chField - 'A' + 1, Gbk(pszUtf8));
    }
};

} // namespace

TEST(TokenLiteralTest, GroupsStayWholeWhateverTheyHold)
{
    EXPECT_EQ(Literal(Gbk("{C}同学:")), GbkBytes({"{C}", "同", "学", ":"}));
    EXPECT_EQ(Literal("{a}x"), GbkBytes({"{a}", "x"}));
    EXPECT_EQ(Literal("{AB}"), GbkBytes({"{AB", "}"}));
    EXPECT_EQ(Literal(Gbk("{中}")), std::vector<std::string>({Gbk("{中").str(), "}"}));
    EXPECT_EQ(Literal("x{"), GbkBytes({"x", "{"}));
    EXPECT_EQ(Literal("x{A"), GbkBytes({"x", "{A"}));

    // Tokens are appended to what the list holds.
    CStringArray arrTokens;
    arrTokens.Add("old");
    CPrintItem::SplitText("ab", arrTokens);
    EXPECT_EQ(TokenBytes(arrTokens), GbkBytes({"old", "a", "b"}));
}

TEST(TokenLiteralTest, LineBreaksAndSingleBytes)
{
    EXPECT_EQ(Literal(Gbk("中\r\n文")), GbkBytes({"中", "@enter", "文"}));
    EXPECT_EQ(Literal(Gbk("中\r文")), GbkBytes({"中", "\r", "文"}));
    EXPECT_EQ(Literal("a\nb\tc}\r"), GbkBytes({"a", "\n", "b", "\t", "c", "}", "\r"}));
    // A lead byte at the very end is a token of one byte.
    EXPECT_EQ(Literal("a\xD6"), std::vector<std::string>({"a", "\xD6"}));
    EXPECT_TRUE(Literal("").empty());
}

// A GB18030 four-byte sequence (lead, digit, lead, digit) is one token; a two-byte character
// stays one token, a lead byte before a digit that starts no four-byte sequence takes the
// digit as its second byte, and a sequence cut off at the end falls back to the same rule.
TEST(TokenLiteralTest, FourByteSequencesAreOneToken)
{
    const struct {
        const char* pszText;
        std::vector<std::string> tokens;
    } cases[] = {
        {"\x95\x32\x88\x38", {"\x95\x32\x88\x38"}},                                // 𠀾
        {"\xCD\xF5\xFE\x9F", {"\xCD\xF5", "\xFE\x9F"}},                            // 王䶮
        {"a\x81\x30\x89\x38" "b", {"a", "\x81\x30\x89\x38", "b"}},                   // aßb
        {"\x94\x39\xFC\x36\r\n\x83\x36\x84\x33", {"\x94\x39\xFC\x36", "@enter", "\x83\x36\x84\x33"}},
        {"\x81\x30\x81", {"\x81\x30", "\x81"}},                                     // cut off
        {"\x81\x30\x81" "A", {"\x81\x30", "\x81" "A"}},                            // no digit fourth
        {"\x81\x30" "1" "2", {"\x81\x30", "1", "2"}},                                // no lead third
        {"\xB0\x81\x30\x81\x30", {"\xB0\x81", "0", "\x81\x30"}},                  // 2-byte char first
        {"{\x95\x32\x88\x38}", {"{\x95\x32", "\x88\x38", "}"}},                      // inside a group
    };
    for (const auto& c : cases)
        EXPECT_EQ(Literal(c.pszText), c.tokens) << c.pszText;
}

TEST_F(TokenTest, PlaceholdersBecomeTheTokensOfTheirFields)
{
    SetField('C', "张三");
    EXPECT_EQ(Substitute(Gbk("{C}同学:")), GbkBytes({"张", "三", "同", "学", ":"}));

    // Field values split by the same rule: line breaks, and placeholders of the same record.
    SetField('A', "一\r\n二");
    EXPECT_EQ(Substitute("{A}"), GbkBytes({"一", "@enter", "二"}));
    SetField('A', "{B}!");
    SetField('B', "好");
    EXPECT_EQ(Substitute("<{A}>"), GbkBytes({"<", "好", "!", ">"}));

    // A name outside GBK: one token per character, four-byte sequences whole.
    m_dlg.m_wndGrid.SetItemText(m_dlg.m_nCurRecord, 3, Codec::FromUnicode(QString::fromUtf8("王䶮𠀾😀")));
    EXPECT_EQ(Substitute(Gbk("{C}同学")), GbkBytes({"王", "䶮", "𠀾", "😀", "同", "学"}));

    // An empty field adds nothing; the text around it closes up.
    EXPECT_EQ(Substitute("a{D}b"), GbkBytes({"a", "b"}));
}

TEST_F(TokenTest, GroupsThatAreNoPlaceholderVanish)
{
    SetField('A', "filled");
    EXPECT_TRUE(Substitute("{a}").empty());
    EXPECT_EQ(Substitute("{AB}"), GbkBytes({"}"}));
    EXPECT_EQ(Substitute(Gbk("{中}")), GbkBytes({"}"}));
    EXPECT_EQ(Substitute("x{"), GbkBytes({"x"}));
    EXPECT_EQ(Substitute("x{A"), GbkBytes({"x"}));
    EXPECT_EQ(Substitute(Gbk("中\r文")), GbkBytes({"中", "\r", "文"}));
}

TEST_F(TokenTest, SelfReferringFieldsStopAtSixteenNestings)
{
    // Directly: B holds itself.
    SetField('B', "x{B}");
    EXPECT_EQ(Substitute("{B}"), std::vector<std::string>(16, "x"));

    // Through another field: each of A and B is nested sixteen times.
    SetField('A', "a{B}");
    SetField('B', "b{A}");
    std::vector<std::string> expected;
    for (int i = 0; i < 16; i++) {
        expected.push_back("a");
        expected.push_back("b");
    }
    EXPECT_EQ(Substitute("{A}"), expected);

    // A value that fans out into itself ends too, after a bounded number of expansions.
    SetField('A', "x{A}{A}");
    EXPECT_EQ(Substitute("{A}").size(), (size_t)CPrintItem::MAX_FIELD_EXPANSIONS);
}

TEST_F(TokenTest, ChainsWithoutCycleExpandFully)
{
    // A -> B -> ... -> Z, 26 fields deep: deeper than the cycle limit, and no cycle.
    for (char ch = 'A'; ch < 'Z'; ch++) {
        const std::string strValue = std::string(1, (char)(ch - 'A' + 'a')) + "{" + (char)(ch + 1) + "}";
        SetField(ch, strValue.c_str());
    }
    SetField('Z', "z");
    std::vector<std::string> expected;
    for (char ch = 'a'; ch <= 'z'; ch++)
        expected.push_back(std::string(1, ch));
    EXPECT_EQ(Substitute("{A}"), expected);

    // The same field twice side by side is no cycle.
    SetField('C', "c");
    EXPECT_EQ(Substitute("{C}{C}"), GbkBytes({"c", "c"}));
}

// A value of 10 KB that holds itself twice would make 40 million tokens in 4096 expansions.
// The split ends at its token limit instead, at once; a long value without a cycle is
// split whole up to that limit.
TEST_F(TokenTest, FanningOutLongValuesEndsTheSplit)
{
    const std::string strLong(10000, 'x');
    SetField('A', ("{A}{A}" + strLong).c_str());
    const auto tStart = std::chrono::steady_clock::now();
    const std::vector<std::string> tokens = Substitute("a{A}");
    EXPECT_LT(std::chrono::steady_clock::now() - tStart, std::chrono::seconds(2));
    ASSERT_EQ(tokens.size(), (size_t)CPrintItem::MAX_SPLIT_TOKENS);
    EXPECT_EQ(tokens.front(), "a");
    EXPECT_EQ(tokens.back(), "x");

    SetField('B', strLong.c_str());
    SetField('C', "{B}{B}{B}");
    EXPECT_EQ(Substitute("{C}").size(), 3 * strLong.size());

    // The literal split of a text has the same bound, and either split says when it was cut.
    const int nMax = CPrintItem::MAX_SPLIT_TOKENS;
    for (int nChars : {nMax - 1, nMax, nMax + 1, 3 * nMax}) {
        SCOPED_TRACE(nChars);
        std::string strText;
        for (int i = 0; i < nChars; i++)
            strText += i % 2 ? Gbk("甲").str() : std::string("{A}");
        CStringArray arrTokens;
        EXPECT_EQ(CPrintItem::SplitText(CString(strText), arrTokens), nChars <= nMax);
        ASSERT_EQ(arrTokens.GetSize(), std::min(nChars, nMax));
        EXPECT_EQ(arrTokens[arrTokens.GetSize() - 1], arrTokens.GetSize() % 2 ? "{A}" : Gbk("甲"));
    }
    const auto Field = [&](const CString& strKey) { return m_dlg.GetFieldText(strKey); };
    CStringArray arrTokens;
    EXPECT_FALSE(CPrintItem::SplitText("{A}", arrTokens, Field));
    arrTokens.RemoveAll();
    EXPECT_TRUE(CPrintItem::SplitText("{C}", arrTokens, Field));
}

TEST_F(TokenTest, FieldsAreReadFromRecordRowsOnly)
{
    CGridCtrl& grid = m_dlg.m_wndGrid;
    grid.SetItemText(1, 1, "first");
    grid.SetItemText(300, 1, "last");
    grid.SetItemText(300, 26, "zed");
    grid.SetItemText(7, 2, "only B");

    // Keys are exactly three bytes, an upper-case letter between braces.
    m_dlg.m_nCurRecord = 1;
    EXPECT_EQ(m_dlg.GetFieldText("{A}"), CString("first"));
    EXPECT_EQ(m_dlg.GetFieldText("{a}"), CString());
    EXPECT_EQ(m_dlg.GetFieldText("{A}x"), CString());
    EXPECT_EQ(m_dlg.GetFieldText("A"), CString());
    EXPECT_TRUE(m_dlg.IsRecordPrintable());

    // The last record of the table is a record like the others.
    m_dlg.m_nCurRecord = 300;
    EXPECT_EQ(m_dlg.GetFieldText("{Z}"), CString("zed"));
    EXPECT_TRUE(m_dlg.IsRecordPrintable());

    // Field A alone decides whether a record prints; its other fields are still there.
    m_dlg.m_nCurRecord = 7;
    EXPECT_FALSE(m_dlg.IsRecordPrintable());
    EXPECT_EQ(m_dlg.GetFieldText("{B}"), CString("only B"));

    for (int nRow : {0, -1, 301, 1000}) {
        m_dlg.m_nCurRecord = nRow;
        EXPECT_EQ(m_dlg.GetFieldText("{A}"), CString()) << nRow;
        EXPECT_FALSE(m_dlg.IsRecordPrintable()) << nRow;
    }
}
