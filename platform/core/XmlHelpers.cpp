#include "platform/core/XmlHelpers.h"

#include "platform/core/TextLines.h"

#include <filesystem>
#include <system_error>

#include <string>

namespace {
bool sameName(const TiXmlElement* e, const char* name)
{
    return name && CString(e->Value()).CompareNoCase(name) == 0;
}

const TiXmlElement* findIn(const TiXmlNode* parent, const char* name, bool deep)
{
    for (const TiXmlElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (sameName(e, name))
            return e;
        if (deep) {
            if (const TiXmlElement* inner = findIn(e, name, true))
                return inner;
        }
    }
    return nullptr;
}

} // namespace

bool IsWellFormedUtf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        if (lead >= 0xF0 && lead <= 0xF4)
            length = 4;
        else if (lead >= 0xE0)
            length = lead <= 0xEF ? 3 : 0;
        else if (lead >= 0xC2)
            length = 2;
        else if (lead >= 0x80)
            length = 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

bool ReadXmlFile(const char* path, std::string& text, CString* error, bool* tooLarge, size_t maxBytes)
{
    text.clear();
    if (tooLarge)
        *tooLarge = false;
    std::error_code failure;
    const uintmax_t size = std::filesystem::file_size(path ? path : "", failure);
    if (!failure && size > maxBytes) {
        if (tooLarge)
            *tooLarge = true;
        if (error)
            error->Format("XML text of %llu bytes is longer than the limit of %zu bytes",
                          static_cast<unsigned long long>(size), maxBytes);
        return false;
    }
    // One byte more than the limit tells a file that grew meanwhile.
    if (failure || !ReadTextFile(path, text, maxBytes + 1)) {
        if (error)
            *error = "the file cannot be read";
        text.clear();
        return false;
    }
    if (text.size() > maxBytes) {
        if (tooLarge)
            *tooLarge = true;
        if (error)
            error->Format("XML text of more than %zu bytes is longer than the limit of %zu bytes", maxBytes, maxBytes);
        text.clear();
        return false;
    }
    return true;
}

bool ParseXml(TiXmlDocument& doc, std::string_view text, CString* error, const XmlReadOptions& options)
{
    doc.Clear();
    doc.ClearError();
    if (text.size() > options.maxBytes) {
        if (error)
            error->Format("XML text of %zu bytes is longer than the limit of %zu bytes", text.size(),
                          options.maxBytes);
        return false;
    }
    if (XmlNestingDepth(text, options.maxDepth) > options.maxDepth) {
        if (error)
            error->Format("XML elements nested deeper than %d levels", options.maxDepth);
        return false;
    }
    // The parser wants a terminated string. It may step over a whole multi-byte sequence
    // at once, so a text that is not well-formed UTF-8 is read byte for byte, and a few
    // spare terminators keep any step inside the buffer.
    std::string copy(text);
    const TiXmlEncoding encoding =
        !options.latin1 && IsWellFormedUtf8(copy) ? TIXML_DEFAULT_ENCODING : TIXML_ENCODING_LEGACY;
    copy.append(4, '\0');
    doc.Parse(copy.c_str(), nullptr, encoding);
    if (doc.Error() || !doc.RootElement()) {
        if (error) {
            if (doc.Error())
                error->Format("%s (line %d, column %d)", doc.ErrorDesc(), doc.ErrorRow(), doc.ErrorCol());
            else
                *error = "No XML element in the text";
        }
        return false;
    }
    return true;
}

CString PrintXml(const TiXmlNode& node)
{
    TiXmlPrinter printer;
    node.Accept(&printer);
    return CString(printer.Str());
}

const TiXmlElement* FindChildNoCase(const TiXmlNode* parent, const char* name, bool deep)
{
    return parent ? findIn(parent, name, deep) : nullptr;
}

TiXmlElement* FindChildNoCase(TiXmlNode* parent, const char* name, bool deep)
{
    return const_cast<TiXmlElement*>(FindChildNoCase(static_cast<const TiXmlNode*>(parent), name, deep));
}

const TiXmlElement* NextSiblingNoCase(const TiXmlElement* element, const char* name)
{
    for (const TiXmlElement* e = element ? element->NextSiblingElement() : nullptr; e; e = e->NextSiblingElement()) {
        if (sameName(e, name))
            return e;
    }
    return nullptr;
}

TiXmlElement* NextSiblingNoCase(TiXmlElement* element, const char* name)
{
    return const_cast<TiXmlElement*>(NextSiblingNoCase(static_cast<const TiXmlElement*>(element), name));
}

const char* GetAttributeNoCase(const TiXmlElement* element, const char* name)
{
    if (!element || !name)
        return nullptr;
    for (const TiXmlAttribute* a = element->FirstAttribute(); a; a = a->Next()) {
        if (CString(a->Name()).CompareNoCase(name) == 0)
            return a->Value();
    }
    return nullptr;
}

CString GetElementText(const TiXmlElement* element)
{
    CString text;
    if (!element)
        return text;
    for (const TiXmlNode* n = element->FirstChild(); n; n = n->NextSibling()) {
        if (const TiXmlText* t = n->ToText())
            text += t->Value();
    }
    return text;
}

bool ReadChildText(const TiXmlNode* parent, const char* name, CString& out, bool deep)
{
    const TiXmlElement* e = FindChildNoCase(parent, name, deep);
    if (!e)
        return false;
    out = GetElementText(e);
    return true;
}

CString EscapeXmlText(const char* text)
{
    CString out;
    for (const char* p = text ? text : ""; *p; ++p) {
        switch (*p) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += *p; break;
        }
    }
    return out;
}
