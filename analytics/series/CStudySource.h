// Reads the fields of a series, the time units of its bars, or the outputs of a built-in
// study by name and bar index; with a finer companion series it evaluates the newest
// coarse bar as it stood at a companion record ("as-of" bars).
#pragma once

#include "analytics/series/CStudyEvaluation.h"
#include "analytics/studies/CBarRecord.h"
#include "platform/core/WinTypes.h"

#include <memory>
#include <vector>

class CPriceSeries;

class CStudySource {
public:
    CStudySource() = default;
    virtual ~CStudySource();
    CStudySource(const CStudySource&) = delete;
    CStudySource& operator=(const CStudySource&) = delete;

    // sourceOption: the companion's resolution in minutes (0: none). mode gives the
    // series' context word: 0 -> 1, 4 -> 2, 1 -> 3, others 0.
    bool Open(const char* key, int sourceOption, int historyFlag, int mode);
    bool Prepare(int count, DWORD endFeedTime);
    void AddBars(int n, int side);
    // AddBars, with the added bars asked for from history (a chart scrolled past them).
    void ExtendBars(int n, int side);
    // |n| bars in front, asked for from history by AskBars (see CPriceSeries::PrependBars);
    // a source with a companion or a study series of its own asks for them at once.
    void PrependBars(int n);
    // The bars of indexes first .. last PrependBars added, asked for from history.
    void AskBars(int first, int last);
    bool IsWaitingForData();
    // The resets of the series it reads (see CPriceSeries::GetDataResets).
    int GetDataResets() const;
    int FindField(const char* name) const;
    int GetFieldKind(int field) const;
    int GetVisibleRange(int& first, int& last) const;
    int FindBarByTime(DWORD feedTime, int side);
    bool GetBarTime(int index, int side, DWORD& feedTime);
    double GetHighest(int first, int last, int field);
    double GetLowest(int first, int last, int field);
    // companionIndex -1: the bar as it stands.
    bool GetValue(int index, int field, double& value, int companionIndex = -1);
    // The value as the bar stood at a moment (a feed time), read through the source's own
    // companion record holding it or the newest before it; a bar that had not begun then
    // gives way to the newest that had. Without a companion, the bar as it stands.
    bool GetValueAsOf(int index, int field, double& value, DWORD feedTime);
    // The values of one field at the indexes first .. first + count - 1 as GetValue gives
    // them bar by bar: values[k], and ok[k] 1 where GetValue gives one (0, and values[k]
    // unspecified, elsewhere). Reads the series' columns a block at a time where the
    // values are the series' own.
    void ReadValues(int first, int count, int field, double* values, BYTE* ok);

    CPriceSeries* GetBaseSeries() const { return m_pBase; }
    const CStudyEvaluation* GetSpec() const { return m_pSpec.get(); }

private:
    bool IsDisplaced() const;
    // |n| bars added to every series read, asked for from history when `ask`.
    void GrowBars(int n, int side, bool ask);
    // The series whose own values GetValue returns for the field, and the shift of the
    // index into it; null when GetValue works them out.
    CPriceSeries* SeriesHolding(int field, int& shift) const;
    bool TimeUnit(int index, int field, double& value, int companionIndex);
    // Bar i of the base series as of companion record j; false when it cannot be read.
    bool AsOfBar(int index, int companionIndex, CBarRecord& bar, bool& partial);
    bool StudyOnCopy(int index, int field, const CBarRecord& asOf, double& value);
    bool SteppedStudy(int index, int field, const CBarRecord& bar, double& value);
    bool WindowStudy(int index, int field, const CBarRecord& bar, double& value);

    CPriceSeries* m_pBase = nullptr;
    std::unique_ptr<CStudyEvaluation> m_pSpec;
    CPriceSeries* m_pSecond = nullptr;
};

// Makes and opens a source; none (and nothing left behind) when opening fails.
CStudySource* ParseStudyCall(const char* key, int sourceOption, int historyFlag, int mode);
void DeleteStudyCall(CStudySource* source);
