#include "tools/testbroker/XmlReply.h"

#include <cmath>
#include <cstdio>

namespace qx::testbroker {

namespace {
constexpr std::string_view kHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Response>";
}

std::string XmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r')
                out += ' ';
            else
                out += c;
        }
    }
    return out;
}

CXmlReply& CXmlReply::Open(std::string_view name)
{
    m_body += '<';
    m_body += name;
    m_body += '>';
    return *this;
}

CXmlReply& CXmlReply::Close(std::string_view name)
{
    m_body += "</";
    m_body += name;
    m_body += '>';
    return *this;
}

CXmlReply& CXmlReply::Text(std::string_view name, std::string_view value)
{
    Open(name);
    m_body += XmlEscape(value);
    return Close(name);
}

CXmlReply& CXmlReply::Number(std::string_view name, double value)
{
    return Text(name, FormatDecimal(value));
}

std::string CXmlReply::Ok() const
{
    std::string doc(kHead);
    doc += "<result>OK</result>";
    doc += m_body;
    doc += "</Response>\n";
    return doc;
}

std::string CXmlReply::Fail(std::string_view error, bool withErrorElement)
{
    std::string doc(kHead);
    doc += "<result>FAIL</result>";
    if (withErrorElement)
        doc += "<error>" + XmlEscape(error) + "</error>";
    doc += "</Response>\n";
    return doc;
}

std::string FormatDecimal(double value)
{
    if (!std::isfinite(value))
        return "0";
    char buf[64];
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        std::snprintf(buf, sizeof buf, "%.0f", value);
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%.4f", value);
    std::string s = buf;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s;
}

std::string FormatMoney(double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", std::fabs(value));
    std::string digits = buf;
    const size_t dot = digits.find('.');
    std::string whole = digits.substr(0, dot);
    std::string grouped;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i && (whole.size() - i) % 3 == 0)
            grouped += ',';
        grouped += whole[i];
    }
    std::string out = (value < 0 && std::fabs(value) >= 0.005 ? "-" : "") + grouped + digits.substr(dot);
    return out;
}

}  // namespace qx::testbroker
