#include "analytics/series/CBarStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Spare capacity kept past the records: a roll forward moves the records back to the
// start of their arrays only once per this many rolls.
int SlackFor(int count)
{
    return 16 + count / 64;
}

template <class Column>
using Element = typename Column::element_type;

template <class Column>
void MoveRange(Column& column, int from, int count, int to)
{
    if (column && count > 0 && from != to)
        std::memmove(column.get() + to, column.get() + from, sizeof(Element<Column>) * static_cast<size_t>(count));
}

template <class Column>
void Regrow(Column& column, int oldHead, int count, int capacity, int head)
{
    if (!column)
        return;
    auto grown = std::make_unique_for_overwrite<Element<Column>[]>(static_cast<size_t>(capacity));
    if (count > 0)
        std::memcpy(grown.get() + head, column.get() + oldHead, sizeof(Element<Column>) * static_cast<size_t>(count));
    column = std::move(grown);
}

template <class Column>
void Fill(Column& column, int from, int to, Element<Column> value)
{
    if (column)
        std::fill(column.get() + from, column.get() + to, value);
}

// `count` zeros: fresh pages from the system are not written twice.
template <class T>
std::shared_ptr<T[]> Zeroed(size_t count)
{
    T* data = static_cast<T*>(std::calloc(count ? count : 1, sizeof(T)));
    if (!data)
        throw std::bad_alloc();
    return std::shared_ptr<T[]>(data, [](T* p) { std::free(p); });
}

} // namespace

CBarStore::CBarStore()
{
    m_texts.emplace_back();
}

CBarStore::~CBarStore() = default;

void CBarStore::Reallocate(int capacity, int head)
{
    if (capacity == m_capacity) {
        // Room enough: the records move inside their arrays.
        Own();
        MoveRange(m_start, m_head, m_size, head);
        MoveRange(m_end, m_head, m_size, head);
        for (auto& f : m_field)
            MoveRange(f, m_head, m_size, head);
        MoveRange(m_valid, m_head, m_size, head);
        for (auto& s : m_spare)
            MoveRange(s, m_head, m_size, head);
        MoveRange(m_exchange, m_head, m_size, head);
        for (auto& a : m_attached)
            MoveRange(a.data, m_head, m_size, head);
    } else {
        Regrow(m_start, m_head, m_size, capacity, head);
        Regrow(m_end, m_head, m_size, capacity, head);
        for (auto& f : m_field)
            Regrow(f, m_head, m_size, capacity, head);
        Regrow(m_valid, m_head, m_size, capacity, head);
        for (auto& s : m_spare)
            Regrow(s, m_head, m_size, capacity, head);
        Regrow(m_exchange, m_head, m_size, capacity, head);
        for (auto& a : m_attached)
            Regrow(a.data, m_head, m_size, capacity, head);
        m_shared = false;
    }
    m_capacity = capacity;
    m_head = head;
}

void CBarStore::Reserve(int front, int back)
{
    if (m_head >= front && m_capacity - m_head - m_size >= back)
        return;
    const int needed = m_size + front + back;
    const int capacity = m_capacity >= needed ? m_capacity : needed + SlackFor(needed);
    Reallocate(capacity, front);
}

void CBarStore::Unshare()
{
    Regrow(m_start, m_head, m_size, m_capacity, m_head);
    Regrow(m_end, m_head, m_size, m_capacity, m_head);
    for (auto& f : m_field)
        Regrow(f, m_head, m_size, m_capacity, m_head);
    Regrow(m_valid, m_head, m_size, m_capacity, m_head);
    m_shared = false;
}

void CBarStore::FillEmpty(int from, int to)
{
    Own();
    Fill(m_start, from, to, int64_t{0});
    Fill(m_end, from, to, int64_t{0});
    for (auto& f : m_field)
        Fill(f, from, to, 0.0);
    Fill(m_valid, from, to, BYTE{0});
    for (auto& s : m_spare)
        Fill(s, from, to, 0.0);
    Fill(m_exchange, from, to, uint16_t{0});
    for (auto& a : m_attached)
        Fill(a.data, from, to, a.fill);
}

void CBarStore::Assign(int count)
{
    count = std::max(count, 0);
    m_start.reset();
    m_end.reset();
    for (auto& f : m_field)
        f.reset();
    m_valid.reset();
    for (auto& s : m_spare)
        s.reset();
    m_exchange.reset();
    m_texts.resize(1);
    m_codes.clear();
    m_head = 0;
    m_size = 0;
    m_capacity = 0;
    m_shared = false;
    const int capacity = count ? count + SlackFor(count) : 0;
    const auto n = static_cast<size_t>(capacity);
    // Empty records are all zeros.
    m_start = Zeroed<int64_t>(n);
    m_end = Zeroed<int64_t>(n);
    for (auto& f : m_field)
        f = Zeroed<double>(n);
    m_valid = Zeroed<BYTE>(n);
    for (auto& a : m_attached) {
        a.data = std::make_unique_for_overwrite<double[]>(n);
        Fill(a.data, 0, count, a.fill);
    }
    m_capacity = capacity;
    m_size = count;
    m_validCount = 0;
    m_boundsKnown = true;
    m_firstValid = m_lastValid = -1;
}

