#include "views/MMLog.h"

#include "common/services/TextHelpers.h"

#include <cstdio>

namespace {

constexpr COLORREF kGreen = 0x0000FF00;
constexpr COLORREF kRed = 0x000000FF;
constexpr int kTextBuffer = 100;

struct CAction {
    const char* text;
    COLORREF color;
};
constexpr CAction kActions[8] = {{"Bid Size Down", kRed},   {"Bid Size Up", kGreen},   {"Bid Price Down", kRed},
                                 {"Bid Price Up", kGreen},  {"Ask Size Down", kGreen}, {"Ask Size Up", kRed},
                                 {"Ask Price Down", kRed},  {"Ask Price Up", kGreen}};

const CAction& ActionOf(const CMMLogEntry& entry)
{
    const int index = (entry.side ? 4 : 0) + (entry.kind ? 2 : 0) + (entry.up ? 1 : 0);
    return kActions[index];
}

bool ReadText(const CMarketDepthHandle& handle, int side, int index, int field, CString& out)
{
    char buffer[kTextBuffer];
    const bool ok = side == 0 ? handle.GetBidText(index, field, buffer, sizeof buffer)
                              : handle.GetAskText(index, field, buffer, sizeof buffer);
    if (ok)
        out = buffer;
    return ok;
}

bool ReadDirection(const CMarketDepthHandle& handle, int side, int index, int field, int& direction)
{
    DWORD raw = 0;
    const bool ok = side == 0 ? handle.GetBidValue(index, field, &raw) : handle.GetAskValue(index, field, &raw);
    direction = ok ? DepthDirection(raw) : 0;
    return ok;
}

// A text as the log shows it: "0" when it could not be read, a fraction as a decimal.
CString Shown(bool read, const CString& text)
{
    if (!read)
        return "0";
    if (text.Find('/') < 0)
        return text;
    CString decimal;
    decimal.Format("%.2lf", ParseMixedFraction(text));
    return decimal;
}

} // namespace

const char* MMLogActionText(const CMMLogEntry& entry)
{
    return ActionOf(entry).text;
}

COLORREF MMLogTextColor(const CMMLogEntry& entry)
{
    return ActionOf(entry).color;
}

CString MMLogColumnText(const CMMLogEntry& entry, int column)
{
    const CString mark = entry.up ? "+" : "-";
    const bool sizeMove = entry.kind == 0;
    switch (column) {
    case 0: return entry.participant;
    case 1:
    case 2: {
        const bool moved = (column == 1) == sizeMove;
        const CString& bid = column == 1 ? entry.bidSize : entry.bidPrice;
        const CString& ask = column == 1 ? entry.askSize : entry.askPrice;
        return (moved && entry.side == 0 ? mark : CString()) + bid + " x " + ask +
               (moved && entry.side == 1 ? mark : CString());
    }
    case 3: return MMLogActionText(entry);
    case 4: return entry.time;
    default: return CString();
    }
}

CLevel2DepthListener::CLevel2DepthListener(IMMLogSink& sink) : m_sink(sink) {}

void CLevel2DepthListener::OnDepthChange(CMarketDepthHandle* handle, DWORD kind, DWORD side, DWORD index,
                                         DWORD flags)
{
    if (kind == 0) {
        m_sink.PostTitleRefresh();
        return;
    }
    if (kind != 1 || !handle || side > 1 || !(flags & (kDepthPriceMoved | kDepthSizeMoved)))
        return;
    if ((flags & kDepthPriceMoved) && (flags & kDepthSizeMoved)) {
        OnDepthChange(handle, kind, side, index, kDepthPriceMoved);
        flags = kDepthSizeMoved;
    }
    const int s = static_cast<int>(side);
    const int i = static_cast<int>(index);
    auto entry = std::make_unique<CMMLogEntry>();
    entry->side = s;
    int direction = 0;
    if ((flags & kDepthPriceMoved) && ReadDirection(*handle, s, i, 5, direction) && direction != 0) {
        entry->kind = 1;
    } else if (ReadDirection(*handle, s, i, 4, direction) && direction != 0) {
        // A price move without a direction is told by its size.
        entry->kind = 0;
    } else {
        return;
    }
    entry->up = direction > 0 ? 1 : 0;
    if (!ReadText(*handle, s, i, 3, entry->participant) || !ReadText(*handle, s, i, 0, entry->time))
        return;
    // The participant's level on the other side, if it quotes there.
    const int other = 1 - s;
    int found = -1;
    const int count = other == 0 ? handle->GetBidCount() : handle->GetAskCount();
    for (int k = 0; k < count && found < 0; ++k) {
        CString participant;
        if (ReadText(*handle, other, k, 3, participant) && participant == entry->participant)
            found = k;
    }
    for (int field : {1, 2}) {
        CString moved, across;
        const bool movedRead = ReadText(*handle, s, i, field, moved);
        const bool acrossRead = found >= 0 && ReadText(*handle, other, found, field, across);
        CString& bid = field == 1 ? entry->bidPrice : entry->bidSize;
        CString& ask = field == 1 ? entry->askPrice : entry->askSize;
        bid = s == 0 ? Shown(movedRead, moved) : Shown(acrossRead, across);
        ask = s == 1 ? Shown(movedRead, moved) : Shown(acrossRead, across);
    }
    if (m_last && *m_last == *entry)
        return;
    m_last = std::make_unique<CMMLogEntry>(*entry);
    m_sink.PostEntry(std::move(entry));
}

void CMMLog::Add(std::unique_ptr<CMMLogEntry> entry)
{
    if (!entry)
        return;
    m_entries.push_front(std::move(entry));
    while (m_entries.size() > kMaxEntries)
        m_entries.pop_back();
}
