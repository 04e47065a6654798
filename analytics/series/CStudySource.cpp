#include "analytics/series/CStudySource.h"

#include "analytics/series/CPriceSeries.h"
#include "analytics/series/CSeriesReadLock.h"
#include "analytics/series/SeriesFactory.h"
#include "analytics/series/SeriesKey.h"
#include "analytics/series/SeriesTime.h"
#include "analytics/series/TimeUnitNames.h"
#include "analytics/studies/StudyCompute.h"
#include "analytics/studies/StudyTable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

using namespace studies;

namespace {

// Studies the base series computes itself (the full study key).
bool IsSeriesStudy(int type)
{
    switch (type) {
    case kADX: case kBB: case kMA: case kEMA: case kSTOC: case kSRSI: case kCOSC: case kUOSC:
    case kPSAR: case kMAE: case kAD: case kCMF: case kAROON: case kTSF: case kDEMA: case kTEMA:
    case kAMA: case kEQTY: case kSRSI2: return true;
    default: return false;
    }
}

DWORD ContextOfMode(int mode)
{
    switch (mode) {
    case 0: return 1;
    case 4: return 2;
    case 1: return 3;
    default: return 0;
    }
}

int DisplacementOf(int type, const double* p)
{
    switch (type) {
    case kCHOP: case kATR: case kCCI: case kKB: case kMFI: return static_cast<int>(p[0]);
    case kMOM: return static_cast<int>(p[1]);
    case kOBV: case kRSI: return 1;
    case kPRC: return static_cast<int>(p[0]) - 1;
    default: return 0;
    }
}

// The fields of the as-of bar each series study reads.
void TakeAsOfFields(int type, int output, const CBarRecord& asOf, CBarRecord& rec, int sourceField)
{
    auto take = [&](int f) { rec.m_fields[f] = asOf.m_fields[f]; };
    switch (type) {
    case kADX: case kSTOC: case kUOSC: take(kBarHigh); take(kBarLow); take(kBarClose); break;
    case kCOSC: case kAD: case kCMF: take(kBarHigh); take(kBarLow); take(kBarClose); take(kBarVolume); break;
    case kSRSI: case kSRSI2: take(kBarClose); break;
    case kAROON: take(output == 0 ? kBarHigh : kBarLow); break;
    case kPSAR: take(kBarHigh); take(kBarLow); break;
    case kMA:
        take(sourceField);
        if (output == 2)
            take(kBarVolume);
        break;
    case kBB: case kEMA: case kMAE: case kTSF: case kDEMA: case kTEMA: case kAMA: take(sourceField); break;
    default: break;
    }
}

// Index in the study series of the base series' bar at `index` (matched by start time).
bool StudyIndexOf(CPriceSeries* base, CPriceSeries* study, int index, int& out)
{
    DWORD start = 0;
    if (!base->GetBarTime(index, 0, start))
        return false;
    out = study->FindBarByTime(start, 0);
    return true;
}

} // namespace

CStudySource::~CStudySource()
{
    m_pSpec.reset();
    ReleasePriceSeries(m_pBase);
    ReleasePriceSeries(m_pSecond);
}

