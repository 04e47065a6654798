// Stream records parsed from any bytes, turned into session messages and applied to the
// quote, depth and news stores, with handles and listeners on every symbol, book and
// news key the records name (so the stores do their work), then read back through them.
#include "broker/protocol/CStreamRecordParser.h"
#include "broker/session/CMarketDepthHandle.h"
#include "broker/session/CNewsRegistry.h"
#include "broker/session/CSessionManager.h"
#include "broker/session/CSymbolHandle.h"
#include "broker/session/QuoteFields.h"
#include "broker/session/StreamTranslator.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cmath>
#include <cstring>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

struct NewsCounter : CNewsCallback {
    void OnNewsChange(CNewsListener*, int first, int last) override { FuzzCheck(first <= last || last < 0); }
};

constexpr size_t kMaxHandles = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qx::protocol;
    CSessionManager manager(CString(QX_FUZZ_SESSION_DIR), CSessionConfig{}, nullptr, nullptr);
    std::map<std::string, CSymbolHandle*> quotes;
    std::map<std::string, CMarketDepthHandle*> books;
    std::map<std::string, std::unique_ptr<CNewsListener>> news;
    NewsCounter counter;
    auto watch = [&](const std::string& symbol) {
        if (quotes.size() < kMaxHandles && !quotes.count(symbol))
            if (CSymbolHandle* h = manager.CreateSymbolHandle(symbol.c_str())) {
                h->Subscribe();
                quotes[symbol] = h;
            }
    };

    CStreamRecordParser parser;
    parser.Feed(data, size);
    StreamRecord record;
    std::vector<std::unique_ptr<CSessionMessage>> messages;
    while (parser.Next(record)) {
        if (const auto* q = std::get_if<QuoteRecord>(&record.body))
            watch(q->symbol);
        else if (const auto* t = std::get_if<TradeRecord>(&record.body))
            watch(t->symbol);
        else if (const auto* b = std::get_if<BookRecord>(&record.body)) {
            const std::string text = b->source + ":" + b->symbol;
            if (books.size() < kMaxHandles && !books.count(text))
                if (CMarketDepthHandle* h = manager.CreateMarketDepthHandle(text.c_str())) {
                    h->Subscribe();
                    books[text] = h;
                }
        } else if (const auto* n = std::get_if<HeadlinesRecord>(&record.body)) {
            if (news.size() < kMaxHandles && !news.count(n->key)) {
                auto listener = std::make_unique<CNewsListener>();
                listener->callback = &counter;
                bool existed = false;
                manager.GetNewsRegistry().AddListener(CString(n->key), listener.get(), &existed);
                news[n->key] = std::move(listener);
            }
        }
        messages.clear();
        TranslateStreamRecord(record, messages);
        for (auto& message : messages)
            manager.ApplyMessage(*message);
    }

    // What the stores hold reads back through the handles.
    for (auto& [symbol, handle] : quotes) {
        for (int id = 0; id < kQuoteFieldCount; ++id)
            (void)handle->GetDouble(id);
        manager.DeleteSymbolHandle(handle);
    }
    for (auto& [text, handle] : books) {
        char buffer[64];
        DWORD value = 0;
        for (int i = 0; i < handle->GetBidCount(); ++i)
            for (int field = 0; field < 4; ++field) {
                handle->GetBidValue(i, field, &value);
                FuzzCheck(!handle->GetBidText(i, field, buffer, sizeof buffer) || std::strlen(buffer) < sizeof buffer);
            }
        for (int i = 0; i < handle->GetAskCount(); ++i)
            for (int field = 0; field < 4; ++field) {
                handle->GetAskValue(i, field, &value);
                FuzzCheck(!handle->GetAskText(i, field, buffer, sizeof buffer) || std::strlen(buffer) < sizeof buffer);
            }
        manager.DeleteMarketDepthHandle(handle);
    }
    CNewsRegistry& registry = manager.GetNewsRegistry();
    for (auto& [key, listener] : news) {
        {
            std::lock_guard<std::recursive_mutex> lock(registry.GetLock());
            if (CNewsEntry* entry = registry.Lookup(CString(key)))
                for (int i = 0; i < static_cast<int>(entry->headlines.size()); ++i)
                    FuzzCheck(CNewsRegistry::GetHeadline(*entry, i).storyId.GetLength() >= 0);
        }
        registry.RemoveListener(CString(key), listener.get());
    }
    return 0;
}
