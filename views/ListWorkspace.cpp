#include "views/ListWorkspace.h"

#include "common/services/CLinkState.h"
#include "platform/core/CArchive.h"

#include <cmath>

namespace {

int Switch(DWORD value, int fallback)
{
    return value <= 1 ? static_cast<int>(value) : fallback;
}

float FinitePrice(float value)
{
    return std::isfinite(value) ? value : 0.0f;
}

// Each record ends in the link groups and a switch.
bool SaveLinksAndSwitch(CArchive& ar, const CLinkState& links, int on)
{
    if (!links.Save(ar))
        return false;
    ar << static_cast<DWORD>(on);
    return true;
}

// The switch is read when the record has it; out of range it reads as the fallback.
bool LoadLinksAndSwitch(CArchive& ar, CLinkState& links, bool hasSwitch, int fallback, int& on)
{
    if (!links.Load(ar))
        return false;
    if (hasSwitch) {
        DWORD value = static_cast<DWORD>(fallback);
        ar >> value;
        on = Switch(value, fallback);
    }
    return true;
}

} // namespace

bool WriteTimeSalesRecord(CArchive& ar, const CTimeSalesRecord& record, const CLinkState& links)
{
    const CTimeSalesFilter& f = record.filter;
    ar << record.layout << record.symbol << static_cast<DWORD>(record.extended) << static_cast<DWORD>(f.flags)
       << f.minPrice << f.maxPrice << f.text << static_cast<DWORD>(f.minSize) << f.suffix << record.goToTime
       << static_cast<DWORD>(record.historical);
    return SaveLinksAndSwitch(ar, links, record.grid);
}

bool ReadTimeSalesRecord(CArchive& ar, DWORD version, CTimeSalesRecord& record, CLinkState& links)
{
    CTimeSalesRecord r;
    DWORD extended = 0, flags = 0, minSize = 0, historical = 0;
    CString storedSuffix;
    ar >> r.layout >> r.symbol >> extended >> flags >> r.filter.minPrice >> r.filter.maxPrice >> r.filter.text >>
        minSize >> storedSuffix >> r.goToTime >> historical;
    r.extended = Switch(extended, 0);
    r.filter.flags = static_cast<int>(flags) & (kFilterPriceRange | kFilterMinSize);
    r.filter.minPrice = FinitePrice(r.filter.minPrice);
    r.filter.maxPrice = FinitePrice(r.filter.maxPrice);
    r.filter.minSize = minSize;
    r.filter.suffix = FilterSuffix(r.filter);
    r.historical = Switch(historical, 0);
    if (!LoadLinksAndSwitch(ar, links, version >= kFirstListRecordWithGrid, 1, r.grid))
        return false;
    record = r;
    return true;
}

bool WriteBarViewRecord(CArchive& ar, const CBarViewRecord& record, const CLinkState& links)
{
    ar << record.layout << record.symbol << record.interval << static_cast<DWORD>(record.extended);
    return SaveLinksAndSwitch(ar, links, record.grid);
}

bool ReadBarViewRecord(CArchive& ar, DWORD version, CBarViewRecord& record, CLinkState& links)
{
    CBarViewRecord r;
    DWORD extended = 0;
    ar >> r.layout >> r.symbol >> r.interval >> extended;
    r.extended = Switch(extended, 0);
    if (!LoadLinksAndSwitch(ar, links, version >= kFirstListRecordWithGrid, 1, r.grid))
        return false;
    record = r;
    return true;
}

bool WriteLevel2Record(CArchive& ar, const CLevel2Record& record, const CLinkState& links)
{
    ar << record.symbol << static_cast<DWORD>(record.source);
    return SaveLinksAndSwitch(ar, links, record.logShown);
}

bool ReadLevel2Record(CArchive& ar, DWORD version, CLevel2Record& record, CLinkState& links)
{
    CLevel2Record r;
    DWORD source = 1;
    ar >> r.symbol >> source;
    r.source = source <= 3 ? static_cast<int>(source) : 1;
    if (!LoadLinksAndSwitch(ar, links, version >= kFirstLevel2RecordWithLog, 0, r.logShown))
        return false;
    record = r;
    return true;
}