bool CStudySource::Open(const char* key, int sourceOption, int /*historyFlag*/, int mode)
{
    const DWORD context = ContextOfMode(mode);
    if (!key)
        return false;
    if (sourceOption == 0) {
        m_pBase = OpenPriceSeries(key, context);
        return m_pBase != nullptr;
    }
    const CString text(key);
    int type = FindStudyCallType(text, true);
    CString symbol, intervalToken;
    double params[4] = {0, 0, 0, 0};
    if (type >= 0 && type != kBar) {
        if (!ParseStudyCallText(text, type, symbol, params, intervalToken))
            return false;
    } else if (type == kBar) {
        if (!ParseStudyCallText(text, type, symbol, params, intervalToken))
            return false;
    } else {
        type = kBar;
        const int comma = text.Find(',');
        symbol = comma >= 0 ? text.Left(comma) : text;
        intervalToken = comma >= 0 ? text.Mid(comma + 1) : CString();
    }
    m_pSpec = std::make_unique<CStudyEvaluation>(type);
    for (int i = 0; i < 4; ++i)
        m_pSpec->m_params[i] = params[i];
    m_pSpec->m_nDisplacement = std::max(0, DisplacementOf(type, params));
    const CString plainKey = symbol + "," + intervalToken;
    if (type == kMACD || type == kOBV || type == kRSI) {
        m_pSpec->m_pStudySeries = OpenPriceSeries(text, context);
        if (!m_pSpec->m_pStudySeries)
            return false;
    }
    int cut = intervalToken.Find(':');
    if (cut < 0)
        cut = intervalToken.Find('&');
    CString companionKey;
    companionKey.Format("%s,%d", symbol.GetString(), sourceOption);
    if (cut >= 0)
        companionKey += intervalToken.Mid(cut);
    m_pSpec->m_pCompanion = OpenPriceSeries(companionKey, context);
    if (!m_pSpec->m_pCompanion)
        return false;
    m_pBase = OpenPriceSeries(IsSeriesStudy(type) ? text : plainKey, context);
    return m_pBase != nullptr;
}

bool CStudySource::IsDisplaced() const
{
    return m_pSpec && m_pBase && m_pBase->GetWindowMode();
}

bool CStudySource::Prepare(int count, DWORD endFeedTime)
{
    if (!m_pBase)
        return false;
    const int displacement = m_pSpec ? m_pSpec->m_nDisplacement : 0;
    if (!m_pBase->SetBarCount(count + displacement, endFeedTime))
        return false;
    if (!m_pSpec)
        return true;
    if (CPriceSeries* companion = m_pSpec->m_pCompanion) {
        // From the start of the first base bar to the end: the first bar is read as of its
        // own records too.
        int first = 0, last = 0;
        const int wanted = m_pBase->GetVisibleRange(first, last);
        DWORD firstStart = 0;
        int bars = 1;
        if (wanted > 0 && m_pBase->GetBarTime(last - (count - 1), 0, firstStart)) {
            companion->SetWindowMode(1);
            companion->SetBarCount(1, endFeedTime);
            int newest = 0, oldest = 0;
            companion->GetVisibleRange(oldest, newest);
            const int a = companion->FindBarByTime(firstStart, 0);
            bars = std::clamp(newest - a + 1, 1, CPriceSeries::kMaxRecords);
        }
        companion->SetWindowMode(1);
        if (!companion->SetBarCount(bars, endFeedTime))
            return false;
    }
    if (CPriceSeries* study = m_pSpec->m_pStudySeries) {
        study->SetWindowMode(1);
        if (!study->SetBarCount(count, endFeedTime))
            return false;
        study->AddEmptyBars(-1, 0);
    }
    return true;
}

void CStudySource::AddBars(int n, int side)
{
    GrowBars(n, side, false);
}

void CStudySource::ExtendBars(int n, int side)
{
    GrowBars(n, side, true);
}

void CStudySource::PrependBars(int n)
{
    if (m_pSpec)
        GrowBars(-std::abs(n), 1, true);
    else if (m_pBase)
        m_pBase->PrependBars(n);
}

void CStudySource::AskBars(int first, int last)
{
    if (m_pBase && !m_pSpec)
        m_pBase->AskRecords(first, last);
}

void CStudySource::GrowBars(int n, int side, bool ask)
{
    if (!m_pBase)
        return;
    const auto grow = [ask, side](CPriceSeries& series, int count) {
        if (ask)
            series.ExtendBars(count, side);
        else
            series.AddEmptyBars(count, side);
    };
    grow(*m_pBase, n);
    if (!m_pSpec)
        return;
    if (CPriceSeries* companion = m_pSpec->m_pCompanion) {
        // The companion grows by the number of its bars the new base bars span.
        int first = 0, last = 0;
        m_pBase->GetVisibleRange(first, last);
        DWORD from = 0, to = 0;
        const bool front = n < 0;
        if (front ? (m_pBase->GetBarTime(first, 0, from) && m_pBase->GetBarTime(first - n - 1, 1, to))
                  : (m_pBase->GetBarTime(last - n + 1, 0, from) && m_pBase->GetBarTime(last, 1, to))) {
            const int span = std::abs(companion->FindBarByTime(to, 1) - companion->FindBarByTime(from, 0)) + 1;
            grow(*companion, front ? -span : span);
        }
    }
    if (CPriceSeries* study = m_pSpec->m_pStudySeries)
        grow(*study, n);
}

