#include "platform/core/CConfigFile.h"

#include "platform/core/CFile.h"
#include "platform/core/TextLines.h"

namespace {
struct Default {
    const char* key;
    const char* value;
};
constexpr Default kDefaults[] = {
    {"LoginServer", "https://127.0.0.1:8443"},
    {"ApiServer", "https://127.0.0.1:8443"},
    {"StreamerServer", "127.0.0.1:8444"},
    {"HistoryServer", "https://127.0.0.1:8443"},
    {"UpdateFile", "https://127.0.0.1:8443/update/update.xml"},
};
}  // namespace

const char* CConfigFile::GetDefault(const char* key)
{
    for (const Default& d : kDefaults) {
        if (CString(d.key).CompareNoCase(key) == 0)
            return d.value;
    }
    return nullptr;
}

bool CConfigFile::Load(const char* path)
{
    std::string text;
    const bool ok = ReadTextFile(CFile::NormalizePath(path), text);
    LoadFromText(ok ? text : std::string());
    return ok;
}

void CConfigFile::LoadFromText(std::string_view text)
{
    m_entries.clear();
    ForEachLine(text, [&](std::string_view raw) {
        const std::string_view line = TrimBlanks(raw);
        if (line.empty() || line.front() == '#')
            return;
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            return;
        const CString key(TrimBlanks(line.substr(0, eq)));
        const CString value(TrimBlanks(line.substr(eq + 1)));
        // An empty key means nothing; an empty server name would leave no server.
        if (key.IsEmpty() || (value.IsEmpty() && GetDefault(key)))
            return;
        for (Entry& e : m_entries) {
            if (e.key.CompareNoCase(key) == 0) {
                e.value = value;  // the last line wins
                return;
            }
        }
        m_entries.push_back(Entry{key, value});
    });
}

const CConfigFile::Entry* CConfigFile::Find(const char* key) const
{
    for (const Entry& e : m_entries) {
        if (e.key.CompareNoCase(key) == 0)
            return &e;
    }
    return nullptr;
}

CString CConfigFile::Get(const char* key) const
{
    if (const Entry* e = Find(key))
        return e->value;
    return CString(GetDefault(key));
}

bool CConfigFile::Has(const char* key) const
{
    return Find(key) != nullptr;
}

std::vector<CString> CConfigFile::GetKeys() const
{
    std::vector<CString> keys;
    keys.reserve(m_entries.size());
    for (const Entry& e : m_entries)
        keys.push_back(e.key);
    return keys;
}
