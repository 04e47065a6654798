// The workspace records of the Level II, time and sales and bar windows.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"
#include "views/TimeSalesKeys.h"

class CArchive;
class CLinkState;

// Records of these versions and later carry the grid flag (time and sales, bars) or the
// market-maker log flag (Level II).
inline constexpr DWORD kFirstListRecordWithGrid = 10;
inline constexpr DWORD kFirstLevel2RecordWithLog = 4;

struct CTimeSalesRecord {
    CString layout;
    CString symbol;
    int extended = 0;
    CTimeSalesFilter filter;
    DWORD goToTime = 0; // seconds of the go-to time
    int historical = 0;
    int grid = 1;
    bool operator==(const CTimeSalesRecord&) const = default;
};

struct CBarViewRecord {
    CString layout;
    CString symbol;
    CString interval;
    int extended = 0;
    int grid = 1;
    bool operator==(const CBarViewRecord&) const = default;
};

struct CLevel2Record {
    CString symbol;
    int source = 1; // 0 INET Book, 1 Auto, 2 Level II, 3 TotalView
    int logShown = 0;
    bool operator==(const CLevel2Record&) const = default;
};

// Writers give false when the link state could not be written; readers when it is
// refused. Archive errors throw CArchiveException. A stored filter suffix is made anew
// from the filter's flags and values; flags, choices and switches outside their values are
// read as the defaults.
bool WriteTimeSalesRecord(CArchive& ar, const CTimeSalesRecord& record, const CLinkState& links);
bool ReadTimeSalesRecord(CArchive& ar, DWORD version, CTimeSalesRecord& record, CLinkState& links);
bool WriteBarViewRecord(CArchive& ar, const CBarViewRecord& record, const CLinkState& links);
bool ReadBarViewRecord(CArchive& ar, DWORD version, CBarViewRecord& record, CLinkState& links);
bool WriteLevel2Record(CArchive& ar, const CLevel2Record& record, const CLinkState& links);
bool ReadLevel2Record(CArchive& ar, DWORD version, CLevel2Record& record, CLinkState& links);
