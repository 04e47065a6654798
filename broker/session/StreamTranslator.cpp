#include "broker/session/StreamTranslator.h"

#include "broker/session/SessionMessages.h"

#include <cmath>
#include <variant>

using namespace qx::protocol;

namespace {

CString Text(const std::string& s)
{
    return CString(s);
}

std::vector<CBookMessageRow> Rows(const std::vector<BookRow>& rows)
{
    std::vector<CBookMessageRow> out;
    out.reserve(rows.size());
    for (const BookRow& row : rows)
        out.push_back({Text(row.participant), row.price, row.size, Text(row.time)});
    return out;
}

std::vector<CActivesRow> Ranked(const std::vector<ActivesRow>& rows)
{
    std::vector<CActivesRow> out;
    out.reserve(rows.size());
    for (const ActivesRow& row : rows)
        out.push_back({Text(row.symbol), row.count, row.volume});
    return out;
}

} // namespace

void TranslateStreamRecord(const StreamRecord& record, std::vector<std::unique_ptr<CSessionMessage>>& out)
{
    std::visit(
        [&](const auto& body) {
            using T = std::decay_t<decltype(body)>;
            if constexpr (std::is_same_v<T, QuoteRecord>) {
                // One message per record, so a full image is applied at once.
                auto message = std::make_unique<CQuoteMessage>();
                message->m_symbol = Text(body.symbol);
                for (const QuoteField& field : body.fields) {
                    if (field.id > kMaxQuoteFieldId)
                        continue;
                    if (field.isText)
                        message->AddText(field.id, Text(field.text));
                    else if (std::isfinite(field.number))
                        message->AddField(field.id, field.number);
                }
                out.push_back(std::move(message));
            } else if constexpr (std::is_same_v<T, TradeRecord>) {
                // Trades come with the quote service; time and sales repeats them with its bid and
                // ask ticks, which would count every trade twice.
                if (record.service != static_cast<uint8_t>(Service::Quote) || body.basCode != 0 ||
                    !std::isfinite(body.price))
                    return;
                auto message = std::make_unique<CTradeMessage>();
                message->m_symbol = Text(body.symbol);
                message->m_price = body.price;
                message->m_size = static_cast<int>((body.size + 50) / 100);
                message->m_exchange = Text(body.exchange);
                message->m_feedTime = body.feedTime;
                message->m_sequence = body.sequence;
                for (uint32_t size : body.moreSizes)
                    message->m_moreSizes.push_back(static_cast<int>((size + 50) / 100));
                out.push_back(std::move(message));
            } else if constexpr (std::is_same_v<T, BookRecord>) {
                auto message = std::make_unique<CBookMessage>();
                message->m_symbol = Text(body.symbol);
                message->m_source = Text(body.source);
                message->m_bids = Rows(body.bids);
                message->m_asks = Rows(body.asks);
                out.push_back(std::move(message));
            } else if constexpr (std::is_same_v<T, HeadlinesRecord>) {
                auto message = std::make_unique<CNewsMessage>();
                message->m_key = Text(body.key);
                for (const Headline& h : body.headlines) {
                    CNewsHeadline headline;
                    headline.symbol = Text(h.symbol);
                    headline.time = h.time;
                    headline.storyId = Text(h.storyId);
                    headline.note = Text(h.note);
                    headline.source = Text(h.source);
                    headline.headline = Text(h.text);
                    headline.storyUrl = Text(h.storyUrl);
                    headline.value = h.value;
                    for (const std::string& s : h.symbols)
                        headline.symbols.push_back(Text(s));
                    headline.keep = h.keep;
                    message->m_headlines.push_back(std::move(headline));
                }
                out.push_back(std::move(message));
            } else if constexpr (std::is_same_v<T, ActivesRecord>) {
                auto message = std::make_unique<CActivesMessage>();
                message->m_key = Text(body.key);
                message->m_lists[0] = Ranked(body.byTrades);
                message->m_lists[1] = Ranked(body.byVolume);
                out.push_back(std::move(message));
            } else if constexpr (std::is_same_v<T, AccountActivityRecord>) {
                if (body.kind != static_cast<uint8_t>(ActivityKind::OrderFilled) &&
                    body.kind != static_cast<uint8_t>(ActivityKind::OrderPartiallyFilled))
                    return;
                auto message = std::make_unique<COrderFillMessage>();
                message->m_symbol = Text(body.symbol);
                message->m_orderId = Text(body.orderId);
                message->m_text = Text(body.text);
                out.push_back(std::move(message));
            }
        },
        record.body);
}
