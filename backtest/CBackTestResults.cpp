#include "backtest/CBackTestResults.h"

#include "backtest/CStrategySetup.h"
#include "common/services/TextFiles.h"
#include "platform/core/XmlHelpers.h"

CLoadedResults::CLoadedResults() = default;
CLoadedResults::~CLoadedResults() = default;
CLoadedResults::CLoadedResults(CLoadedResults&&) noexcept = default;
CLoadedResults& CLoadedResults::operator=(CLoadedResults&&) noexcept = default;

BackTestEntry* CBackTestResults::AddEntry(std::unique_ptr<BackTestEntry> entry)
{
    EntryList& list = m_entries[entry->m_symbol][entry->m_strategy];
    BackTestEntry* previous = list.empty() ? nullptr : list.back().get();
    list.push_back(std::move(entry));
    return previous;
}

EntryGroup& CBackTestResults::AddGroup(const EntryGroup& group)
{
    EntryGroup& stored = m_groups[group.GetKey()];
    stored = group;
    return stored;
}

void CBackTestResults::Clear()
{
    m_entries.clear();
    m_groups.clear();
}

const CBackTestResults::EntryList* CBackTestResults::FindList(const CString& symbol, const CString& strategy) const
{
    const auto s = m_entries.find(symbol);
    if (s == m_entries.end())
        return nullptr;
    const auto l = s->second.find(strategy);
    return l == s->second.end() ? nullptr : &l->second;
}

const EntryGroup* CBackTestResults::FindGroup(const CString& key) const
{
    const auto it = m_groups.find(key);
    return it == m_groups.end() ? nullptr : &it->second;
}

size_t CBackTestResults::GetEntryCount() const
{
    size_t n = 0;
    for (const auto& [symbol, strategies] : m_entries)
        for (const auto& [strategy, list] : strategies)
            n += list.size();
    return n;
}

CString CBackTestResults::ToText(const CStrategySetup* setup) const
{
    CString text = "<Backtest>\r\n";
    if (setup)
        text += setup->ToXml();
    for (const auto& [symbol, strategies] : m_entries)
        for (const auto& [strategy, list] : strategies) {
            text += "<EntryGroup>\r\n";
            if (const EntryGroup* group = FindGroup(symbol + "," + strategy))
                text += group->ToXml();
            for (const auto& entry : list)
                text += entry->ToXml();
            text += "</EntryGroup>\r\n";
        }
    text += "</Backtest>\r\n";
    return text;
}

bool ParseResultsText(std::string_view text, CLoadedResults& out, CString& error)
{
    TiXmlDocument doc;
    CString parseError;
    XmlReadOptions options;
    options.maxBytes = kMaxResultsFileBytes;
    if (!ParseXml(doc, text, &parseError, options)) {
        error = "Error parsing results: " + parseError;
        return false;
    }
    CLoadedResults loaded;
    loaded.setup = std::make_unique<CStrategySetup>();
    loaded.setup->FromXml(FindChildNoCase(&doc, "StrategySetup", true));
    for (const TiXmlElement* g = FindChildNoCase(&doc, "EntryGroup", true); g; g = NextSiblingNoCase(g, "EntryGroup")) {
        CLoadedResults::Group group;
        for (const TiXmlElement* e = FindChildNoCase(g, "BackTestEntry", true); e;
             e = NextSiblingNoCase(e, "BackTestEntry")) {
            auto entry = std::make_unique<BackTestEntry>();
            entry->FromXml(e);
            group.entries.push_back(std::move(entry));
        }
        group.group.FromXml(g);
        loaded.groups.push_back(std::move(group));
    }
    out = std::move(loaded);
    return true;
}

bool ReadResultsFile(const char* path, CLoadedResults& out, CString& error)
{
    std::string text;
    if (!ReadBoundedTextFile(path, kMaxResultsFileBytes, text, error))
        return false;
    return ParseResultsText(text, out, error);
}

bool WriteResultsFile(const char* path, const CBackTestResults& results, const CStrategySetup* setup, CString& error)
{
    return WriteTextFileSafely(path, results.ToText(setup), error);
}
