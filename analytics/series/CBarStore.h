// The records of a price series stored field by field: both times as 64-bit seconds,
// Open .. Volume as doubles and the valid flag as a byte, so that a bar takes 57 bytes and
// each field lies in one array the study computations read directly. The two spare
// fields and the tick's exchange text (as a small code into a table of texts) take space
// only once a record uses them.
//
// Removing records at the front and adding them at the back (a roll forward, a tick)
// moves no data: the records start at a head offset inside spare capacity. Columns the
// owner attaches (study results) follow every insertion and removal.
#pragma once

#include "analytics/studies/CBarRecord.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CBarStore {
public:
    CBarStore();
    ~CBarStore();
    CBarStore(const CBarStore&) = delete;
    CBarStore& operator=(const CBarStore&) = delete;

    int Size() const { return m_size; }
    bool Empty() const { return m_size == 0; }

    // `count` empty records (the attached columns hold their fill value).
    void Assign(int count);
    // Removes `k` records at the front.
    void PopFront(int k);
    // Adds `k` empty records at the front or the back.
    void InsertFront(int k);
    void InsertBack(int k);
    // Removes the `k` records from `first` on; the fewer records on either side move.
    void Erase(int first, int k);

    // Records: r in [0, Size()).
    bool IsValid(int r) const { return m_valid[m_head + r] != 0; }
    CTime Start(int r) const { return CTime(m_start[m_head + r]); }
    CTime End(int r) const { return CTime(m_end[m_head + r]); }
    // Fields 0-6; the spare fields are 0 until set.
    double Field(int r, int field) const;
    const CString& Exchange(int r) const;

    void SetTimes(int r, CTime start, CTime end);
    // The time and field columns to write in place (fields 0-4); a caller that writes the
    // valid flags goes through SetValid.
    int64_t* MutableStartColumn()
    {
        Own();
        return m_start.get() + m_head;
    }
    int64_t* MutableEndColumn()
    {
        Own();
        return m_end.get() + m_head;
    }
    double* MutableColumn(int field)
    {
        Own();
        return m_field[field].get() + m_head;
    }
    void SetField(int r, int field, double value);
    void SetValid(int r, bool valid);
    // Marks valid the records of [first, last] whose Close is not 0.
    void ValidateFilled(int first, int last);
    void SetExchange(int r, const char* exchange);
    // The record as a whole, and back; Set keeps every field of the record.
    CBarRecord Get(int r) const;
    void Set(int r, const CBarRecord& record);
    // Empties a record (all 0, invalid), keeping its times.
    void ClearValues(int r);
    // Open .. Volume and the valid flags of `count` records of `from`, starting at its
    // record `fromFirst`, into the records from `first` on; times stay as they are.
    void TakeValues(const CBarStore& from, int fromFirst, int first, int count);
    // Takes `count` records of `from` starting at its record `fromFirst` as they are, times
    // included, without copying them: both stores share the records' columns and each copies
    // them before it first writes (`from` may not hold spare fields or exchange texts).
    // Attached columns keep their own values, all at their fill value.
    void Borrow(const CBarStore& from, int fromFirst, int count);
    // True while the record columns are shared with another store.
    bool IsShared() const { return m_shared; }
    // True once a record holds a spare field or an exchange text.
    bool HasExtraFields() const { return m_spare[0] || m_spare[1] || m_exchange; }

    // The record starting at `start` (seconds) of records in time order, or -1.
    int RecordStartingAt(int64_t start) const;

    // Field arrays indexed by record: Open .. Volume, the valid flags, the times.
    const double* Column(int field) const { return m_field[field].get() + m_head; }
    const BYTE* ValidColumn() const { return m_valid.get() + m_head; }
    const int64_t* EndColumn() const { return m_end.get() + m_head; }
    const int64_t* StartColumn() const { return m_start.get() + m_head; }

    // Valid records: their count, the first and the last (-1 when none).
    int ValidCount() const { return m_validCount; }
    int FirstValid() const;
    int LastValid() const;
    // True when the valid records lie next to each other (or there is none).
    bool ValidRecordsAdjacent() const;

    // A column of doubles that moves with the records; new records get `fill`.
    int AttachColumn(double fill);
    double* Attached(int column) { return m_attached[static_cast<size_t>(column)].data.get() + m_head; }
    const double* Attached(int column) const
    {
        return m_attached[static_cast<size_t>(column)].data.get() + m_head;
    }

    // Bytes held: capacity of every column, spare and attached ones included, and the texts.
    size_t MemoryBytes() const;

private:
    struct AttachedColumn {
        std::unique_ptr<double[]> data;
        double fill = 0;
    };
    // The record columns as this store's own before a write.
    void Own()
    {
        if (m_shared)
            Unshare();
    }
    void Unshare();
    // Makes room for `front` records before the head and `back` after the end.
    void Reserve(int front, int back);
    void Reallocate(int capacity, int head);
    void FillEmpty(int from, int to); // storage positions
    void ForgetValidBounds() { m_boundsKnown = false; }
    void FindValidBounds() const;

    int m_head = 0;
    int m_size = 0;
    int m_capacity = 0;
    // Shared with another store after a Borrow (m_shared on both): then only read.
    std::shared_ptr<int64_t[]> m_start;
    std::shared_ptr<int64_t[]> m_end;
    std::shared_ptr<double[]> m_field[5];
    std::shared_ptr<BYTE[]> m_valid;
    mutable bool m_shared = false;
    std::unique_ptr<double[]> m_spare[2];     // fields 5 and 6, once one is not 0
    std::unique_ptr<uint16_t[]> m_exchange;  // codes into m_texts, once a text is not empty
    std::vector<CString> m_texts;            // code 0 is the empty text
    std::unordered_map<std::string, uint16_t> m_codes;
    std::vector<AttachedColumn> m_attached;
    int m_validCount = 0;
    mutable bool m_boundsKnown = true;
    mutable int m_firstValid = -1;
    mutable int m_lastValid = -1;
};