bool CStudySource::IsWaitingForData()
{
    if (m_pBase && m_pBase->IsWaitingForData())
        return true;
    if (m_pSpec && m_pSpec->m_pCompanion && m_pSpec->m_pCompanion->IsWaitingForData())
        return true;
    return m_pSpec && m_pSpec->m_pStudySeries && m_pSpec->m_pStudySeries->IsWaitingForData();
}

int CStudySource::GetDataResets() const
{
    int resets = m_pBase ? m_pBase->GetDataResets() : 0;
    if (m_pSpec && m_pSpec->m_pCompanion)
        resets += m_pSpec->m_pCompanion->GetDataResets();
    if (m_pSpec && m_pSpec->m_pStudySeries)
        resets += m_pSpec->m_pStudySeries->GetDataResets();
    return resets;
}

int CStudySource::FindField(const char* name) const
{
    const int unit = FindTimeUnitField(name);
    if (unit >= 0)
        return unit;
    if (m_pSpec)
        return FindStudyOutput(m_pSpec->m_nType, name); // -1 when the study has no such output
    return m_pBase ? m_pBase->FindField(name) : -1;
}

int CStudySource::GetFieldKind(int field) const
{
    if (m_pSpec)
        return 4;
    return m_pBase ? m_pBase->GetFieldKind(field) : 4;
}

int CStudySource::GetVisibleRange(int& first, int& last) const
{
    if (!m_pBase)
        return 0;
    const int count = m_pBase->GetVisibleRange(first, last);
    if (!m_pSpec)
        return count;
    const int d = m_pSpec->m_nDisplacement;
    if (m_pBase->GetWindowMode())
        last -= d;
    else
        first += d;
    return count - d;
}

int CStudySource::FindBarByTime(DWORD feedTime, int side)
{
    if (!m_pBase)
        return 0;
    const int index = m_pBase->FindBarByTime(feedTime, side);
    return IsDisplaced() ? index - m_pSpec->m_nDisplacement : index;
}

bool CStudySource::GetBarTime(int index, int side, DWORD& feedTime)
{
    if (!m_pBase)
        return false;
    return m_pBase->GetBarTime(IsDisplaced() ? index + m_pSpec->m_nDisplacement : index, side, feedTime);
}

double CStudySource::GetHighest(int first, int last, int field)
{
    if (!m_pSpec)
        return 0.0;
    double best = -std::numeric_limits<double>::infinity();
    for (int i = first; i <= last; ++i) {
        double v;
        if (GetValue(i, field, v))
            best = std::max(best, v);
    }
    return std::isinf(best) ? -1000000.0 : best;
}

double CStudySource::GetLowest(int first, int last, int field)
{
    if (!m_pSpec)
        return 0.0;
    double best = std::numeric_limits<double>::infinity();
    for (int i = first; i <= last; ++i) {
        double v;
        if (GetValue(i, field, v))
            best = std::min(best, v);
    }
    return std::isinf(best) ? 1000000.0 : best;
}

