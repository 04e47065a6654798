#include "views/Level2Book.h"

#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/QuoteFields.h"
#include "common/services/CAppSettings.h"
#include "common/services/TextHelpers.h"

#include <cmath>

namespace {

constexpr int kTextBuffer = 100;
constexpr int kSummaryTextBuffer = 30;

CString Mark(int direction)
{
    return direction > 0 ? "+" : direction < 0 ? "-" : "";
}

bool ReadText(const CMarketDepthHandle& handle, int side, int index, int field, CString& out)
{
    char buffer[kTextBuffer];
    const bool ok = side == 0 ? handle.GetBidText(index, field, buffer, sizeof buffer)
                              : handle.GetAskText(index, field, buffer, sizeof buffer);
    out = ok ? CString(buffer) : CString();
    return ok;
}

bool ReadValue(const CMarketDepthHandle& handle, int side, int index, int field, DWORD& out)
{
    return side == 0 ? handle.GetBidValue(index, field, &out) : handle.GetAskValue(index, field, &out);
}

} // namespace

std::vector<CBookColumn> BookColumns(bool timeMode, int side)
{
    const char* price = side == 0 ? "Bid" : "Ask";
    if (timeMode)
        return {{"MPID", 55, kBookParticipant}, {price, 55, kBookPrice}, {"Shares", 50, kBookSize}, {"Time", 55, kBookTime}};
    return {{"MPID", 70, kBookParticipant},
            {price, 55, kBookPrice},
            {"", 20, kBookPriceMark},
            {"Shares", 50, kBookSize},
            {"", 20, kBookSizeMark}};
}

std::vector<int> BookBands(const std::vector<CString>& priceTexts)
{
    std::vector<int> bands(priceTexts.size(), 0);
    for (size_t i = 1; i < priceTexts.size(); ++i)
        bands[i] = priceTexts[i] == priceTexts[i - 1] ? bands[i - 1] : (bands[i - 1] + 1) % 5;
    return bands;
}

void ReadBookRows(const CMarketDepthHandle& handle, int side, bool timeMode,
                  const std::array<COLORREF, 5>& levelColors, std::vector<CBookRow>& rows)
{
    const int count = side == 0 ? handle.GetBidCount() : handle.GetAskCount();
    rows.assign(static_cast<size_t>(count), CBookRow{});
    std::vector<CString> prices(rows.size());
    for (int i = 0; i < count; ++i) {
        CBookRow& row = rows[static_cast<size_t>(i)];
        for (const CBookColumn& column : BookColumns(timeMode, side)) {
            if (column.text == kBookSizeMark || column.text == kBookPriceMark) {
                DWORD raw = 0;
                const int field = column.text == kBookSizeMark ? 4 : 5;
                row.texts[static_cast<size_t>(column.text)] =
                    ReadValue(handle, side, i, field, raw) ? Mark(DepthDirection(raw)) : CString();
            } else {
                ReadText(handle, side, i, column.text, row.texts[static_cast<size_t>(column.text)]);
            }
        }
        double price = 0;
        if (side == 0 ? handle.GetBidPrice(i, &price) : handle.GetAskPrice(i, &price))
            row.price = price;
        prices[static_cast<size_t>(i)] = row.texts[kBookPrice];
    }
    const std::vector<int> bands = BookBands(prices);
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].band = bands[i];
        rows[i].color = levelColors[static_cast<size_t>(bands[i])];
    }
}

CDepthGroups GroupDepth(const CMarketDepthHandle& handle)
{
    CDepthGroups groups;
    for (int side = 0; side < 2; ++side) {
        std::vector<long long>& out = side == 0 ? groups.bids : groups.asks;
        const int count = side == 0 ? handle.GetBidCount() : handle.GetAskCount();
        DWORD groupPrice = 0;
        for (int i = 0; i < count; ++i) {
            DWORD price = 0, size = 0;
            if (!ReadValue(handle, side, i, 1, price) || !ReadValue(handle, side, i, 2, size))
                continue;
            if (out.empty() || price != groupPrice) {
                if (out.size() == kMaxDepthGroups)
                    break;
                out.push_back(0);
                groupPrice = price;
            }
            out.back() += static_cast<int32_t>(size);
            groups.total += static_cast<int32_t>(size);
        }
    }
    return groups;
}

