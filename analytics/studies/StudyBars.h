// What the study computations read and write. They walk the valid records of a series only
// (invalid records are skipped and do not count), so their input is those records packed
// together, oldest first ("dense" positions), and they compute a range of dense positions
// at a time: a changed record needs only the positions from it on.
#pragma once

#include "analytics/studies/StudyInput.h"
#include "analytics/studies/StudyTable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace studies {

// The code a computation may run: the widest the processor offers, the portable code alone
// (in the best encoding the processor has, where a kernel is built in several), or the
// portable code as built for every processor (the tests compare them).
enum class KernelCode { kWidest, kPortable, kBaseline };

// The valid records, oldest first. Fields a study does not read may be null.
struct CStudyBars {
    const double* field[5] = {nullptr, nullptr, nullptr, nullptr, nullptr}; // Open .. Volume
    int size = 0;
    // Dense position 0 is record 0 of the series (the parabolic SAR never starts there).
    bool firstIsRecordZero = true;

    const double* Open() const { return field[kBarOpen]; }
    const double* High() const { return field[kBarHigh]; }
    const double* Low() const { return field[kBarLow]; }
    const double* Close() const { return field[kBarClose]; }
    const double* Volume() const { return field[kBarVolume]; }
};

// The records themselves, the empty ones among them, for the computations that skip the
// empty records as they walk (StudyWalksRecords): positions are record numbers, and an
// empty record's position gets kNoValue. Fields a study does not read may be null.
struct CStudyRecords {
    const double* field[5] = {nullptr, nullptr, nullptr, nullptr, nullptr}; // Open .. Volume
    const BYTE* valid = nullptr;
};

// Where a computation of the positions [from, to) writes: col[o][q] for each output o it
// is asked for. Every such position gets a value or kNoValue.
struct CStudyOut {
    double* col[kMaxStudyOutputs] = {nullptr, nullptr, nullptr, nullptr, nullptr};
};

// Working memory of the computations, kept by the caller and reused from one computation
// to the next. Each slot is one buffer; a computation uses distinct slots at once.
class CStudyScratch {
public:
    static constexpr int kSlots = 12;
    double* Doubles(int slot, size_t count)
    {
        std::vector<double>& buffer = m_doubles[slot];
        if (buffer.size() < count)
            buffer.resize(count);
        return buffer.data();
    }
    int* Ints(int slot, size_t count)
    {
        std::vector<int>& buffer = m_ints[slot];
        if (buffer.size() < count)
            buffer.resize(count);
        return buffer.data();
    }
    size_t Bytes() const
    {
        size_t bytes = 0;
        for (const auto& b : m_doubles)
            bytes += b.capacity() * sizeof(double);
        for (const auto& b : m_ints)
            bytes += b.capacity() * sizeof(int);
        return bytes;
    }

private:
    std::vector<double> m_doubles[kSlots];
    std::vector<int> m_ints[kSlots];
};

// A view of a buffer indexed from `first`: view[first + k] is buffer[k]. Lets a computation
// keep the series' positions while its buffer covers only the range it needs.
template <class T>
inline T* IndexedFrom(T* buffer, int first)
{
    return reinterpret_cast<T*>(reinterpret_cast<uintptr_t>(buffer) -
                                static_cast<uintptr_t>(static_cast<intptr_t>(first)) * sizeof(T));
}

// Writes kNoValue to the asked outputs at positions [from, to).
inline void FillNoValue(const CStudyOut& out, unsigned mask, int from, int to)
{
    for (int o = 0; o < kMaxStudyOutputs; ++o)
        if ((mask & (1u << o)) && out.col[o])
            for (int q = from; q < to; ++q)
                out.col[o][q] = kNoValue;
}

} // namespace studies
