#include "platform/core/XmlHelpers.h"

#include <gtest/gtest.h>

TEST(XmlHelpers, CaseInsensitiveDepthFirstLookups)
{
    TiXmlDocument doc;
    CString error;
    ASSERT_TRUE(ParseXml(doc,
                         "<?xml version=\"1.0\" encoding=\"iso-8859-1\" ?>\r\n"
                         "<Alerts>\r\n<Version>19</Version>\r\n"
                         "<Alert Kind=\"price\"><Symbol>IBM</Symbol><Inner><name>deep</name></Inner></Alert>\r\n"
                         "<alert kind=\"formula\"><Symbol><![CDATA[A&B <x>]]></Symbol></alert>\r\n"
                         "<Other/><ALERT/><Name>shallow</Name>\r\n"
                         "</Alerts>",
                         &error))
        << error;
    const TiXmlElement* root = doc.RootElement();
    ASSERT_NE(root, nullptr);

    const TiXmlElement* first = FindChildNoCase(root, "ALERT");
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(GetAttributeNoCase(first, "kind"), "price");
    EXPECT_EQ(GetAttributeNoCase(first, "missing"), nullptr);
    const TiXmlElement* second = NextSiblingNoCase(first, "Alert");
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(GetAttributeNoCase(second, "KIND"), "formula");
    EXPECT_EQ(GetElementText(FindChildNoCase(second, "symbol")), "A&B <x>");
    const TiXmlElement* third = NextSiblingNoCase(second, "alert");
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(NextSiblingNoCase(third, "alert"), nullptr);

    // Depth first: the name inside the first alert comes before the later shallow one.
    EXPECT_EQ(GetElementText(FindChildNoCase(root, "NAME", true)), "deep");
    EXPECT_EQ(GetElementText(FindChildNoCase(root, "NAME", false)), "shallow");
    EXPECT_EQ(FindChildNoCase(root, "Symbol", false), nullptr);
    EXPECT_EQ(FindChildNoCase(static_cast<const TiXmlNode*>(nullptr), "x"), nullptr);

    CString version("unchanged");
    EXPECT_TRUE(ReadChildText(root, "version", version));
    EXPECT_EQ(version, "19");
    CString missing("keep");
    EXPECT_FALSE(ReadChildText(root, "NoSuch", missing));
    EXPECT_EQ(missing, "keep");
    EXPECT_EQ(GetElementText(nullptr), "");
}

TEST(XmlHelpers, ParseErrorsAndPrinting)
{
    TiXmlDocument doc;
    CString error;
    EXPECT_FALSE(ParseXml(doc, "<a><b></a>", &error));
    EXPECT_FALSE(error.IsEmpty());
    EXPECT_FALSE(ParseXml(doc, "", &error));
    EXPECT_FALSE(ParseXml(doc, "just text", &error));

    ASSERT_TRUE(ParseXml(doc, "<Update><Type>full</Type><Url>http://h/x?a=1&amp;b=2</Url></Update>"));
    EXPECT_EQ(GetElementText(FindChildNoCase(doc.RootElement(), "url")), "http://h/x?a=1&b=2");
    const CString printed = PrintXml(*doc.RootElement());
    EXPECT_NE(printed.Find("<Type>full</Type>"), -1);
    EXPECT_NE(printed.Find("a=1&amp;b=2"), -1);

    TiXmlDocument again;
    ASSERT_TRUE(ParseXml(again, printed.view()));
    EXPECT_EQ(GetElementText(FindChildNoCase(again.RootElement(), "Type")), "full");
}

// A multi-byte sequence cut by the end of the text, in a document declared UTF-8: the
// parser must not follow it past the end.
TEST(XmlHelpers, CutUtf8SequenceAtTheEndIsReadSafely)
{
    for (const char* text : {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><r><a\xF0",
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r><\xE2\x82",
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r a=\"\xF4\x8F"}) {
        TiXmlDocument doc;
        CString error;
        EXPECT_FALSE(ParseXml(doc, text, &error));
        EXPECT_FALSE(error.IsEmpty());
    }
    // Bytes that are no UTF-8 are read as they are, whatever the declaration says.
    TiXmlDocument latin;
    ASSERT_TRUE(ParseXml(latin, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>caf\xE9</r>", nullptr));
    EXPECT_EQ(GetElementText(latin.RootElement()), "caf\xE9");
    // Well-formed UTF-8 is still read as UTF-8.
    TiXmlDocument doc;
    ASSERT_TRUE(ParseXml(doc, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>caf\xC3\xA9</r>", nullptr));
    EXPECT_EQ(GetElementText(doc.RootElement()), "caf\xC3\xA9");
}
