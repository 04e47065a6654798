#include "broker/protocol/StreamRecord.h"

#include <algorithm>

#include <zlib.h>

#include <cstring>
#include <limits>
#include <type_traits>

namespace qx::protocol {

namespace {

// Type tags of the payload fields.
enum Tag : uint8_t {
    kTagU8 = 1,
    kTagI32 = 2,
    kTagU32 = 3,
    kTagI64 = 4,
    kTagU64 = 5,
    kTagF64 = 6,
    kTagStr = 7,   // u16 length, bytes
    kTagList = 8,  // u16 element count
    kTagText = 9,  // u32 length, bytes
};

constexpr uint8_t kCheckSeed = 0xA5;
constexpr size_t kMaxShortString = 0xFFFF;
constexpr size_t kMaxList = 0xFFFF;

class PayloadWriter {
public:
    explicit PayloadWriter(std::vector<uint8_t>& out) : m_out(out) {}

    void U8(uint8_t v) { Tagged(kTagU8, &v, 1); }
    void I32(int32_t v) { Fixed(kTagI32, static_cast<uint32_t>(v)); }
    void U32(uint32_t v) { Fixed(kTagU32, v); }
    void I64(int64_t v) { Fixed(kTagI64, static_cast<uint64_t>(v)); }
    void U64(uint64_t v) { Fixed(kTagU64, v); }
    void F64(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Fixed(kTagF64, bits);
    }
    void Str(const std::string& s)
    {
        const size_t n = s.size() < kMaxShortString ? s.size() : kMaxShortString;
        m_out.push_back(kTagStr);
        PutLe(static_cast<uint16_t>(n));
        m_out.insert(m_out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    }
    void Text(const std::string& s)
    {
        const size_t n = s.size() < kMaxInflated ? s.size() : kMaxInflated;
        m_out.push_back(kTagText);
        PutLe(static_cast<uint32_t>(n));
        m_out.insert(m_out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
    }
    // Writes the count (clamped) and returns how many elements to write.
    size_t List(size_t count)
    {
        const size_t n = count < kMaxList ? count : kMaxList;
        m_out.push_back(kTagList);
        PutLe(static_cast<uint16_t>(n));
        return n;
    }

private:
    template <typename T>
    void PutLe(T v)
    {
        for (size_t i = 0; i < sizeof(T); ++i)
            m_out.push_back(static_cast<uint8_t>(static_cast<uint64_t>(v) >> (8 * i)));
    }
    template <typename T>
    void Fixed(uint8_t tag, T v)
    {
        m_out.push_back(tag);
        PutLe(v);
    }
    void Tagged(uint8_t tag, const uint8_t* p, size_t n)
    {
        m_out.push_back(tag);
        m_out.insert(m_out.end(), p, p + n);
    }

    std::vector<uint8_t>& m_out;
};

class PayloadReader {
public:
    PayloadReader(const uint8_t* data, size_t size) : m_p(data), m_end(data + size) {}

    bool U8(uint8_t& v) { return Tag(kTagU8) && Le(v); }
    bool I32(int32_t& v) { return Signed(kTagI32, v); }
    bool U32(uint32_t& v) { return Tag(kTagU32) && Le(v); }
    bool I64(int64_t& v) { return Signed(kTagI64, v); }
    bool U64(uint64_t& v) { return Tag(kTagU64) && Le(v); }
    bool F64(double& v)
    {
        uint64_t bits;
        if (!Tag(kTagF64) || !Le(bits))
            return false;
        std::memcpy(&v, &bits, sizeof v);
        return true;
    }
    bool Str(std::string& s)
    {
        uint16_t n;
        return Tag(kTagStr) && Le(n) && Bytes(s, n);
    }
    bool Text(std::string& s)
    {
        uint32_t n;
        return Tag(kTagText) && Le(n) && n <= kMaxInflated && Bytes(s, n);
    }
    // Element count; refuses counts that the remaining bytes cannot hold
    // (every element takes at least min bytes).
    bool List(size_t& count, size_t minElement)
    {
        uint16_t n;
        if (!Tag(kTagList) || !Le(n))
            return false;
        if (static_cast<size_t>(n) * minElement > Remaining())
            return false;
        count = n;
        return true;
    }
    uint8_t PeekTag() const { return m_p < m_end ? *m_p : 0; }
    bool AtEnd() const { return m_p == m_end; }

private:
    size_t Remaining() const { return static_cast<size_t>(m_end - m_p); }
    bool Tag(uint8_t tag)
    {
        if (Remaining() < 1 || *m_p != tag)
            return false;
        ++m_p;
        return true;
    }
    template <typename T>
    bool Le(T& v)
    {
        if (Remaining() < sizeof(T))
            return false;
        uint64_t acc = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            acc |= static_cast<uint64_t>(m_p[i]) << (8 * i);
        v = static_cast<T>(acc);
        m_p += sizeof(T);
        return true;
    }
    // Signed fields travel as their two's-complement unsigned bits.
    template <typename T>
    bool Signed(uint8_t tag, T& v)
    {
        std::make_unsigned_t<T> u;
        if (!Tag(tag) || !Le(u))
            return false;
        v = static_cast<T>(u);
        return true;
    }
    bool Bytes(std::string& s, size_t n)
    {
        if (Remaining() < n)
            return false;
        s.assign(reinterpret_cast<const char*>(m_p), n);
        m_p += n;
        return true;
    }

    const uint8_t* m_p;
    const uint8_t* m_end;
};

// Smallest encoded element sizes, used to bound list counts.
constexpr size_t kMinStr = 3;
constexpr size_t kMinQuoteField = 2 + 3;
constexpr size_t kMinBookRow = kMinStr + 9 + 5 + kMinStr;
constexpr size_t kMinActivesRow = kMinStr + 5 + 9;
constexpr size_t kMinHeadline = kMinStr + 9 + 5 * kMinStr + 5 + 3 + 2;

void Write(PayloadWriter& w, const QuoteRecord& r)
{
    w.Str(r.symbol);
    const size_t n = w.List(r.fields.size());
    for (size_t i = 0; i < n; ++i) {
        const QuoteField& f = r.fields[i];
        w.U8(f.id);
        if (f.isText)
            w.Str(f.text);
        else
            w.F64(f.number);
    }
}

void Write(PayloadWriter& w, const TradeRecord& r)
{
    w.Str(r.symbol);
    w.U32(r.feedTime);
    w.U8(r.basCode);
    w.F64(r.price);
    w.U32(r.size);
    w.Str(r.exchange);
    const size_t n = w.List(r.moreSizes.size());
    for (size_t i = 0; i < n; ++i)
        w.U32(r.moreSizes[i]);
    if (r.sequence)
        w.U64(r.sequence);
}

void WriteRows(PayloadWriter& w, const std::vector<BookRow>& rows)
{
    const size_t n = w.List(rows.size());
    for (size_t i = 0; i < n; ++i) {
        w.Str(rows[i].participant);
        w.F64(rows[i].price);
        w.I32(rows[i].size);
        w.Str(rows[i].time);
    }
}

void Write(PayloadWriter& w, const BookRecord& r)
{
    w.Str(r.symbol);
    w.Str(r.source);
    WriteRows(w, r.bids);
    WriteRows(w, r.asks);
}

void Write(PayloadWriter& w, const HeadlinesRecord& r)
{
    w.Str(r.key);
    const size_t n = w.List(r.headlines.size());
    for (size_t i = 0; i < n; ++i) {
        const Headline& h = r.headlines[i];
        w.Str(h.symbol);
        w.I64(h.time);
        w.Str(h.storyId);
        w.Str(h.note);
        w.Str(h.source);
        w.Str(h.text);
        w.Str(h.storyUrl);
        w.I32(h.value);
        const size_t m = w.List(h.symbols.size());
        for (size_t j = 0; j < m; ++j)
            w.Str(h.symbols[j]);
        w.U8(h.keep);
    }
}

void Write(PayloadWriter& w, const StoryRecord& r)
{
    w.Str(r.storyId);
    w.Str(r.headline);
    w.Text(r.body);
}

void WriteActives(PayloadWriter& w, const std::vector<ActivesRow>& rows)
{
    const size_t n = w.List(rows.size());
    for (size_t i = 0; i < n; ++i) {
        w.Str(rows[i].symbol);
        w.U32(rows[i].count);
        w.U64(rows[i].volume);
    }
}

void Write(PayloadWriter& w, const ActivesRecord& r)
{
    w.Str(r.key);
    WriteActives(w, r.byTrades);
    WriteActives(w, r.byVolume);
}

void Write(PayloadWriter& w, const OptionChainRecord& r)
{
    w.Str(r.definition);
    const size_t n = w.List(r.symbols.size());
    for (size_t i = 0; i < n; ++i)
        w.Str(r.symbols[i]);
}

void Write(PayloadWriter& w, const AccountActivityRecord& r)
{
    w.Str(r.account);
    w.U8(r.kind);
    w.Str(r.orderId);
    w.Str(r.symbol);
    w.Str(r.action);
    w.F64(r.quantity);
    w.F64(r.price);
    w.Str(r.text);
}

void Write(PayloadWriter& w, const HeartbeatRecord& r)
{
    w.I64(r.serverTimeMs);
    w.U32(r.sequence);
}

void Write(PayloadWriter& w, const StatusRecord& r)
{
    w.U32(r.code);
    w.Str(r.text);
}

bool Read(PayloadReader& r, QuoteRecord& out)
{
    size_t n;
    if (!r.Str(out.symbol) || !r.List(n, kMinQuoteField))
        return false;
    out.fields.resize(n);
    for (QuoteField& f : out.fields) {
        if (!r.U8(f.id) || f.id > kMaxQuoteFieldId)
            return false;
        f.isText = r.PeekTag() == kTagStr;
        if (!(f.isText ? r.Str(f.text) : r.F64(f.number)))
            return false;
    }
    return true;
}

bool Read(PayloadReader& r, TradeRecord& out)
{
    size_t n;
    if (!r.Str(out.symbol) || !r.U32(out.feedTime) || !r.U8(out.basCode) || !r.F64(out.price) ||
        !r.U32(out.size) || !r.Str(out.exchange) || !r.List(n, 5))
        return false;
    out.moreSizes.resize(n);
    for (uint32_t& s : out.moreSizes)
        if (!r.U32(s))
            return false;
    // The trade number closes the record when the server sends one.
    return r.AtEnd() || r.U64(out.sequence);
}

bool ReadRows(PayloadReader& r, std::vector<BookRow>& rows)
{
    size_t n;
    if (!r.List(n, kMinBookRow))
        return false;
    rows.resize(n);
    for (BookRow& row : rows)
        if (!r.Str(row.participant) || !r.F64(row.price) || !r.I32(row.size) || !r.Str(row.time))
            return false;
    return true;
}

bool Read(PayloadReader& r, BookRecord& out)
{
    return r.Str(out.symbol) && r.Str(out.source) && ReadRows(r, out.bids) && ReadRows(r, out.asks);
}

bool Read(PayloadReader& r, HeadlinesRecord& out)
{
    size_t n;
    if (!r.Str(out.key) || !r.List(n, kMinHeadline))
        return false;
    out.headlines.resize(n);
    for (Headline& h : out.headlines) {
        size_t m;
        if (!r.Str(h.symbol) || !r.I64(h.time) || !r.Str(h.storyId) || !r.Str(h.note) ||
            !r.Str(h.source) || !r.Str(h.text) || !r.Str(h.storyUrl) || !r.I32(h.value) ||
            !r.List(m, kMinStr))
            return false;
        h.symbols.resize(m);
        for (std::string& s : h.symbols)
            if (!r.Str(s))
                return false;
        if (!r.U8(h.keep))
            return false;
    }
    return true;
}

bool Read(PayloadReader& r, StoryRecord& out)
{
    return r.Str(out.storyId) && r.Str(out.headline) && r.Text(out.body);
}

bool ReadActives(PayloadReader& r, std::vector<ActivesRow>& rows)
{
    size_t n;
    if (!r.List(n, kMinActivesRow))
        return false;
    rows.resize(n);
    for (ActivesRow& row : rows)
        if (!r.Str(row.symbol) || !r.U32(row.count) || !r.U64(row.volume))
            return false;
    return true;
}

bool Read(PayloadReader& r, ActivesRecord& out)
{
    return r.Str(out.key) && ReadActives(r, out.byTrades) && ReadActives(r, out.byVolume);
}

bool Read(PayloadReader& r, OptionChainRecord& out)
{
    size_t n;
    if (!r.Str(out.definition) || !r.List(n, kMinStr))
        return false;
    out.symbols.resize(n);
    for (std::string& s : out.symbols)
        if (!r.Str(s))
            return false;
    return true;
}

bool Read(PayloadReader& r, AccountActivityRecord& out)
{
    return r.Str(out.account) && r.U8(out.kind) && r.Str(out.orderId) && r.Str(out.symbol) &&
           r.Str(out.action) && r.F64(out.quantity) && r.F64(out.price) && r.Str(out.text);
}

bool Read(PayloadReader& r, HeartbeatRecord& out)
{
    return r.I64(out.serverTimeMs) && r.U32(out.sequence);
}

bool Read(PayloadReader& r, StatusRecord& out)
{
    uint32_t code;
    if (!r.U32(code) || code > 0xFFFF)
        return false;
    out.code = static_cast<uint16_t>(code);
    return r.Str(out.text);
}

template <typename T>
bool ReadWhole(const uint8_t* data, size_t size, RecordBody& out)
{
    PayloadReader reader(data, size);
    T body;
    if (!Read(reader, body) || !reader.AtEnd())
        return false;
    out = std::move(body);
    return true;
}

uint8_t HeaderCheck(const uint8_t* h)
{
    uint8_t c = kCheckSeed;
    for (size_t i = 0; i < kHeaderSize; ++i)
        if (i != 6)
            c ^= h[i];
    return c;
}

bool KnownService(uint8_t service)
{
    return service < kServiceCount || service == static_cast<uint8_t>(Service::Session);
}

bool KnownKind(uint8_t kind)
{
    return kind >= static_cast<uint8_t>(RecordKind::Quote) && kind <= static_cast<uint8_t>(RecordKind::Status);
}

// Offset of the next possible magic at or after from; a lone 'Q' at the very
// end counts, since its 'X' may still come.
size_t FindMagic(const uint8_t* data, size_t size, size_t from)
{
    for (size_t i = from; i < size; ++i) {
        if (data[i] != kMagic0)
            continue;
        if (i + 1 == size || data[i + 1] == kMagic1)
            return i;
    }
    return size;
}

bool Inflate(const uint8_t* data, size_t size, std::vector<uint8_t>& out)
{
    if (size < 4)
        return false;
    const uint32_t expected = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                              static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    if (expected == 0 || expected > kMaxInflated)
        return false;
    out.resize(expected);
    uLongf length = expected;
    if (uncompress(out.data(), &length, data + 4, static_cast<uLong>(size - 4)) != Z_OK)
        return false;
    return length == expected;
}

}  // namespace

RecordKind StreamRecord::Kind() const
{
    return static_cast<RecordKind>(body.index() + 1);
}

const char* DropReasonText(DropReason reason)
{
    switch (reason) {
    case DropReason::None: return "none";
    case DropReason::BadMagic: return "bytes without a record start";
    case DropReason::BadHeader: return "record header check failed";
    case DropReason::Oversized: return "record larger than allowed";
    case DropReason::UnknownVersion: return "unknown record version";
    case DropReason::UnknownKind: return "unknown record kind or service";
    case DropReason::UnknownFlags: return "unknown record flags";
    case DropReason::BadPayload: return "malformed record payload";
    case DropReason::BadCompression: return "compressed payload does not inflate";
    }
    return "unknown";
}

std::vector<uint8_t> EncodePayload(const RecordBody& body)
{
    std::vector<uint8_t> payload;
    PayloadWriter writer(payload);
    std::visit([&](const auto& b) { Write(writer, b); }, body);
    return payload;
}

std::vector<uint8_t> EncodeFrame(uint8_t service, uint8_t kind, uint8_t flags,
                                 const std::vector<uint8_t>& payload, uint8_t version)
{
    std::vector<uint8_t> out(kHeaderSize + payload.size());
    const uint32_t length = static_cast<uint32_t>(payload.size());
    out[0] = kMagic0;
    out[1] = kMagic1;
    out[2] = version;
    out[3] = service;
    out[4] = kind;
    out[5] = flags;
    out[7] = 0;
    for (int i = 0; i < 4; ++i)
        out[8 + i] = static_cast<uint8_t>(length >> (8 * i));
    out[6] = HeaderCheck(out.data());
    std::copy(payload.begin(), payload.end(), out.begin() + kHeaderSize);
    return out;
}

std::vector<uint8_t> EncodeRecord(const StreamRecord& record, bool compress)
{
    std::vector<uint8_t> payload = EncodePayload(record.body);
    uint8_t flags = static_cast<uint8_t>(record.flags & kFlagSnapshot);
    if (compress && !payload.empty() && payload.size() <= kMaxInflated) {
        uLongf bound = compressBound(static_cast<uLong>(payload.size()));
        std::vector<uint8_t> packed(4 + bound);
        const uint32_t n = static_cast<uint32_t>(payload.size());
        for (int i = 0; i < 4; ++i)
            packed[static_cast<size_t>(i)] = static_cast<uint8_t>(n >> (8 * i));
        if (compress2(packed.data() + 4, &bound, payload.data(), static_cast<uLong>(payload.size()),
                      Z_DEFAULT_COMPRESSION) == Z_OK &&
            4 + bound < payload.size()) {
            packed.resize(4 + bound);
            payload.swap(packed);
            flags |= kFlagCompressed;
        }
    }
    return EncodeFrame(record.service, static_cast<uint8_t>(record.Kind()), flags, payload);
}

bool DecodePayload(RecordKind kind, const uint8_t* data, size_t size, RecordBody& out)
{
    switch (kind) {
    case RecordKind::Quote: return ReadWhole<QuoteRecord>(data, size, out);
    case RecordKind::Trade: return ReadWhole<TradeRecord>(data, size, out);
    case RecordKind::Book: return ReadWhole<BookRecord>(data, size, out);
    case RecordKind::Headlines: return ReadWhole<HeadlinesRecord>(data, size, out);
    case RecordKind::Story: return ReadWhole<StoryRecord>(data, size, out);
    case RecordKind::Actives: return ReadWhole<ActivesRecord>(data, size, out);
    case RecordKind::OptionChain: return ReadWhole<OptionChainRecord>(data, size, out);
    case RecordKind::AccountActivity: return ReadWhole<AccountActivityRecord>(data, size, out);
    case RecordKind::Heartbeat: return ReadWhole<HeartbeatRecord>(data, size, out);
    case RecordKind::Status: return ReadWhole<StatusRecord>(data, size, out);
    }
    return false;
}

DecodeResult DecodeRecord(const uint8_t* data, size_t size, StreamRecord& out)
{
    DecodeResult result;
    if (size == 0)
        return result;
    if (data[0] != kMagic0 || (size > 1 && data[1] != kMagic1)) {
        result.status = DecodeStatus::Dropped;
        result.reason = DropReason::BadMagic;
        result.consumed = FindMagic(data, size, 1);
        return result;
    }
    if (size < kHeaderSize)
        return result;
    if (data[7] != 0 || HeaderCheck(data) != data[6]) {
        result.status = DecodeStatus::Dropped;
        result.reason = DropReason::BadHeader;
        result.consumed = FindMagic(data, size, 1);
        return result;
    }
    const uint32_t length = static_cast<uint32_t>(data[8]) | static_cast<uint32_t>(data[9]) << 8 |
                            static_cast<uint32_t>(data[10]) << 16 | static_cast<uint32_t>(data[11]) << 24;
    if (length > kMaxPayload) {
        result.status = DecodeStatus::Dropped;
        result.reason = DropReason::Oversized;
        result.consumed = FindMagic(data, size, 1);
        return result;
    }
    if (size - kHeaderSize < length)
        return result;

    // From here the framing is sound: whatever happens, the record is skipped whole.
    result.consumed = kHeaderSize + length;
    result.status = DecodeStatus::Dropped;
    const uint8_t version = data[2];
    const uint8_t service = data[3];
    const uint8_t kind = data[4];
    const uint8_t flags = data[5];
    if (version != kRecordVersion) {
        result.reason = DropReason::UnknownVersion;
        return result;
    }
    if (!KnownService(service) || !KnownKind(kind)) {
        result.reason = DropReason::UnknownKind;
        return result;
    }
    if (flags & ~kKnownFlags) {
        result.reason = DropReason::UnknownFlags;
        return result;
    }
    const uint8_t* payload = data + kHeaderSize;
    size_t payloadSize = length;
    std::vector<uint8_t> inflated;
    if (flags & kFlagCompressed) {
        if (!Inflate(payload, payloadSize, inflated)) {
            result.reason = DropReason::BadCompression;
            return result;
        }
        payload = inflated.data();
        payloadSize = inflated.size();
    }
    if (!DecodePayload(static_cast<RecordKind>(kind), payload, payloadSize, out.body)) {
        result.reason = DropReason::BadPayload;
        return result;
    }
    out.service = service;
    out.flags = static_cast<uint8_t>(flags & kFlagSnapshot);
    result.status = DecodeStatus::Record;
    return result;
}

uint8_t DefaultService(const RecordBody& body)
{
    struct Visitor {
        Service operator()(const QuoteRecord&) const { return Service::Quote; }
        Service operator()(const TradeRecord&) const { return Service::Quote; }
        Service operator()(const BookRecord& b) const
        {
            if (b.source == "L2") return Service::LevelII;
            if (b.source == "NYSE") return Service::NyseBook;
            if (b.source == "INET") return Service::InetBook;
            if (b.source == "OPRA") return Service::OptionBook;
            return Service::TotalView;
        }
        Service operator()(const HeadlinesRecord&) const { return Service::News; }
        Service operator()(const StoryRecord&) const { return Service::Story; }
        Service operator()(const ActivesRecord&) const { return Service::Actives; }
        Service operator()(const OptionChainRecord&) const { return Service::OptionChain; }
        Service operator()(const AccountActivityRecord&) const { return Service::Account; }
        Service operator()(const HeartbeatRecord&) const { return Service::Session; }
        Service operator()(const StatusRecord&) const { return Service::Session; }
    };
    return static_cast<uint8_t>(std::visit(Visitor{}, body));
}

bool ParseUnknownSymbol(const StatusRecord& status, std::string& symbol)
{
    if (status.code != static_cast<uint16_t>(StatusCode::SubscriptionRefused) ||
        !status.text.starts_with(kUnknownSymbolPrefix) || status.text.size() == kUnknownSymbolPrefix.size())
        return false;
    symbol = status.text.substr(kUnknownSymbolPrefix.size());
    return true;
}

}  // namespace qx::protocol
