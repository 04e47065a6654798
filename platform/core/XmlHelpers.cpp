#include "platform/core/XmlHelpers.h"

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
}  // namespace

bool ParseXml(TiXmlDocument& doc, std::string_view text, CString* error)
{
    doc.Clear();
    doc.ClearError();
    const std::string copy(text);  // the parser wants a terminated string
    doc.Parse(copy.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
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
