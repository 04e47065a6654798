// The one XML entry point on arbitrary text. Its nesting walk must never report
// less depth than the parser reaches: where the walk allows the text, the
// parser is run on it directly (both ways of reading bytes) and the depth of
// the tree it builds, even when it stops with an error, is checked.
#include "platform/core/XmlHelpers.h"
#include "tests/support/XmlTreeDepth.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    constexpr int kCheckBelow = 400;  // deep enough, and safe for the parser's recursion
    const int walked = XmlNestingDepth(text, kCheckBelow);
    if (walked <= kCheckBelow) {
        // As ParseXml reads it: as UTF-8 only when it is well-formed UTF-8.
        for (TiXmlEncoding encoding : {TIXML_DEFAULT_ENCODING, TIXML_ENCODING_LEGACY}) {
            if (encoding == TIXML_DEFAULT_ENCODING && !IsWellFormedUtf8(text))
                continue;
            std::string copy = text;
            copy.append(4, '\0');
            TiXmlDocument doc;
            doc.Parse(copy.c_str(), nullptr, encoding);
            if (XmlTreeDepth(&doc) > walked)
                std::abort();
        }
    }
    TiXmlDocument doc;
    CString error;
    XmlReadOptions options;
    options.maxDepth = 64;
    const bool parsed = ParseXml(doc, text, &error, options);
    if (!parsed && error.IsEmpty())
        std::abort();  // a refusal always says why
    if (parsed && XmlTreeDepth(&doc) > options.maxDepth)
        std::abort();
    return 0;
}
