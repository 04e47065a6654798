#include "platform/core/CString.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

TEST(CString, FormatPassesStringsAndGrowsPastSmallBuffer)
{
    CString name("IBM");
    std::string side = "buy";
    CString s;
    s.Format("%s %s %d %.2f", name, side, 42, 1.5);
    EXPECT_EQ(s, "IBM buy 42 1.50");

    const std::string longText(1000, 'x');
    s.Format("[%s]", longText);
    EXPECT_EQ(s.GetLength(), 1002);
    EXPECT_EQ(s.Mid(1, 1000), CString(longText));

    s.AppendFormat("%c%u", 'z', 7u);
    EXPECT_EQ(s.Right(3), "]z7");

    // Long-size codes with 32-bit arguments, as texts written for 32-bit longs use.
    s.Format("%lu %ld %d %u %lx %hd", static_cast<DWORD>(7), static_cast<LONG>(-2), int64_t{5},
             static_cast<DWORD>(4000000000u), static_cast<DWORD>(0xBEEF), static_cast<short>(-3));
    EXPECT_EQ(s, "7 -2 5 4000000000 beef -3");
    enum class Kind { Option = 1 };
    const char label[] = "arr";
    s.Format("%d %s %.1f", Kind::Option, label, 2.25f);
    EXPECT_EQ(s, "1 arr 2.2");
}

TEST(CString, FindAndExtractionClampOutOfRange)
{
    const CString s("Hello, World");
    EXPECT_EQ(s.Find('o'), 4);
    EXPECT_EQ(s.Find('o', 5), 8);
    EXPECT_EQ(s.Find('o', 100), -1);
    EXPECT_EQ(s.Find("World"), 7);
    EXPECT_EQ(s.Find(""), 0);
    EXPECT_EQ(s.Find("xyz"), -1);
    EXPECT_EQ(s.ReverseFind('o'), 8);
    EXPECT_EQ(s.ReverseFind('q'), -1);
    EXPECT_EQ(s.FindOneOf(",W"), 5);

    EXPECT_EQ(s.Left(5), "Hello");
    EXPECT_EQ(s.Left(-1), "");
    EXPECT_EQ(s.Left(99), s);
    EXPECT_EQ(s.Right(5), "World");
    EXPECT_EQ(s.Right(99), s);
    EXPECT_EQ(s.Mid(7), "World");
    EXPECT_EQ(s.Mid(7, 2), "Wo");
    EXPECT_EQ(s.Mid(-3, 2), "He");
    EXPECT_EQ(s.Mid(50, 2), "");
    EXPECT_EQ(s.SpanIncluding("leH"), "Hell");
    EXPECT_EQ(s.SpanExcluding(","), "Hello");
}

TEST(CString, TokenizeSkipsEmptyTokensAndEndsWithMinusOne)
{
    const CString s(",,a,bc,,d,");
    int pos = 0;
    EXPECT_EQ(s.Tokenize(",", pos), "a");
    EXPECT_EQ(s.Tokenize(",", pos), "bc");
    EXPECT_EQ(s.Tokenize(",", pos), "d");
    EXPECT_NE(pos, -1);
    EXPECT_EQ(s.Tokenize(",", pos), "");
    EXPECT_EQ(pos, -1);
    EXPECT_EQ(s.Tokenize(",", pos), "");
    EXPECT_EQ(pos, -1);

    const CString last("x y");
    pos = 0;
    EXPECT_EQ(last.Tokenize(" ", pos), "x");
    EXPECT_EQ(last.Tokenize(" ", pos), "y");
    EXPECT_EQ(last.Tokenize(" ", pos), "");
    EXPECT_EQ(pos, -1);
}

TEST(CString, TrimCaseAndEditing)
{
    CString s("  \tMixed Case \r\n");
    s.Trim();
    EXPECT_EQ(s, "Mixed Case");
    s.MakeUpper();
    EXPECT_EQ(s, "MIXED CASE");
    s.MakeLower();
    EXPECT_EQ(s, "mixed case");
    CString dots("..a.b..");
    dots.TrimLeft('.');
    EXPECT_EQ(dots, "a.b..");
    dots.TrimRight(".");
    EXPECT_EQ(dots, "a.b");
    CString blanks("   ");
    blanks.Trim();
    EXPECT_TRUE(blanks.IsEmpty());

    CString r("aXbXXc");
    EXPECT_EQ(r.Replace("X", "--"), 3);
    EXPECT_EQ(r, "a--b----c");
    EXPECT_EQ(r.Replace("--", ""), 3);
    EXPECT_EQ(r, "abc");
    EXPECT_EQ(r.Replace("", "z"), 0);
    EXPECT_EQ(r.Replace('b', 'B'), 1);
    EXPECT_EQ(r.Remove('a'), 1);
    EXPECT_EQ(r, "Bc");
    EXPECT_EQ(r.Insert(1, "--"), 4);
    EXPECT_EQ(r.Insert(99, '!'), 5);
    EXPECT_EQ(r, "B--c!");
    EXPECT_EQ(r.Delete(1, 2), 3);
    EXPECT_EQ(r.Delete(2, 99), 2);
    EXPECT_EQ(r.Delete(9), 2);
    EXPECT_EQ(r, "Bc");
}

TEST(CString, ComparisonsAndConcatenation)
{
    const CString a("apple");
    EXPECT_EQ(a.Compare("apple"), 0);
    EXPECT_LT(a.Compare("banana"), 0);
    EXPECT_EQ(a.CompareNoCase("APPLE"), 0);
    EXPECT_GT(a.CompareNoCase("APP"), 0);
    EXPECT_LT(a.CompareNoCase("Apples"), 0);
    EXPECT_TRUE(a < CString("b"));
    EXPECT_TRUE("apple" == a);
    EXPECT_TRUE(a != "pear");

    CString s = a + ", " + CString("pear") + '!';
    s += "?";
    EXPECT_EQ(s, "apple, pear!?");
    EXPECT_STREQ(static_cast<const char*>(s), "apple, pear!?");
    EXPECT_EQ(s[0], 'a');
    EXPECT_EQ(s[size_t{1}], 'p');

    std::unordered_set<CString> set{CString("x"), CString("x"), CString("y")};
    EXPECT_EQ(set.size(), 2u);
    const CString null(static_cast<const char*>(nullptr));
    EXPECT_TRUE(null.IsEmpty());
    EXPECT_EQ(CString('-', 3), "---");
}

TEST(CString, BufferWritesAreKeptUpToTheTerminator)
{
    CString s("abc");
    char* buf = s.GetBuffer(16);
    std::snprintf(buf, 16, "%s", "hello");
    s.ReleaseBuffer();
    EXPECT_EQ(s, "hello");
    EXPECT_EQ(s.GetLength(), 5);

    buf = s.GetBufferSetLength(3);
    buf[0] = 'X';
    s.ReleaseBuffer(2);
    EXPECT_EQ(s, "Xe");
}
