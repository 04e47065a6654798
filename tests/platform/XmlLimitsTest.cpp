// The limits of the one XML entry point: texts nested too deep or too long are
// refused before the recursive parser sees them, and the nesting walk agrees
// with the depth of the tree the parser builds.
#include "platform/core/XmlHelpers.h"
#include "tests/support/XmlTreeDepth.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

namespace {

std::string Nested(int depth, const std::string& open, const std::string& close, const std::string& inner = "x")
{
    std::string text;
    for (int i = 0; i < depth; ++i)
        text += open;
    text += inner;
    for (int i = 0; i < depth; ++i)
        text += close;
    return text;
}

TEST(XmlLimits, DeepTextsAreRefusedBeforeTheParser)
{
    // A LogIn reply nested 50,000 elements deep (about 150 KB).
    const std::string deep = "<?xml version=\"1.0\"?><Response><result>OK</result><LogIn>" +
                             Nested(50000, "<a>", "</a>") + "</LogIn></Response>";
    const auto start = std::chrono::steady_clock::now();
    TiXmlDocument doc;
    CString error;
    EXPECT_FALSE(ParseXml(doc, deep, &error));
    EXPECT_EQ(error, "XML elements nested deeper than 256 levels");
    EXPECT_EQ(doc.RootElement(), nullptr) << "nothing was parsed";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    // The limit itself is allowed; one more level is not.
    ASSERT_TRUE(ParseXml(doc, Nested(256, "<e k='v'>", "</e>"), &error)) << error;
    EXPECT_EQ(XmlTreeDepth(&doc), 256);
    EXPECT_FALSE(ParseXml(doc, Nested(257, "<e k='v'>", "</e>"), &error));
    XmlReadOptions shallow;
    shallow.maxDepth = 3;
    EXPECT_TRUE(ParseXml(doc, Nested(3, "<e>", "</e>"), &error, shallow));
    EXPECT_FALSE(ParseXml(doc, Nested(4, "<e>", "</e>"), &error, shallow));
    EXPECT_EQ(error, "XML elements nested deeper than 3 levels");
    // Empty elements do not nest.
    std::string flat = "<r>";
    for (int i = 0; i < 5000; ++i)
        flat += "<e a=\"1\"/>";
    EXPECT_TRUE(ParseXml(doc, flat + "</r>", &error)) << error;
}

TEST(XmlLimits, LongTextsAreRefused)
{
    XmlReadOptions small;
    small.maxBytes = 20;
    TiXmlDocument doc;
    CString error;
    EXPECT_TRUE(ParseXml(doc, "<a>0123456789abc</a>", &error, small)) << error;
    EXPECT_FALSE(ParseXml(doc, "<a>0123456789abcd</a>", &error, small));
    EXPECT_EQ(error, "XML text of 21 bytes is longer than the limit of 20 bytes");
    // The default limit is 16 MiB.
    const std::string huge = "<a>" + std::string(size_t{16} << 20, 'x') + "</a>";
    EXPECT_FALSE(ParseXml(doc, huge, &error));
    EXPECT_NE(error.Find("longer than the limit of 16777216 bytes"), -1) << error;
}

TEST(XmlLimits, MarkupInsideOtherNodesDoesNotNest)
{
    // A thousand start tags inside a comment, CDATA, attribute values, an unknown
    // node and escaped text: one element deep for the parser and for the walk.
    const std::string tags = Nested(1000, "<a>", "");
    const std::string text = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><!DOCTYPE r><r q='" + tags +
                             "' w=\"'" + tags + "\"><!-- " + tags + " --><![CDATA[" + tags + "]]>" +
                             Nested(1000, "&lt;a&gt;", "") + "<?pi " + Nested(1000, "<b", "") + "></r>";
    TiXmlDocument doc;
    CString error;
    ASSERT_TRUE(ParseXml(doc, text, &error)) << error;
    EXPECT_EQ(XmlTreeDepth(&doc), 1);
    EXPECT_EQ(XmlNestingDepth(text, 10000), 1);
    // An element whose start tag never ends is still entered by the parser.
    EXPECT_EQ(XmlNestingDepth("<r><a b='1'", 10), 2);
    // After a NUL the parser reads nothing.
    std::string cut = "<r>" + std::string(1, '\0') + Nested(1000, "<a>", "</a>") + "</r>";
    EXPECT_EQ(XmlNestingDepth(cut, 10000), 1);
}

TEST(XmlLimits, LenientFormsCountEveryElementLeft)
{
    // The parser takes unquoted values; the walk does not follow it there and
    // counts every element start that follows as one more level.
    TiXmlDocument doc;
    CString error;
    ASSERT_TRUE(ParseXml(doc, "<r><a v=1>t</a><b/></r>", &error)) << error;
    EXPECT_STREQ(GetAttributeNoCase(FindChildNoCase(doc.RootElement(), "a"), "V"), "1");
    EXPECT_FALSE(ParseXml(doc, Nested(300, "<a v=1>", "</a>"), &error));
    EXPECT_EQ(XmlNestingDepth(Nested(3, "<a v=1>", "</a>") + Nested(200, "<b/>", ""), 1000), 203);
}

// Random texts of elements, attributes with markup in their values, comments,
// CDATA, declarations, text and damage: the walk never reports less depth than
// the tree the parser builds (which it leaves partly built when it stops with
// an error), and exactly that depth for undamaged texts.
TEST(XmlLimits, WalkAgreesWithTheParsersTree)
{
    std::mt19937 rng(2024);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* names[] = {"a", "B", "_c", "d-e.f:g", "\xC3\xA9t"};
    const char* values[] = {"plain", "a>b", "<a><b>", "it's", "&amp;&#65;", "</x>", ""};
    for (int round = 0; round < 3000; ++round) {
        const bool damage = round % 3 == 0;
        std::string text = pick(2) ? "<?xml version=\"1.0\"?>\n" : "";
        std::vector<std::string> open;
        const int steps = 5 + pick(60);
        for (int s = 0; s < steps; ++s) {
            switch (pick(9)) {
            case 0:
            case 1:
            case 2: {
                const std::string name = names[pick(5)];
                text += "<" + name;
                for (int k = pick(3); k > 0; --k) {
                    const char quote = pick(2) ? '"' : '\'';
                    std::string value = values[pick(7)];
                    if (value.find(quote) != std::string::npos)
                        value = "q";
                    text += std::string(" k") + char('0' + k) + "=" + quote + value + quote;
                }
                if (pick(4) == 0) {
                    text += "/>";
                } else {
                    text += ">";
                    open.push_back(name);
                }
                break;
            }
            case 3:
                if (!open.empty()) {
                    text += "</" + open.back() + (pick(2) ? ">" : " >");
                    open.pop_back();
                }
                break;
            case 4: text += "<!-- <a> -- " + std::string(names[pick(5)]) + " -->"; break;
            case 5: text += "<![CDATA[<a></b>]]>"; break;
            case 6: text += pick(2) ? "text &lt;a&gt; " : "\n  "; break;
            case 7: text += pick(2) ? "<?pi <a> ?>" : "<!X <b> >"; break;
            default: text += "<e k='1'/>"; break;
            }
        }
        while (!open.empty()) {
            text += "</" + open.back() + ">";
            open.pop_back();
        }
        if (damage) {
            const char* bad[] = {"<", ">", "\"", "'", "/", "=", "<a", "</", "<!--", "\xEF\xBB\xBF", " x=1 ", "&#x"};
            for (int k = 1 + pick(3); k > 0; --k)
                text.insert(static_cast<size_t>(pick(static_cast<int>(text.size()) + 1)), bad[pick(12)]);
        }
        TiXmlDocument doc;
        doc.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
        const int tree = XmlTreeDepth(&doc);
        const int walked = XmlNestingDepth(text, 10000);
        EXPECT_GE(walked, tree) << text;
        if (!damage && !doc.Error()) {
            EXPECT_EQ(walked, tree) << text;
        }
    }
}

}  // namespace
