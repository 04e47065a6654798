#include "tools/testbroker/CNewsDesk.h"

#include <algorithm>

namespace qx::testbroker {

namespace {

constexpr size_t kKeep = 5000;
constexpr const char* kTemplates[] = {
    "%s shares rise after quarterly results", "%s announces new product line",
    "%s names new chief financial officer",  "Analyst raises price target on %s",
    "%s to buy back shares",                  "%s falls as guidance disappoints",
    "%s declares quarterly dividend",         "Options traders bet on %s move",
};
constexpr const char* kSources[] = {"Newswire", "Market Desk", "Press Release"};

std::string Fill(const char* pattern, const std::string& symbol)
{
    std::string text = pattern;
    const size_t at = text.find("%s");
    if (at != std::string::npos)
        text.replace(at, 2, symbol);
    return text;
}

std::string EscapeHtml(const std::string& s)
{
    std::string out;
    for (char c : s) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

}  // namespace

CNewsDesk::CNewsDesk(uint64_t seed) : m_rng(seed ^ 0x4E455753) {}

std::string CNewsDesk::StoryUrl(const std::string& id) const
{
    return m_storyBase + "/apps/100/NewsStory?storyid=" + id + "&source=QX&version=1";
}

protocol::Headline CNewsDesk::Generate(const std::vector<std::string>& symbols, int64_t nowUnixSeconds)
{
    protocol::Headline h;
    if (symbols.empty())
        return h;
    const std::string& symbol = symbols[m_rng() % std::min<size_t>(symbols.size(), 40)];
    h.symbol = symbol;
    h.time = nowUnixSeconds;
    h.source = kSources[m_rng() % 3];
    h.text = Fill(kTemplates[m_rng() % 8], symbol);
    h.note = m_rng() % 5 == 0 ? "H" : "";
    h.symbols = {symbol};
    if (m_rng() % 4 == 0)
        h.symbols.push_back(symbols[m_rng() % symbols.size()]);
    const std::string body = "<p>" + EscapeHtml(h.text) + ".</p><p>More details about " + EscapeHtml(symbol) +
                             " will follow.</p>";
    return Add(std::move(h), body);
}

protocol::Headline CNewsDesk::Add(protocol::Headline h, const std::string& body)
{
    if (h.storyId.empty())
        h.storyId = "N" + std::to_string(m_next++);
    if (h.storyUrl.empty())
        h.storyUrl = StoryUrl(h.storyId);
    if (h.symbols.empty() && !h.symbol.empty())
        h.symbols.push_back(h.symbol);
    protocol::StoryRecord story{h.storyId, h.text,
                                "<html><head><title>" + EscapeHtml(h.text) + "</title></head><body><h1>" +
                                    EscapeHtml(h.text) + "</h1>" + body + "</body></html>"};
    m_stories[h.storyId] = std::move(story);
    m_headlines.push_back(h);
    while (m_headlines.size() > kKeep) {
        m_stories.erase(m_headlines.front().storyId);
        m_headlines.pop_front();
    }
    return h;
}

bool CNewsDesk::Matches(const protocol::Headline& h, const std::string& key)
{
    if (key == "*ALL*")
        return true;
    if (key == "*HOT*")
        return h.note.find('H') != std::string::npos;
    return h.symbol == key || std::find(h.symbols.begin(), h.symbols.end(), key) != h.symbols.end();
}

std::vector<protocol::Headline> CNewsDesk::Recent(const std::string& key, size_t count) const
{
    std::vector<protocol::Headline> out;
    for (auto it = m_headlines.rbegin(); it != m_headlines.rend() && out.size() < count; ++it)
        if (Matches(*it, key))
            out.push_back(*it);
    std::reverse(out.begin(), out.end());
    return out;
}

bool CNewsDesk::Story(const std::string& storyId, protocol::StoryRecord& out) const
{
    const auto it = m_stories.find(storyId);
    if (it == m_stories.end())
        return false;
    out = it->second;
    return true;
}

}  // namespace qx::testbroker
