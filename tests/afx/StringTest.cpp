#include "Codec.h"
#include "String.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

// The code page 936 bytes of the first CJK ideograph whose second byte is chTrail, which
// is how names with characters such as "乗" put ASCII bytes inside a character.
CString CharWithTrail(char chTrail)
{
    for (char16_t c = 0x4E00; c < 0x9FA5; ++c) {
        CString s = Codec::FromUnicode(QString(QChar(c)));
        if (s.GetLength() == 2 && s[1] == chTrail)
            return s;
    }
    ADD_FAILURE() << "no character with trail byte " << chTrail;
    return CString();
}

CString Gbk(const char16_t* text)
{
    return Codec::FromUnicode(QString::fromUtf16(text));
}

} // namespace

TEST(StringTest, CaseMappingLeavesDoubleByteCharactersAlone)
{
    CString chA = CharWithTrail('A');
    CString chz = CharWithTrail('z');
    ASSERT_EQ(chA.GetLength(), 2);
    ASSERT_EQ(chz.GetLength(), 2);

    CString s = Gbk(u"中") + chA + "AbC" + chz + "xY";
    CString lower = s;
    lower.MakeLower();
    EXPECT_EQ(lower, Gbk(u"中") + chA + "abc" + chz + "xy");
    CString upper = s;
    upper.MakeUpper();
    EXPECT_EQ(upper, Gbk(u"中") + chA + "ABC" + chz + "XY");

    // Only ASCII letters fold; a character and its neighbour with a letter trail differ.
    EXPECT_EQ(CString(chA + "abc").CompareNoCase(chA + "ABC"), 0);
    CString chAFolded(chA);
    chAFolded.SetAt(1, 'a');
    EXPECT_NE(chA.CompareNoCase(chAFolded), 0);
    EXPECT_LT(CString("abc").CompareNoCase("ABD"), 0);
    EXPECT_GT(CString("abcd").CompareNoCase("ABC"), 0);
    // Double-byte characters sort after ASCII, as their codes do.
    EXPECT_GT(Gbk(u"中").CompareNoCase("z"), 0);
    EXPECT_GT(Gbk(u"中").Compare("z"), 0);
}

TEST(StringTest, FindNeverMatchesInsideACharacter)
{
    CString chA = CharWithTrail('A');
    CString s = chA + "xA";
    EXPECT_EQ(s.Find('A'), 3);
    EXPECT_EQ(s.Find("A"), 3);
    EXPECT_EQ(s.Find('A', 1), 3);   // a start inside a character does not split it
    EXPECT_EQ(s.Find("xA"), 2);
    EXPECT_EQ(s.Find('A', 4), -1);
    EXPECT_EQ(s.Find('A', -3), 3);
    EXPECT_EQ(chA.Find('A'), -1);
    EXPECT_EQ(CString(chA + "\t1").Find('\t'), 2);

    // The end of one character and the start of the next are not a character either.
    CString words = Gbk(u"中文");
    CString straddle = words.Mid(1, 2);
    EXPECT_EQ(words.Find(straddle), -1);
    EXPECT_EQ(words.Find(Gbk(u"文")), 2);
    EXPECT_EQ(CString("abc").Find(""), 0);
    EXPECT_EQ(CString("abc").Find("c", 5), -1);
}

TEST(StringTest, ReverseFindOfPathSeparatorSkipsChineseNames)
{
    CString chSlash = CharWithTrail('\\');
    ASSERT_EQ(chSlash.GetLength(), 2);
    CString path = CString("C:\\") + chSlash + Gbk(u"名单");
    EXPECT_EQ(path.ReverseFind('\\'), 2);
    path += "\\" + chSlash + ".zs";
    EXPECT_EQ(path.ReverseFind('\\'), 9);
    EXPECT_EQ(chSlash.ReverseFind('\\'), -1);
    CString strPath = CString("/home/") + Gbk(u"证书") + "/" + Gbk(u"荣誉") + ".zs";
    EXPECT_EQ(strPath.Mid(strPath.ReverseFind('/') + 1), Gbk(u"荣誉") + ".zs");
}

