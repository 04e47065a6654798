// What a backtest produced, kept by the window that shows it: the fills per symbol and
// strategy in arrival order and the group of each symbol and strategy; and the results
// file (.btr) that stores them with the job.
#pragma once

#include "backtest/BackTestRecords.h"
#include "platform/core/CString.h"

#include <map>
#include <memory>
#include <string_view>
#include <vector>

class CStrategySetup;

// Results files larger than this are refused.
inline constexpr size_t kMaxResultsFileBytes = size_t{256} << 20;

class CBackTestResults {
public:
    using EntryList = std::vector<std::unique_ptr<BackTestEntry>>;
    using StrategyMap = std::map<CString, EntryList>;

    // Appends the fill to the list of its symbol and strategy; returns the fill before it
    // in that list, or null.
    BackTestEntry* AddEntry(std::unique_ptr<BackTestEntry> entry);
    // Stores the group under its key, replacing an older one; returns the stored group.
    EntryGroup& AddGroup(const EntryGroup& group);
    void Clear();

    const std::map<CString, StrategyMap>& GetEntries() const { return m_entries; }
    // The fills of a symbol and strategy, or null.
    const EntryList* FindList(const CString& symbol, const CString& strategy) const;
    const EntryGroup* FindGroup(const CString& key) const;
    const std::map<CString, EntryGroup>& GetGroups() const { return m_groups; }
    size_t GetEntryCount() const;

    // The results file's text: the job's element when there is a job, then one
    // "EntryGroup" per symbol and strategy with its group's elements and its fills.
    CString ToText(const CStrategySetup* setup) const;

private:
    std::map<CString, StrategyMap> m_entries;
    std::map<CString, EntryGroup> m_groups;
};

// A results file as read: its job and, per "EntryGroup" element in order, its fills and
// its group.
struct CLoadedResults {
    struct Group {
        std::vector<std::unique_ptr<BackTestEntry>> entries;
        EntryGroup group;
    };
    std::unique_ptr<CStrategySetup> setup;
    std::vector<Group> groups;

    CLoadedResults();
    ~CLoadedResults();
    CLoadedResults(CLoadedResults&&) noexcept;
    CLoadedResults& operator=(CLoadedResults&&) noexcept;
};

// False with "Error parsing results: <parser text>".
bool ParseResultsText(std::string_view text, CLoadedResults& out, CString& error);
// False with "Error opening file <path>", "Error reading file <path>" or the parse error.
bool ReadResultsFile(const char* path, CLoadedResults& out, CString& error);
// False with "Error opening file <path> for writing"; the old file then stays.
bool WriteResultsFile(const char* path, const CBackTestResults& results, const CStrategySetup* setup, CString& error);
