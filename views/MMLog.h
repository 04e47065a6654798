// The market-maker log of the Level II window: entries for the price and size moves of
// single participants on the books that track them, made by the depth listener on the
// session's dispatcher thread and kept, newest first, by the log on the window's thread.
#pragma once

#include "broker/session/CMarketDepthHandle.h"
#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <deque>
#include <memory>

struct CMMLogEntry {
    CString participant;
    CString time;
    int side = 0; // 0 a bid moved, 1 an ask moved
    int kind = 0; // 1 a price move, 0 a size move
    int up = 0;   // 1 upward, 0 downward
    CString bidPrice;
    CString bidSize;
    CString askPrice;
    CString askSize;

    bool operator==(const CMMLogEntry&) const = default;
};

// "Bid Size Down" ... "Ask Price Up", by side x 4 + kind x 2 + up.
const char* MMLogActionText(const CMMLogEntry& entry);
// Green for a move that favours buyers' interest (bid up, ask size down, ask price up),
// red for the others, as the action table gives them.
COLORREF MMLogTextColor(const CMMLogEntry& entry);

struct CMMLogColumn {
    const char* title;
    int width;
};
inline constexpr CMMLogColumn kMMLogColumns[5] = {
    {"MPID", 60}, {"Bid x Ask Size", 100}, {"Bid x Ask", 100}, {"Action", 100}, {"Time", 60}};
// Text of column 0 to 4: participant; sizes and prices as "bid x ask" with the move mark
// ("+" or "-") before the bid or after the ask that moved; action; time.
CString MMLogColumnText(const CMMLogEntry& entry, int column);

// Where the listener hands its work; called on the dispatcher thread with the depth store
// locked, so both only post to the window. False when the window is gone.
class IMMLogSink {
public:
    virtual ~IMMLogSink() = default;
    // The book held data already when the window subscribed: refresh the title.
    virtual bool PostTitleRefresh() = 0;
    virtual bool PostEntry(std::unique_ptr<CMMLogEntry> entry) = 0;
};

// The Level II window's depth listener. One call yields at most one entry, the same move
// twice in a row (same participant, side, kind, direction, time and texts) one entry.
// Entries take the level's own time text, empty when the level has none.
class CLevel2DepthListener : public CMarketDepthListener {
public:
    explicit CLevel2DepthListener(IMMLogSink& sink);

    void OnDepthChange(CMarketDepthHandle* handle, DWORD kind, DWORD side, DWORD index, DWORD flags) override;

private:
    IMMLogSink& m_sink;
    std::unique_ptr<CMMLogEntry> m_last;
};

// The log's entries, newest first, at most kMaxEntries.
class CMMLog {
public:
    static constexpr size_t kMaxEntries = 100;
    void Add(std::unique_ptr<CMMLogEntry> entry);
    void Clear() { m_entries.clear(); }
    size_t Size() const { return m_entries.size(); }
    const CMMLogEntry& At(size_t i) const { return *m_entries[i]; }

private:
    std::deque<std::unique_ptr<CMMLogEntry>> m_entries;
};
