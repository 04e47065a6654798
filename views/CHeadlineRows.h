// The rows of a headline list: one owned copy of each story's latest headline, at most
// a bounded number of them (the oldest by time go first).
#pragma once

#include "broker/session/SessionMessages.h"

#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

class CHeadlineRows {
public:
    static constexpr size_t kDefaultLimit = 10000;

    struct CMerge {
        // New rows, in arrival order (a list shows the last one on top).
        std::vector<CNewsHeadline*> inserted;
        // Rows whose record was overwritten in place.
        std::vector<CNewsHeadline*> updated;
        // Rows beyond the bound: the caller takes them out of its list, then lets go.
        std::vector<std::unique_ptr<CNewsHeadline>> removed;
        // Symbols of the new headlines that may alert (keep byte clear), each once.
        std::vector<CString> alertSymbols;
    };

    explicit CHeadlineRows(size_t limit = kDefaultLimit);

    // Merges headlines in order: a story already listed is overwritten in place (and
    // never alerts; it stays read unless its headline changed); any other is a new row.
    CMerge Merge(const std::vector<CNewsHeadline>& headlines);
    // Every row goes (the caller empties its list first).
    void Clear();
    size_t Count() const { return m_rows.size(); }
    const CNewsHeadline* Find(const CString& storyId) const;
    // Sets the read byte of a row.
    static void MarkRead(CNewsHeadline& row) { row.read = 1; }

private:
    struct CRow {
        std::unique_ptr<CNewsHeadline> record;
        uint64_t order;
    };
    using Age = std::pair<int64_t, uint64_t>; // time, arrival

    size_t m_limit;
    uint64_t m_next = 0;
    std::unordered_map<CString, CRow> m_rows;
    std::set<std::pair<Age, CString>> m_byAge;
};
