// Binary records of the stream connections: types, encoder and defensive decoder.
// The layout is documented in PROTOCOL.md beside this file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qx::protocol {

inline constexpr uint8_t kMagic0 = 'Q';
inline constexpr uint8_t kMagic1 = 'X';
inline constexpr uint8_t kRecordVersion = 1;
inline constexpr size_t kHeaderSize = 12;
// Largest payload accepted on the wire, and largest payload after inflating.
inline constexpr uint32_t kMaxPayload = 1u << 20;
inline constexpr uint32_t kMaxInflated = 4u << 20;

// Header flag bits; the other bits must be zero.
inline constexpr uint8_t kFlagCompressed = 0x01;  // payload is u32 size + zlib stream
inline constexpr uint8_t kFlagSnapshot = 0x02;    // full image, not an update
inline constexpr uint8_t kKnownFlags = kFlagCompressed | kFlagSnapshot;

// Stream services (the subscription index of the session, 0 to 11) and the
// session-level pseudo service of heartbeats and status records.
enum class Service : uint8_t {
    Quote = 0,
    LevelII = 1,
    NyseBook = 2,
    InetBook = 3,
    Actives = 4,
    OptionBook = 5,
    OptionChain = 6,
    TimeSales = 7,
    Account = 8,
    Story = 9,
    TotalView = 10,
    News = 11,
    Session = 0xFF,
};
inline constexpr int kServiceCount = 12;

enum class RecordKind : uint8_t {
    Quote = 1,
    Trade = 2,
    Book = 3,
    Headlines = 4,
    Story = 5,
    Actives = 6,
    OptionChain = 7,
    AccountActivity = 8,
    Heartbeat = 9,
    Status = 10,
};

// One Level I field: id 0 to 110 and either a number or a text.
struct QuoteField {
    uint8_t id = 0;
    bool isText = false;
    double number = 0.0;
    std::string text;
    bool operator==(const QuoteField&) const = default;
};
inline constexpr uint8_t kMaxQuoteFieldId = 110;

struct QuoteRecord {
    std::string symbol;
    std::vector<QuoteField> fields;
    bool operator==(const QuoteRecord&) const = default;
};

// A trade (or, on the time and sales service, a bid or ask tick).
struct TradeRecord {
    std::string symbol;
    uint32_t feedTime = 0;  // 2-second units since 1950-01-01, exchange time
    uint8_t basCode = 0;    // 0 trade, 1 bid, 3 ask
    double price = 0.0;
    uint32_t size = 0;      // shares
    std::string exchange;
    std::vector<uint32_t> moreSizes;  // further trades at the same price and time
    uint64_t sequence = 0;  // the symbol's trade number, from 1; 0: not sent (an optional last field)
    bool operator==(const TradeRecord&) const = default;
};

struct BookRow {
    std::string participant;
    double price = 0.0;
    int32_t size = 0;
    std::string time;  // "HH:MM:SS" on TotalView rows, empty otherwise
    bool operator==(const BookRow&) const = default;
};

struct BookRecord {
    std::string symbol;
    std::string source;  // "L2", "NYSE", "INET", "OPRA" or "TV"
    std::vector<BookRow> bids;
    std::vector<BookRow> asks;
    bool operator==(const BookRecord&) const = default;
};

struct Headline {
    std::string symbol;
    int64_t time = 0;  // seconds since 1970-01-01 UTC
    std::string storyId;
    std::string note;  // flag letters, "H" hot
    std::string source;
    std::string text;
    std::string storyUrl;
    int32_t value = 0;
    std::vector<std::string> symbols;
    uint8_t keep = 0;
    bool operator==(const Headline&) const = default;
};

struct HeadlinesRecord {
    std::string key;  // symbol, "*ALL*" or "*HOT*"
    std::vector<Headline> headlines;
    bool operator==(const HeadlinesRecord&) const = default;
};

struct StoryRecord {
    std::string storyId;
    std::string headline;
    std::string body;  // HTML
    bool operator==(const StoryRecord&) const = default;
};

struct ActivesRow {
    std::string symbol;
    uint32_t count = 0;
    uint64_t volume = 0;
    bool operator==(const ActivesRow&) const = default;
};

struct ActivesRecord {
    std::string key;  // exchange key "-" interval key
    std::vector<ActivesRow> byTrades;
    std::vector<ActivesRow> byVolume;
    bool operator==(const ActivesRecord&) const = default;
};