bool CStudySource::TimeUnit(int index, int field, double& value, int companionIndex)
{
    DWORD feed = 0;
    bool ok = false;
    if (m_pSpec && m_pSpec->m_pCompanion && companionIndex >= 0)
        ok = m_pSpec->m_pCompanion->GetBarTime(companionIndex, 1, feed);
    else
        ok = m_pBase->GetBarTime(index, 1, feed);
    if (!ok)
        return false;
    const CTime t = FeedTimeToRecordTime(feed);
    const struct tm tm = t.GetLocalTm();
    switch (field) {
    case 100: value = tm.tm_sec; break;
    case 101: value = tm.tm_min; break;
    case 102: value = tm.tm_hour; break;
    case 103: value = tm.tm_mday; break;
    case 104: value = tm.tm_mon + 1; break;
    case 105: value = tm.tm_year + 1900; break;
    case 106: value = (tm.tm_year + 1900) * 10000.0 + (tm.tm_mon + 1) * 100 + tm.tm_mday; break;
    case 107: value = static_cast<double>(t.GetTime()); break;
    case 108: value = tm.tm_wday; break;
    default: return false;
    }
    return true;
}

bool CStudySource::AsOfBar(int index, int companionIndex, CBarRecord& bar, bool& partial)
{
    partial = false;
    if (!m_pBase->GetRecord(index, bar) || !bar.m_bValid)
        return false;
    CPriceSeries* companion = m_pSpec ? m_pSpec->m_pCompanion : nullptr;
    if (!companion || companionIndex < 0)
        return true;
    // Only a companion record spanning the whole bar gives the bar as it stands: a finer
    // one that starts with it (the session's first minute of a daily bar) ends before it.
    // Without the record the bar cannot be read as of it.
    CBarRecord at;
    if (!companion->GetRecord(companionIndex, at))
        return false;
    if (at.m_startTime == bar.m_startTime && at.m_endTime >= bar.m_endTime)
        return true;
    // A record after the bar finds it ended; one before it, not yet begun.
    if (at.m_startTime >= bar.m_endTime)
        return true;
    if (at.m_startTime < bar.m_startTime || !at.m_bValid)
        return false;
    partial = true;
    const int first = companion->FindBarByTime(CTimeToFeedTime(bar.m_startTime), 0);
    double high = -std::numeric_limits<double>::infinity(), low = std::numeric_limits<double>::infinity(), volume = 0;
    for (int k = std::min(first, companionIndex); k <= companionIndex; ++k) {
        CBarRecord rec;
        if (!companion->GetRecord(k, rec) || !rec.m_bValid)
            continue;
        high = std::max(high, rec.High());
        low = std::min(low, rec.Low());
        volume += rec.Volume();
    }
    bar.m_fields[kBarClose] = at.Close();
    bar.m_fields[kBarHigh] = high;
    bar.m_fields[kBarLow] = low;
    bar.m_fields[kBarVolume] = volume;
    return true;
}

bool CStudySource::GetValue(int index, int field, double& value, int companionIndex)
{
    value = 0;
    if (!m_pBase)
        return false;
    if (field >= kFirstTimeUnitField && field <= kLastTimeUnitField)
        return TimeUnit(IsDisplaced() ? index + m_pSpec->m_nDisplacement : index, field, value, companionIndex);
    if (!m_pSpec)
        return m_pBase->GetValue(index, field, value);
    if (IsDisplaced())
        index += m_pSpec->m_nDisplacement;
    const int type = m_pSpec->m_nType;
    if (type == kEQTY)
        return m_pBase->GetValue(index, field, value);
    // A bar as it stands: the base series holds the value itself (no record is copied).
    const bool asOf = m_pSpec->m_pCompanion && companionIndex >= 0;
    if (!asOf && IsSeriesStudy(type))
        return m_pBase->GetValue(index, field, value);
    if (!asOf && type == kBar)
        return field >= 0 && field <= kBarVolume && m_pBase->GetValue(index, field, value);
    CBarRecord bar;
    bool partial = false;
    if (!AsOfBar(index, companionIndex, bar, partial))
        return false;
    if (IsSeriesStudy(type))
        return partial ? StudyOnCopy(index, field, bar, value) : m_pBase->GetValue(index, field, value);
    if (type == kMACD || type == kRSI || type == kOBV) {
        int at = 0;
        if (!partial && m_pSpec->m_pStudySeries && StudyIndexOf(m_pBase, m_pSpec->m_pStudySeries, index, at))
            return m_pSpec->m_pStudySeries->GetValue(at, field, value);
        return SteppedStudy(index, field, bar, value);
    }
    return WindowStudy(index, field, bar, value);
}

