// Feeds arbitrary bytes to the stream record parser in uneven pieces (and
// every decoded record back through the encoder), to the stream request
// parser, to the history reply parser and to the reader of its newest-trade header.
#include "broker/protocol/CStreamRecordParser.h"
#include "broker/protocol/HistoryFormat.h"
#include "broker/protocol/StreamRequest.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace qx::protocol;
    CStreamRecordParser parser;
    size_t pos = 0;
    size_t step = 1;
    StreamRecord record;
    while (pos < size) {
        const size_t n = step < size - pos ? step : size - pos;
        parser.Feed(data + pos, n);
        pos += n;
        step = step * 3 % 61 + 1;
        while (parser.Next(record)) {
            // A record that decodes must survive its own encoding unchanged.
            const auto bytes = EncodeRecord(record);
            StreamRecord again;
            const DecodeResult r = DecodeRecord(bytes.data(), bytes.size(), again);
            // (Values are not compared: a NaN price never equals itself.)
            if (r.status != DecodeStatus::Record || r.consumed != bytes.size())
                std::abort();
        }
    }
    const auto& stats = parser.GetStats();
    if (stats.bytesSkipped > size)
        std::abort();

    // The same bytes as a stream request line must parse or be refused, never crash.
    StreamRequest request;
    std::string error;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ParseStreamRequest(text, request, error);
    // And as a history reply.
    std::vector<HistoryBar> bars;
    ParseHistoryReply(text, kDefaultHistoryFields, bars, error);
    uint64_t newestTrade = 0;
    ParseHistoryAsOf(text, newestTrade);
    return 0;
}