TEST(StringTest, LeftRightMidClampTheirArguments)
{
    CString s("abcdef");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Left(99), "abcdef");
    EXPECT_EQ(s.Right(-2), "");
    EXPECT_EQ(s.Right(99), "abcdef");
    EXPECT_EQ(s.Mid(-2, 3), "abc");
    EXPECT_EQ(s.Mid(4, 10), "ef");
    EXPECT_EQ(s.Mid(2, -1), "");
    EXPECT_EQ(s.Mid(10), "");
    EXPECT_EQ(s.Mid(INT_MAX, INT_MAX), "");
    EXPECT_EQ(s.Mid(1, INT_MAX), "bcdef");
    EXPECT_EQ(s.Mid(-5), "abcdef");
}

TEST(StringTest, FormatFollowsPrintf)
{
    CString s;
    s.Format("%d-%s-%05.1f-%c-%x", 42, "ab", 3.14159, 'z', 255);
    EXPECT_EQ(s, "42-ab-003.1-z-ff");

    CString strLong('x', 1000);
    s.Format("[%s]", (LPCTSTR)strLong);
    EXPECT_EQ(s.GetLength(), 1002);
    EXPECT_EQ(s.Mid(1, 1000), strLong);

    // CString arguments go to %s as they are, even the string being formatted.
    s = Gbk(u"张三");
    s.Format("%s %s|%d", s, (LPCTSTR)s, 5);
    EXPECT_EQ(s, Gbk(u"张三 张三|5"));
    s.Format("%s", s.Left(2) + "!");
    EXPECT_EQ(s, Gbk(u"张") + "!");
}

TEST(StringTest, TrimRemovesBlanksAndChosenCharacters)
{
    CString s = CString("\t \r\n ") + Gbk(u"中 文") + " \r\n\t";
    s.Trim();
    EXPECT_EQ(s, Gbk(u"中 文"));

    CString chA = CharWithTrail('A');
    CString t = CString("AA") + chA + "AA";
    t.TrimRight("A");
    EXPECT_EQ(t, CString("AA") + chA);
    t.TrimLeft("A");
    EXPECT_EQ(t, chA);
    CString u = Gbk(u"，，名单，");
    u.TrimLeft(Gbk(u"，"));
    u.TrimRight(Gbk(u"，"));
    EXPECT_EQ(u, Gbk(u"名单"));
}

TEST(StringTest, EditingKeepsCharactersWhole)
{
    CString chA = CharWithTrail('A');
    CString s = chA + "A" + chA + "A";
    CString r = s;
    EXPECT_EQ(r.Replace("A", "bb"), 2);
    EXPECT_EQ(r, chA + "bb" + chA + "bb");
    EXPECT_EQ(r.Replace("", "y"), 0);
    CString m = s;
    EXPECT_EQ(m.Remove('A'), 2);
    EXPECT_EQ(m, chA + chA);

    CString d("abcdef");
    EXPECT_EQ(d.Delete(4, 100), 4);
    EXPECT_EQ(d.Delete(-3, 1), 3);
    EXPECT_EQ(d.Insert(-5, "x"), 4);
    EXPECT_EQ(d.Insert(99, "y"), 5);
    EXPECT_EQ(d, "xbcdy");
}

TEST(StringTest, BuffersAndEmbeddedNuls)
{
    EXPECT_TRUE(CString((LPCTSTR)nullptr).IsEmpty());
    EXPECT_EQ(CString("a\0b", 3).GetLength(), 3);
    EXPECT_TRUE(CString('x', -1).IsEmpty());

    CString s("ab");
    std::strcpy(s.GetBuffer(10), "hello");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 5);
    EXPECT_EQ(std::strcmp(s.GetBuffer(0), "hello"), 0);
    s.ReleaseBuffer(3);
    EXPECT_EQ(s, "hel");
}