bool CStudySource::GetValueAsOf(int index, int field, double& value, DWORD feedTime)
{
    value = 0;
    CPriceSeries* companion = m_pSpec ? m_pSpec->m_pCompanion : nullptr;
    if (!companion)
        return GetValue(index, field, value, -1);
    // Its own record holding the moment, else the newest before it (none in a gap of its
    // sessions); a record found past the moment is not there yet.
    const int at = companion->FindBarByTime(feedTime, 0);
    DWORD start = 0;
    if (!companion->GetBarTime(at, 0, start) || start > feedTime)
        return false;
    // A bar that had not begun by then (a finer input's newest of the period) gives way
    // to the newest that had.
    DWORD barStart = 0;
    if (GetBarTime(index, 0, barStart) && barStart > feedTime)
        index = std::min(index, FindBarByTime(feedTime, 0));
    return GetValue(index, field, value, at);
}

CPriceSeries* CStudySource::SeriesHolding(int field, int& shift) const
{
    shift = 0;
    if (!m_pBase || (field >= kFirstTimeUnitField && field <= kLastTimeUnitField))
        return nullptr;
    if (!m_pSpec)
        return m_pBase;
    const int type = m_pSpec->m_nType;
    if (type != kEQTY && !IsSeriesStudy(type) && !(type == kBar && field >= 0 && field <= kBarVolume))
        return nullptr;
    shift = IsDisplaced() ? m_pSpec->m_nDisplacement : 0;
    return m_pBase;
}

void CStudySource::ReadValues(int first, int count, int field, double* values, BYTE* ok)
{
    if (count <= 0)
        return;
    int shift = 0;
    if (CPriceSeries* series = SeriesHolding(field, shift)) {
        const CSeriesReadLock pass(*series);
        pass.ReadValues(first + shift, count, field, values, ok);
        return;
    }
    for (int k = 0; k < count; ++k)
        ok[k] = GetValue(first + k, field, values[k], -1) ? 1 : 0;
}

// The study over a copy of the base series' records with record i replaced by the as-of
// bar; the live records are never touched.
bool CStudySource::StudyOnCopy(int index, int field, const CBarRecord& asOf, double& value)
{
    const int r = m_pBase->GetRecordOfIndex(index);
    std::vector<CBarRecord> records = m_pBase->CopyRecords(r);
    if (r < 0 || r >= static_cast<int>(records.size()))
        return false;
    const int type = m_pSpec->m_nType;
    TakeAsOfFields(type, field, asOf, records[r], static_cast<int>(m_pSpec->m_params[0]));
    CStudyInput input;
    input.records = records.data();
    input.count = static_cast<int>(records.size());
    CStudyColumns columns;
    if (!ComputeStudy(type, m_pSpec->m_params, input, columns))
        return false;
    return columns.Get(r, field, value);
}

