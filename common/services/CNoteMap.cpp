#include "common/services/CNoteMap.h"

#include "common/services/TextHelpers.h"
#include "platform/core/FileVersion.h"
#include "platform/core/XmlHelpers.h"

#include <cstdlib>

void CNoteMap::SetAt(const CString& symbol, const CString& text)
{
    if (text.IsEmpty())
        m_notes.erase(symbol);
    else
        m_notes[symbol] = text;
}

bool CNoteMap::Lookup(const CString& symbol, CString& text) const
{
    auto it = m_notes.find(symbol);
    if (it == m_notes.end())
        return false;
    text = it->second;
    return true;
}

bool CNoteMap::RemoveKey(const CString& symbol)
{
    return m_notes.erase(symbol) > 0;
}

CString CNoteMap::ToXml() const
{
    CString xml = "<Notes>\r\n<Version>19</Version>\r\n";
    for (const auto& [symbol, text] : m_notes) {
        xml += "<Note>\r\n<Symbol>";
        xml += MakeCData(symbol);
        xml += "</Symbol>\r\n<Text>";
        xml += MakeCData(text);
        xml += "</Text>\r\n</Note>\r\n";
    }
    xml += "</Notes>\r\n";
    return xml;
}

bool CNoteMap::FromXml(const CString& xml, CString* error)
{
    TiXmlDocument doc;
    CString parseError;
    if (!ParseXml(doc, xml.view(), &parseError)) {
        if (error)
            *error = parseError;
        return false;
    }
    const TiXmlElement* root = FindChildNoCase(&doc, "Notes");
    if (!root) {
        if (error)
            *error = "no Notes element";
        return false;
    }
    CString versionText;
    if (ReadChildText(root, "Version", versionText, false)) {
        const long version = std::strtol(versionText, nullptr, 10);
        if (version < 0 || !IsSupportedFileVersion(static_cast<DWORD>(version))) {
            if (error)
                *error = IncompatibleVersionMessage("notes.xml", static_cast<DWORD>(version));
            return false;
        }
    }
    std::map<CString, CString> notes;
    for (const TiXmlElement* note = FindChildNoCase(root, "Note"); note; note = NextSiblingNoCase(note, "Note")) {
        CString symbol;
        CString text;
        ReadChildText(note, "Symbol", symbol, false);
        ReadChildText(note, "Text", text, false);
        if (!symbol.IsEmpty() && !text.IsEmpty())
            notes[symbol] = text;
    }
    m_notes = std::move(notes);
    return true;
}
