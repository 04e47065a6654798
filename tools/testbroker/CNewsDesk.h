// Headlines and stories of the simulated market.
#pragma once

#include "broker/protocol/StreamRecord.h"

#include <cstdint>
#include <deque>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace qx::testbroker {

class CNewsDesk {
public:
    explicit CNewsDesk(uint64_t seed);

    // Where story pages are served, e.g. "https://127.0.0.1:8443".
    void SetStoryBase(std::string base) { m_storyBase = std::move(base); }

    // Writes a new headline about one of the symbols and keeps it.
    protocol::Headline Generate(const std::vector<std::string>& symbols, int64_t nowUnixSeconds);
    // Writes perSymbol headlines about every symbol over the three days before now, oldest
    // first, as a market's recent news.
    void Seed(const std::vector<std::string>& symbols, int64_t nowUnixSeconds, int perSymbol);
    // The broker's news page: the newest headlines of all news, linked to their stories.
    std::string HomePage(size_t count) const;
    // Keeps a headline made elsewhere (story id and URL filled in when empty).
    protocol::Headline Add(protocol::Headline headline, const std::string& body);

    // Whether a headline belongs to a key: a symbol, "*ALL*" or "*HOT*".
    static bool Matches(const protocol::Headline& h, const std::string& key);
    // The newest count headlines of a key, oldest first.
    std::vector<protocol::Headline> Recent(const std::string& key, size_t count) const;
    bool Story(const std::string& storyId, protocol::StoryRecord& out) const;

private:
    std::string StoryUrl(const std::string& id) const;
    protocol::Headline Write(const std::string& symbol, const std::vector<std::string>& symbols, int64_t time,
                             std::string& body);

    std::mt19937_64 m_rng;
    uint64_t m_next = 1;
    std::string m_storyBase = "https://127.0.0.1:8443";
    std::deque<protocol::Headline> m_headlines;
    std::map<std::string, protocol::StoryRecord> m_stories;
};

}  // namespace qx::testbroker
