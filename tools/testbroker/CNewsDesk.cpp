#include "tools/testbroker/CNewsDesk.h"

#include "tools/testbroker/ExchangeClock.h"

#include <algorithm>
#include <cstdio>

namespace qx::testbroker {

namespace {

constexpr size_t kKeep = 5000;
constexpr const char* kTemplates[] = {
    "%s shares rise after quarterly results", "%s announces new product line",
    "%s names new chief financial officer",  "Analyst raises price target on %s",
    "%s to buy back shares",                  "%s falls as guidance disappoints",
    "%s declares quarterly dividend",         "Options traders bet on %s move",
    "%s wins large government contract",      "%s cuts jobs in restructuring",
    "Regulators review %s merger plan",       "%s beats revenue estimates",
};
constexpr const char* kSources[] = {"Newswire", "Market Desk", "Press Release"};
constexpr const char* kParagraphs[] = {
    "Trading volume in %s ran well above its daily average as the news spread.",
    "Analysts said the move could weigh on %s's margins in the coming quarters.",
    "The company did not comment beyond its statement; %s shares were active before the open.",
    "Investors will look for more detail when %s reports its next results.",
};

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

// Companies make news; options and indices do not.
std::vector<std::string> Companies(const std::vector<std::string>& symbols)
{
    std::vector<std::string> out;
    for (const std::string& s : symbols)
        if (!s.empty() && s[0] != '+' && s[0] != '$')
            out.push_back(s);
    return out;
}

std::string ExchangeText(int64_t unixSeconds)
{
    const ExchangeTime t = UnixToExchange(unixSeconds);
    char text[40];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d %02d:%02d ET", t.month, t.day, t.year, t.hour, t.minute);
    return text;
}

constexpr const char* kStyle =
    "<style>body{font-family:'DejaVu Sans',Arial,sans-serif;margin:0;color:#1c1c1c;background:#fff}"
    "header{background:#20385c;color:#fff;padding:6px 14px;display:flex;justify-content:space-between;"
    "align-items:center;font-size:13px}header a{color:#cfe3ff}main{padding:6px 16px 12px}"
    "h1{font-size:17px;margin:8px 0 4px}.meta{color:#5a5a5a;font-size:12px;margin:0 0 10px}"
    "p{font-size:14px;line-height:1.45;margin:6px 0}.hot{color:#b00000;font-weight:bold}"
    "li{font-size:14px;margin:3px 0}</style>";

std::string Page(const std::string& title, const std::string& main)
{
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + EscapeHtml(title) + "</title>" + kStyle +
           "</head><body><header><span>Brenhalvik Market News</span><span><a id=\"home\" href=\"/\">News</a>"
           " &middot; <a id=\"logout\" href=\"/cgi-bin/apps/LogOut\">Log Out</a></span></header><main>" +
           main + "</main></body></html>";
}

}  // namespace

CNewsDesk::CNewsDesk(uint64_t seed) : m_rng(seed ^ 0x4E455753) {}

std::string CNewsDesk::StoryUrl(const std::string& id) const
{
    return m_storyBase + "/apps/100/NewsStory?storyid=" + id + "&source=QX&version=1";
}

protocol::Headline CNewsDesk::Write(const std::string& symbol, const std::vector<std::string>& symbols, int64_t time,
                                    std::string& body)
{
    protocol::Headline h;
    h.symbol = symbol;
    h.time = time;
    h.source = kSources[m_rng() % 3];
    h.text = Fill(kTemplates[m_rng() % std::size(kTemplates)], symbol);
    h.note = m_rng() % 20 == 0 ? "H" : "";
    h.symbols = {symbol};
    if (m_rng() % 4 == 0 && !symbols.empty()) {
        const std::string& other = symbols[m_rng() % symbols.size()];
        if (other != symbol)
            h.symbols.push_back(other);
    }
    body = "<p>" + EscapeHtml(h.text) + ".</p>";
    const size_t first = m_rng() % std::size(kParagraphs);
    const size_t second = (first + 1 + m_rng() % (std::size(kParagraphs) - 1)) % std::size(kParagraphs);
    for (size_t i : {first, second})
        body += "<p>" + EscapeHtml(Fill(kParagraphs[i], symbol)) + "</p>";
    return h;
}

protocol::Headline CNewsDesk::Generate(const std::vector<std::string>& all, int64_t nowUnixSeconds)
{
    const std::vector<std::string> symbols = Companies(all);
    if (symbols.empty())
        return {};
    const std::string symbol = symbols[m_rng() % std::min<size_t>(symbols.size(), 40)];
    std::string body;
    protocol::Headline h = Write(symbol, symbols, nowUnixSeconds, body);
    return Add(std::move(h), body);
}

void CNewsDesk::Seed(const std::vector<std::string>& all, int64_t nowUnixSeconds, int perSymbol)
{
    const std::vector<std::string> symbols = Companies(all);
    std::vector<std::pair<protocol::Headline, std::string>> written;
    for (const std::string& symbol : symbols)
        for (int i = 0; i < perSymbol; ++i) {
            std::string body;
            const int64_t time = nowUnixSeconds - 60 - static_cast<int64_t>(m_rng() % (3 * 86400));
            protocol::Headline h = Write(symbol, symbols, time, body);
            written.emplace_back(std::move(h), std::move(body));
        }
    std::stable_sort(written.begin(), written.end(),
                     [](const auto& a, const auto& b) { return a.first.time < b.first.time; });
    for (auto& [h, body] : written)
        Add(std::move(h), body);
}

protocol::Headline CNewsDesk::Add(protocol::Headline h, const std::string& body)
{
    if (h.storyId.empty())
        h.storyId = "N" + std::to_string(m_next++);
    if (h.storyUrl.empty())
        h.storyUrl = StoryUrl(h.storyId);
    if (h.symbols.empty() && !h.symbol.empty())
        h.symbols.push_back(h.symbol);
    std::string symbols;
    for (const std::string& s : h.symbols)
        symbols += (symbols.empty() ? "" : ", ") + EscapeHtml(s);
    const std::string meta = "<p class=\"meta\">" + std::string(h.note.find('H') != std::string::npos ? "<span class=\"hot\">Hot</span> &middot; " : "") +
                             EscapeHtml(h.source) + " &middot; " + ExchangeText(h.time) + " &middot; " + symbols + "</p>";
    protocol::StoryRecord story{h.storyId, h.text, Page(h.text, "<h1>" + EscapeHtml(h.text) + "</h1>" + meta + body)};
    // A story written again replaces the earlier one.
    if (m_stories.count(h.storyId))
        std::erase_if(m_headlines, [&](const protocol::Headline& old) { return old.storyId == h.storyId; });
    m_stories[h.storyId] = std::move(story);
    m_headlines.push_back(h);
    while (m_headlines.size() > kKeep) {
        m_stories.erase(m_headlines.front().storyId);
        m_headlines.pop_front();
    }
    return h;
}

std::string CNewsDesk::HomePage(size_t count) const
{
    std::string list = "<h1>Latest news</h1><ul>";
    const std::vector<protocol::Headline> recent = Recent("*ALL*", count);
    for (auto it = recent.rbegin(); it != recent.rend(); ++it) {
        const protocol::Headline& h = *it;
        const bool hot = h.note.find('H') != std::string::npos;
        list += "<li>" + ExchangeText(h.time) + " &middot; <b>" + EscapeHtml(h.symbol) + "</b> &middot; <a href=\"" +
                EscapeHtml(h.storyUrl) + "\"" + (hot ? " class=\"hot\"" : "") + ">" + EscapeHtml(h.text) + "</a></li>";
    }
    return Page("Brenhalvik Market News", list + "</ul>");
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