void CBarStore::PopFront(int k)
{
    k = std::clamp(k, 0, m_size);
    for (int r = 0; r < k; ++r)
        m_validCount -= m_valid[m_head + r] != 0;
    m_head += k;
    m_size -= k;
    if (m_boundsKnown && m_firstValid >= 0) {
        m_firstValid -= k;
        m_lastValid -= k;
        if (m_lastValid < 0)
            m_firstValid = m_lastValid = -1;
        else if (m_firstValid < 0)
            ForgetValidBounds();
    }
}

void CBarStore::InsertFront(int k)
{
    if (k <= 0)
        return;
    Reserve(k, 0);
    m_head -= k;
    m_size += k;
    FillEmpty(m_head, m_head + k);
    if (m_boundsKnown && m_firstValid >= 0) {
        m_firstValid += k;
        m_lastValid += k;
    }
}

void CBarStore::InsertBack(int k)
{
    if (k <= 0)
        return;
    Reserve(0, k);
    FillEmpty(m_head + m_size, m_head + m_size + k);
    m_size += k;
}

void CBarStore::Erase(int first, int k)
{
    first = std::clamp(first, 0, m_size);
    k = std::clamp(k, 0, m_size - first);
    if (k == 0)
        return;
    Own();
    for (int r = first; r < first + k; ++r)
        m_validCount -= m_valid[m_head + r] != 0;
    const int after = m_size - first - k;
    auto move = [&](auto& column) {
        if (first <= after)
            MoveRange(column, m_head, first, m_head + k);
        else
            MoveRange(column, m_head + first + k, after, m_head + first);
    };
    move(m_start);
    move(m_end);
    for (auto& f : m_field)
        move(f);
    move(m_valid);
    for (auto& s : m_spare)
        move(s);
    move(m_exchange);
    for (auto& a : m_attached)
        move(a.data);
    if (first <= after)
        m_head += k;
    m_size -= k;
    ForgetValidBounds();
}

double CBarStore::Field(int r, int field) const
{
    if (field < 5)
        return m_field[field][m_head + r];
    const auto& spare = m_spare[field - 5];
    return spare ? spare[m_head + r] : 0.0;
}

const CString& CBarStore::Exchange(int r) const
{
    return m_exchange ? m_texts[m_exchange[m_head + r]] : m_texts[0];
}

void CBarStore::SetTimes(int r, CTime start, CTime end)
{
    Own();
    m_start[m_head + r] = start.GetTime();
    m_end[m_head + r] = end.GetTime();
}

void CBarStore::SetField(int r, int field, double value)
{
    if (field < 5) {
        Own();
        m_field[field][m_head + r] = value;
        return;
    }
    auto& spare = m_spare[field - 5];
    if (!spare) {
        if (value == 0.0)
            return;
        spare = std::make_unique<double[]>(static_cast<size_t>(m_capacity));
    }
    spare[m_head + r] = value;
}

void CBarStore::ValidateFilled(int first, int last)
{
    Own();
    BYTE* valid = m_valid.get() + m_head;
    const double* close = m_field[kBarClose].get() + m_head;
    int lo = -1, hi = -1, added = 0;
    for (int r = std::max(first, 0); r <= last; ++r)
        if (!valid[r] && close[r] != 0) {
            valid[r] = 1;
            ++added;
            lo = lo < 0 ? r : lo;
            hi = r;
        }
    m_validCount += added;
    if (added && m_boundsKnown) {
        if (m_firstValid < 0 || lo < m_firstValid)
            m_firstValid = lo;
        m_lastValid = std::max(m_lastValid, hi);
    }
}

void CBarStore::TakeValues(const CBarStore& from, int fromFirst, int first, int count)
{
    if (count <= 0)
        return;
    Own();
    const size_t n = static_cast<size_t>(count);
    for (int f = 0; f < 5; ++f)
        std::memcpy(MutableColumn(f) + first, from.Column(f) + fromFirst, n * sizeof(double));
    BYTE* valid = m_valid.get() + m_head + first;
    const BYTE* source = from.ValidColumn() + fromFirst;
    int change = 0;
    for (size_t k = 0; k < n; ++k)
        change += (source[k] != 0) - (valid[k] != 0);
    std::memcpy(valid, source, n);
    m_validCount += change;
    ForgetValidBounds();
}

void CBarStore::SetValid(int r, bool valid)
{
    if ((m_valid[m_head + r] != 0) == valid)
        return;
    Own();
    m_valid[m_head + r] = valid ? 1 : 0;
    if (valid) {
        ++m_validCount;
        if (m_boundsKnown) {
            if (m_firstValid < 0 || r < m_firstValid)
                m_firstValid = r;
            if (r > m_lastValid)
                m_lastValid = r;
        }
    } else {
        --m_validCount;
        if (r == m_firstValid || r == m_lastValid)
            ForgetValidBounds();
    }
}