bool CStudySource::SteppedStudy(int index, int field, const CBarRecord& bar, double& value)
{
    CPriceSeries* study = m_pSpec->m_pStudySeries;
    int prev = 0;
    if (!study || !StudyIndexOf(m_pBase, study, index - 1, prev))
        return false;
    const int type = m_pSpec->m_nType;
    const double* p = m_pSpec->m_params;
    if (type == kMACD) {
        double ma1, ma2, signal;
        if (!study->GetValue(prev, 1, ma1) || !study->GetValue(prev, 2, ma2) || !study->GetValue(prev, 3, signal))
            return false;
        const double x = bar.m_fields[static_cast<int>(p[0])];
        const double a1 = 2.0 / (static_cast<int>(p[1]) + 1), a2 = 2.0 / (static_cast<int>(p[2]) + 1);
        const double aG = 2.0 / (static_cast<int>(p[3]) + 1);
        ma1 = a1 * x + (1 - a1) * ma1;
        ma2 = a2 * x + (1 - a2) * ma2;
        const double macd = ma1 - ma2;
        signal = aG * macd + (1 - aG) * signal;
        const double outs[5] = {macd, ma1, ma2, signal, macd - signal};
        if (field < 0 || field > 4)
            return false;
        value = outs[field];
        return true;
    }
    double prevClose;
    if (!m_pBase->GetValue(index - 1, kBarClose, prevClose))
        return false;
    if (type == kRSI) {
        double h, l;
        if (!study->GetValue(prev, 1, h) || !study->GetValue(prev, 2, l))
            return false;
        const int n = static_cast<int>(p[0]);
        const double c = bar.Close();
        const double up = c > prevClose ? c - prevClose : 0, down = c < prevClose ? prevClose - c : 0;
        h = (1 - 1.0 / n) * h + up / n;
        l = (1 - 1.0 / n) * l + down / n;
        if (field == 1)
            value = h;
        else if (field == 2)
            value = l;
        else if (field == 0 && l != 0)
            value = 100 - 100 / (h / l + 1);
        else
            return false;
        return true;
    }
    // OBV: the previous bar's sum plus or minus this bar's volume.
    double obv;
    if (field != 0 || !study->GetValue(prev, 0, obv))
        return false;
    if (bar.Close() > prevClose)
        obv += bar.Volume();
    else if (bar.Close() < prevClose)
        obv -= bar.Volume();
    value = obv;
    return true;
}

// Studies over the n consecutive bars ending at i (bar i as of the companion record),
// read from the base series; a bar that cannot be read fails the value.
bool CStudySource::WindowStudy(int index, int field, const CBarRecord& bar, double& value)
{
    const int type = m_pSpec->m_nType;
    const double* p = m_pSpec->m_params;
    if (type == kBar) {
        if (field < 0 || field > 4)
            return false;
        value = bar.m_fields[field];
        return true;
    }
    if (type == kMOM) {
        const int n = static_cast<int>(p[1]);
        const int f = static_cast<int>(p[0]);
        double base;
        if (!m_pBase->GetValue(index - n, f, base))
            return false;
        value = bar.m_fields[f] - base;
        if (static_cast<int>(p[2]) != 0) {
            if (base == 0)
                return false;
            value = value / base * 100;
        }
        return true;
    }
    const int n = static_cast<int>(p[0]);
    if (n < 1 || n > kMaxStudyLength)
        return false;
    std::vector<CBarRecord> bars;
    bars.reserve(static_cast<size_t>(n) + 1);
    CBarRecord before;
    if (m_pBase->GetRecord(index - n, before) && before.m_bValid)
        bars.push_back(before);
    for (int k = index - n + 1; k < index; ++k) {
        CBarRecord rec;
        if (!m_pBase->GetRecord(k, rec) || !rec.m_bValid)
            return false;
        bars.push_back(rec);
    }
    bars.push_back(bar);
    if (type == kCHOP && field >= 1 && field <= 3) {
        // True high and low of bar i itself.
        if (bars.size() < 2)
            return false;
        const double pc = bars[bars.size() - 2].Close();
        const double th = pc < bar.High() ? bar.High() : pc;
        const double tl = pc <= bar.Low() ? pc : bar.Low();
        value = field == 1 ? th : field == 2 ? tl : th - tl;
        return true;
    }
    double params[4] = {p[0], p[1], p[2], p[3]};
    if (type == kPRC)
        params[1] = 0; // the window already ends at i
    CStudyInput input;
    input.records = bars.data();
    input.count = static_cast<int>(bars.size());
    CStudyColumns columns;
    if (!ComputeStudy(type, params, input, columns))
        return false;
    return columns.Get(input.count - 1, field, value);
}

CStudySource* ParseStudyCall(const char* key, int sourceOption, int historyFlag, int mode)
{
    auto source = std::make_unique<CStudySource>();
    if (!source->Open(key, sourceOption, historyFlag, mode))
        return nullptr;
    return source.release();
}

void DeleteStudyCall(CStudySource* source)
{
    delete source;
}