struct OptionChainRecord {
    std::string definition;
    std::vector<std::string> symbols;
    bool operator==(const OptionChainRecord&) const = default;
};

enum class ActivityKind : uint8_t {
    OrderAccepted = 1,
    OrderFilled = 2,
    OrderPartiallyFilled = 3,
    OrderCanceled = 4,
    OrderReplaced = 5,
    OrderRejected = 6,
    SavedOrdersChanged = 7,
    WatchlistsChanged = 8,
    BalancesChanged = 9,
};

struct AccountActivityRecord {
    std::string account;
    uint8_t kind = 0;  // ActivityKind
    std::string orderId;
    std::string symbol;
    std::string action;
    double quantity = 0.0;
    double price = 0.0;
    std::string text;
    bool operator==(const AccountActivityRecord&) const = default;
};

struct HeartbeatRecord {
    int64_t serverTimeMs = 0;  // milliseconds since 1970-01-01 UTC
    uint32_t sequence = 0;
    bool operator==(const HeartbeatRecord&) const = default;
};

enum class StatusCode : uint16_t {
    LoggedIn = 0,
    LoginRefused = 1,
    BadRequest = 2,
    SubscriptionRefused = 3,
    Closing = 4,
};

struct StatusRecord {
    uint16_t code = 0;  // StatusCode
    std::string text;
    bool operator==(const StatusRecord&) const = default;
};

// Text of a SubscriptionRefused status for a QUOTE or TIMESALE item the server does not
// know: this prefix and the item.
inline constexpr std::string_view kUnknownSymbolPrefix = "Unknown symbol: ";
// The item a refusal names as unknown; false for any other refusal.
bool ParseUnknownSymbol(const StatusRecord& status, std::string& symbol);

using RecordBody = std::variant<QuoteRecord, TradeRecord, BookRecord, HeadlinesRecord, StoryRecord,
                                ActivesRecord, OptionChainRecord, AccountActivityRecord,
                                HeartbeatRecord, StatusRecord>;

struct StreamRecord {
    uint8_t service = 0;  // Service
    uint8_t flags = 0;    // kFlagSnapshot survives decoding; kFlagCompressed is consumed
    RecordBody body;
    RecordKind Kind() const;
    bool operator==(const StreamRecord&) const = default;
};

// Why a record or a stretch of bytes was dropped.
enum class DropReason : uint8_t {
    None = 0,
    BadMagic,        // bytes before the next magic were skipped
    BadHeader,       // magic found but the header check failed
    Oversized,       // declared payload above kMaxPayload
    UnknownVersion,  // skipped by its length
    UnknownKind,     // skipped by its length
    UnknownFlags,    // skipped by its length
    BadPayload,      // truncated, mistyped or trailing bytes
    BadCompression,  // inflating failed or gave another size
};
const char* DropReasonText(DropReason reason);

enum class DecodeStatus : uint8_t { Record, NeedMore, Dropped };

struct DecodeResult {
    DecodeStatus status = DecodeStatus::NeedMore;
    DropReason reason = DropReason::None;
    size_t consumed = 0;  // bytes to discard from the front of the input
};

// Encodes one record. With compress set the payload is deflated (only kept
// when that makes it smaller).
std::vector<uint8_t> EncodeRecord(const StreamRecord& record, bool compress = false);

// Builds a record from raw parts, for tests and for deliberately broken records.
std::vector<uint8_t> EncodeFrame(uint8_t service, uint8_t kind, uint8_t flags,
                                 const std::vector<uint8_t>& payload, uint8_t version = kRecordVersion);

// The payload of a record body alone (no header).
std::vector<uint8_t> EncodePayload(const RecordBody& body);

// Decodes the record at the front of data. Never reads outside [data, data+size).
// NeedMore: consumed is 0. Dropped: consumed bytes are to be skipped (at least 1).
DecodeResult DecodeRecord(const uint8_t* data, size_t size, StreamRecord& out);

// Decodes a payload of the given kind; false when it is malformed.
bool DecodePayload(RecordKind kind, const uint8_t* data, size_t size, RecordBody& out);

// The service a record kind travels on by default.
uint8_t DefaultService(const RecordBody& body);

}  // namespace qx::protocol