void CBarStore::SetExchange(int r, const char* exchange)
{
    uint16_t code = 0;
    if (exchange && *exchange) {
        auto it = m_codes.find(exchange);
        if (it != m_codes.end()) {
            code = it->second;
        } else if (m_texts.size() <= 0xFFFF) {
            code = static_cast<uint16_t>(m_texts.size());
            m_texts.emplace_back(exchange);
            m_codes.emplace(exchange, code);
        }
    }
    if (!m_exchange) {
        if (code == 0)
            return;
        m_exchange = std::make_unique<uint16_t[]>(static_cast<size_t>(m_capacity));
    }
    m_exchange[m_head + r] = code;
}

CBarRecord CBarStore::Get(int r) const
{
    CBarRecord rec;
    rec.m_startTime = Start(r);
    rec.m_endTime = End(r);
    for (int f = 0; f < 7; ++f)
        rec.m_fields[f] = Field(r, f);
    rec.m_bValid = m_valid[m_head + r];
    rec.m_exchange = Exchange(r);
    return rec;
}

void CBarStore::Set(int r, const CBarRecord& record)
{
    Own();
    SetTimes(r, record.m_startTime, record.m_endTime);
    for (int f = 0; f < 7; ++f)
        SetField(r, f, record.m_fields[f]);
    SetExchange(r, record.m_exchange);
    SetValid(r, record.m_bValid != 0);
    // Any non-zero byte reads back as it was.
    m_valid[m_head + r] = record.m_bValid;
}

void CBarStore::ClearValues(int r)
{
    for (int f = 0; f < 7; ++f)
        SetField(r, f, 0.0);
    SetExchange(r, "");
    SetValid(r, false);
}

void CBarStore::FindValidBounds() const
{
    m_firstValid = m_lastValid = -1;
    const BYTE* valid = ValidColumn();
    for (int r = 0; r < m_size; ++r)
        if (valid[r]) {
            m_firstValid = r;
            break;
        }
    for (int r = m_size - 1; r >= 0 && m_firstValid >= 0; --r)
        if (valid[r]) {
            m_lastValid = r;
            break;
        }
    m_boundsKnown = true;
}

int CBarStore::FirstValid() const
{
    if (!m_boundsKnown)
        FindValidBounds();
    return m_firstValid;
}

int CBarStore::LastValid() const
{
    if (!m_boundsKnown)
        FindValidBounds();
    return m_lastValid;
}

bool CBarStore::ValidRecordsAdjacent() const
{
    return m_validCount == 0 || LastValid() - FirstValid() + 1 == m_validCount;
}

int CBarStore::RecordStartingAt(int64_t start) const
{
    const int64_t* starts = StartColumn();
    const int64_t* found = std::lower_bound(starts, starts + m_size, start);
    return found != starts + m_size && *found == start ? static_cast<int>(found - starts) : -1;
}

void CBarStore::Borrow(const CBarStore& from, int fromFirst, int count)
{
    fromFirst = std::clamp(fromFirst, 0, from.m_size);
    count = std::clamp(count, 0, from.m_size - fromFirst);
    m_start = from.m_start;
    m_end = from.m_end;
    for (int f = 0; f < 5; ++f)
        m_field[f] = from.m_field[f];
    m_valid = from.m_valid;
    for (auto& s : m_spare)
        s.reset();
    m_exchange.reset();
    m_texts.resize(1);
    m_codes.clear();
    m_capacity = from.m_capacity;
    m_head = from.m_head + fromFirst;
    m_size = count;
    m_shared = from.m_shared = true;
    for (auto& a : m_attached) {
        a.data = std::make_unique_for_overwrite<double[]>(static_cast<size_t>(m_capacity));
        Fill(a.data, m_head, m_head + m_size, a.fill);
    }
    if (count == from.m_size) {
        m_validCount = from.m_validCount;
    } else {
        const BYTE* valid = ValidColumn();
        m_validCount = static_cast<int>(std::count_if(valid, valid + m_size, [](BYTE b) { return b != 0; }));
    }
    ForgetValidBounds();
}

int CBarStore::AttachColumn(double fill)
{
    AttachedColumn column;
    column.fill = fill;
    column.data = std::make_unique_for_overwrite<double[]>(static_cast<size_t>(m_capacity));
    std::fill(column.data.get(), column.data.get() + m_capacity, fill);
    m_attached.push_back(std::move(column));
    return static_cast<int>(m_attached.size()) - 1;
}

size_t CBarStore::MemoryBytes() const
{
    size_t perRecord = 2 * sizeof(int64_t) + 5 * sizeof(double) + sizeof(BYTE);
    for (const auto& s : m_spare)
        perRecord += s ? sizeof(double) : 0;
    perRecord += m_exchange ? sizeof(uint16_t) : 0;
    perRecord += m_attached.size() * sizeof(double);
    size_t bytes = perRecord * static_cast<size_t>(m_capacity);
    for (const CString& text : m_texts)
        bytes += sizeof(CString) + static_cast<size_t>(text.GetLength());
    return bytes;
}