std::vector<CDepthBlock> LayOutDepthBar(const CDepthGroups& groups, int itemWidth)
{
    std::vector<CDepthBlock> blocks;
    const long long room = itemWidth - kDepthSeparatorWidth;
    if (groups.total <= 0 || room <= 0)
        return blocks;
    auto widthOf = [&](long long size) {
        const int w = static_cast<int>(std::trunc(static_cast<double>(size) * static_cast<double>(room) /
                                                  static_cast<double>(groups.total) + 0.5));
        return w > 0 ? w : 2;
    };
    int x = 0;
    for (size_t g = groups.bids.size(); g-- > 0;) {
        const int w = widthOf(groups.bids[g]);
        blocks.push_back({x, w, static_cast<int>(g % 5)});
        x += w;
    }
    blocks.push_back({x, kDepthSeparatorWidth, -1});
    x += kDepthSeparatorWidth;
    for (size_t g = 0; g < groups.asks.size(); ++g) {
        const int w = widthOf(groups.asks[g]);
        blocks.push_back({x, w, static_cast<int>(g % 5)});
        x += w;
    }
    return blocks;
}

void UpdateSummaryCell(CSnapshotField& cell, std::optional<double> value, const std::optional<CString>& text)
{
    cell.valueText = text ? text->Left(kSummaryTextBuffer - 1) : CString("   ");
    if (!value)
        return;
    if (cell.tickMode == kTickAgainstPrevious && cell.previousValue != 0.0) {
        if (cell.fieldId == kFieldHigh || cell.fieldId == kFieldLow)
            cell.tickDirection = kTickFlat;
        if (*value > cell.previousValue)
            cell.tickDirection = kTickUp;
        else if (*value < cell.previousValue)
            cell.tickDirection = kTickDown;
    } else if (cell.tickMode == kTickAgainstZero) {
        if (*value > 0)
            cell.tickDirection = kTickUp;
        else if (*value < 0)
            cell.tickDirection = kTickDown;
    }
    cell.previousValue = *value;
}

CString Level2HandleText(const CString& symbolText, int sourceChoice)
{
    CString prefix;
    CString symbol = symbolText;
    const int colon = symbolText.Find(':');
    if (colon >= 0) {
        prefix = symbolText.Left(colon);
        symbol = symbolText.Mid(colon + 1);
    }
    switch (sourceChoice) {
    case kSourceInet: prefix = "INET"; break;
    case kSourceTotalView: prefix = "TV"; break;
    case kSourceLevel2: prefix = symbol.GetLength() < 4 ? "NYSE" : "L2"; break;
    default: break;
    }
    return prefix.IsEmpty() ? symbol : prefix + ":" + symbol;
}

CString Level2Title(const CString& handleTitle, const CString& source, bool hasHandle)
{
    if (!hasHandle)
        return "Level II";
    const char* label = source.CompareNoCase("TV") == 0     ? "TotalView"
                        : source.CompareNoCase("INET") == 0 ? "INET Book"
                                                            : "Level II";
    return handleTitle + ", " + label;
}

CLevel2Layout LayOutLevel2(int cx, int cy, int fontHeight, bool logShown)
{
    const int h = fontHeight;
    const int half = std::max((cx - 4) / 2, 0);
    int lists = cy - h - 16;
    int log = 0;
    if (logShown) {
        lists = static_cast<int>(std::trunc(lists * 0.7));
        log = cy - lists - h - 17;
    }
    lists = std::max(lists, 0);
    log = std::max(log, 0);
    CLevel2Layout layout;
    layout.summary = CRect(0, 0, cx, h);
    layout.bar = CRect(0, h + 1, cx, h + 16);
    layout.bids = CRect(0, h + 17, half, h + 17 + lists);
    layout.asks = CRect(half + 4, h + 17, half + 4 + half, h + 17 + lists);
    layout.log = logShown ? CRect(0, cy - log, cx, cy) : CRect(0, 0, 0, 0);
    return layout;
}

COrderRecord MakeBookOrder(const CString& symbol, const CString& source, int side, double price,
                           const CString& participant, const CAppSettings& settings)
{
    const int kind = GetSymbolKind(symbol) == kSymbolOption ? 1 : 0;
    COrderRecord order(kind, settings);
    order.symbol = symbol;
    order.action = side == 0 ? 1 : 0;
    order.price = price;
    const int group = source.CompareNoCase("INET") == 0 ? 2 : 1;
    const CTradingDefaultsRow& row = settings.m_tradingDefaults.Row(settings.m_nBroker);
    order.orderType = row.orderTypes[static_cast<size_t>(group)];
    order.route = row.routes[static_cast<size_t>(group)];
    order.instructions = row.instructions[static_cast<size_t>(group)];
    order.expire = row.expires[static_cast<size_t>(group)];
    if (participant.CompareNoCase("INET") == 0)
        order.route = "NSDQ (INET)";
    else if (participant == "ARCA")
        order.route = "ARCA";
    return order;
}
