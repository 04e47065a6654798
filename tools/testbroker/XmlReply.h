// Building the XML replies of the API.
#pragma once

#include <string>
#include <string_view>

namespace qx::testbroker {

std::string XmlEscape(std::string_view text);

// Appends elements to a reply body; Open/Close nest, Text writes a leaf.
class CXmlReply {
public:
    CXmlReply& Open(std::string_view name);
    CXmlReply& Close(std::string_view name);
    CXmlReply& Text(std::string_view name, std::string_view value);
    CXmlReply& Number(std::string_view name, double value);
    // The whole document: <Response> with result OK and the body, or FAIL with an error.
    std::string Ok() const;
    static std::string Fail(std::string_view error, bool withErrorElement = true);

private:
    std::string m_body;
};

// Formats a number for a reply: integers without decimals, others with up to 4.
std::string FormatDecimal(double value);
// "1,234.50" style money text.
std::string FormatMoney(double value);

}  // namespace qx::testbroker
