#include "platform/core/CProfile.h"

#include "platform/core/CFile.h"
#include "platform/core/CSafeFile.h"
#include "platform/core/TextLines.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace {
// Values are kept on one line: back slash, CR and LF are escaped.
std::string escapeValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string unescapeValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\' && i + 1 < value.size()) {
            const char next = value[i + 1];
            if (next == '\\' || next == 'n' || next == 'r') {
                out += next == 'n' ? '\n' : (next == 'r' ? '\r' : '\\');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::atomic<CProfile*> g_appProfile{nullptr};
}  // namespace

CProfile::CProfile(const char* path)
{
    Load(path);
}

void CProfile::Load(const char* path)
{
    std::string text;
    const CString normal = CFile::NormalizePath(path);
    ReadTextFile(normal, text);
    std::lock_guard lock(m_mutex);
    m_path = normal;
    Parse(text);
}

void CProfile::LoadFromText(std::string_view text)
{
    std::lock_guard lock(m_mutex);
    m_path.Empty();
    Parse(text);
}

CString CProfile::GetPath() const
{
    std::lock_guard lock(m_mutex);
    return m_path;
}

void CProfile::Parse(std::string_view text)
{
    m_sections.clear();
    Section* current = nullptr;
    ForEachLine(text, [&](std::string_view raw) {
        const std::string_view line = TrimBlanks(raw);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            return;
        if (line.front() == '[') {
            const size_t close = line.find(']');
            const std::string_view name = close == std::string_view::npos ? std::string_view()
                                                                          : TrimBlanks(line.substr(1, close - 1));
            if (name.empty()) {
                current = nullptr;  // entries under a broken header are skipped
                return;
            }
            const CString sectionName(name);
            current = FindSection(sectionName);
            if (!current) {
                m_sections.push_back(Section{sectionName, {}});
                current = &m_sections.back();
            }
            return;
        }
        const size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos)
            return;
        const CString key(TrimBlanks(line.substr(0, eq)));
        if (key.IsEmpty())
            return;
        const CString value(unescapeValue(TrimBlanks(line.substr(eq + 1))));
        for (Entry& e : current->entries) {
            if (e.key.CompareNoCase(key) == 0) {
                e.value = value;
                return;
            }
        }
        current->entries.push_back(Entry{key, value});
    });
}

const CProfile::Section* CProfile::FindSection(const char* name) const
{
    for (const Section& s : m_sections) {
        if (s.name.CompareNoCase(name) == 0)
            return &s;
    }
    return nullptr;
}

CProfile::Section* CProfile::FindSection(const char* name)
{
    return const_cast<Section*>(static_cast<const CProfile*>(this)->FindSection(name));
}

CString CProfile::GetProfileString(const char* section, const char* key, const char* defaultValue) const
{
    std::lock_guard lock(m_mutex);
    if (const Section* s = section && key ? FindSection(section) : nullptr) {
        for (const Entry& e : s->entries) {
            if (e.key.CompareNoCase(key) == 0)
                return e.value;
        }
    }
    return CString(defaultValue);
}

int CProfile::GetProfileInt(const char* section, const char* key, int defaultValue) const
{
    const CString text = GetProfileString(section, key, nullptr);
    if (text.IsEmpty())
        return defaultValue;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text.GetString() || *end != '\0' || v < INT_MIN || v > UINT_MAX)
        return defaultValue;
    // Values written as unsigned numbers read back as the same 32 bits.
    return static_cast<int>(static_cast<unsigned int>(v));
}

BOOL CProfile::WriteProfileString(const char* section, const char* key, const char* value)
{
    const CString sectionName = CString(section).Trim();
    if (sectionName.IsEmpty() || sectionName.FindOneOf("]\r\n") >= 0)
        return FALSE;
    std::lock_guard lock(m_mutex);
    Section* s = FindSection(sectionName);
    if (!key) {
        if (s)
            std::erase_if(m_sections, [&](const Section& x) { return &x == s; });
        return Save() ? TRUE : FALSE;
    }
    const CString name = CString(key).Trim();
    if (name.IsEmpty() || name.FindOneOf("=\r\n") >= 0 || name[0] == '[' || name[0] == ';' || name[0] == '#')
        return FALSE;
    if (!s && !value)
        return TRUE;
    if (!s) {
        m_sections.push_back(Section{sectionName, {}});
        s = &m_sections.back();
    }
    auto it = std::find_if(s->entries.begin(), s->entries.end(),
                           [&](const Entry& e) { return e.key.CompareNoCase(name) == 0; });
    if (!value) {
        if (it != s->entries.end())
            s->entries.erase(it);
    } else if (it != s->entries.end()) {
        it->value = value;
    } else {
        s->entries.push_back(Entry{name, CString(value)});
    }
    return Save() ? TRUE : FALSE;
}

BOOL CProfile::WriteProfileInt(const char* section, const char* key, int value)
{
    CString text;
    text.Format("%d", value);
    return WriteProfileString(section, key, text);
}

std::string CProfile::ToText() const
{
    std::lock_guard lock(m_mutex);
    return FormatLocked();
}

std::string CProfile::FormatLocked() const
{
    std::string out;
    for (const Section& s : m_sections) {
        if (!out.empty())
            out += '\n';
        out += "[" + s.name.str() + "]\n";
        for (const Entry& e : s.entries)
            out += e.key.str() + "=" + escapeValue(e.value.str()) + "\n";
    }
    return out;
}

void CProfile::BeginBatch()
{
    std::lock_guard lock(m_mutex);
    ++m_nBatch;
}

bool CProfile::EndBatch()
{
    std::lock_guard lock(m_mutex);
    if (m_nBatch == 0 || --m_nBatch > 0 || !m_bBatchChanged)
        return true;
    m_bBatchChanged = false;
    return Save();
}

bool CProfile::Save()
{
    if (m_path.IsEmpty())
        return true;
    if (m_nBatch > 0) {
        m_bBatchChanged = true;
        return true;
    }
    const std::string text = FormatLocked();
    CSafeFile file;
    CFileException openError;
    if (!file.Open(m_path, CFile::modeCreate | CFile::modeWrite, &openError)) {
        m_nLastError = openError.m_lOsError;
        return false;
    }
    try {
        file.Write(text.data(), static_cast<UINT>(text.size()));
        file.Commit();
    } catch (const CFileException& e) {
        m_nLastError = e.m_lOsError;
        return false;
    }
    m_nLastError = 0;
    return true;
}

int CProfile::GetLastError() const
{
    std::lock_guard lock(m_mutex);
    return m_nLastError;
}

void SetAppProfile(CProfile* profile)
{
    g_appProfile.store(profile);
}

CProfile* GetAppProfile()
{
    return g_appProfile.load();
}
