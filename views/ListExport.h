// Exports of a date range of ticks or bars to a comma, tab or blank separated file, each
// on a worker thread of its own with a series of its own. The file is written through a
// temporary file; what went wrong is told, and an export ends with its range.
#pragma once

#include "platform/core/CString.h"
#include "platform/core/WinTypes.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CPriceSeries;

struct CListExportJob {
    bool tickMode = true;
    // The series' request key; it ends at the range's end.
    CString key;
    // The columns in display order.
    std::vector<int> kinds;
    CString path;
    char separator = ',';
    DWORD startFeedTime = 0;
    DWORD endFeedTime = 0;
};

struct CListExportResult {
    bool ok = false;
    CString message; // what to tell the user on failure
    int rows = 0;
};

// How an export gets and gives back its series (the session manager's, by default).
struct CSeriesMaker {
    std::function<CPriceSeries*(const CString& key)> make;
    std::function<void(CPriceSeries*)> drop;
    static CSeriesMaker Session();
};

// Progress of a running export, 0 to 100.
using ExportProgress = std::function<void(int percent)>;

inline constexpr int kExportWaitMs = 60000;

// Runs one export on the calling thread: asks the series for the bars or ticks from the
// start to the end, waits for them (at most waitMs, then "Error exporting data"), writes
// the header and a line per record with data in the range (ticks newest first, bars oldest
// first), and frees its series. A range without records is refused; stop ends it early
// without a file.
CListExportResult RunListExport(const CListExportJob& job, const CSeriesMaker& maker, const std::atomic<bool>& stop,
                                const ExportProgress& progress = {}, int waitMs = kExportWaitMs);

// The running exports of the process: each on a thread of its own; StopAll ends and joins
// them (before the session goes away).
class CListExports {
public:
    static CListExports& Instance();
    ~CListExports();

    using Done = std::function<void(const CListExportResult&)>;
    // Done and progress are called on the worker thread.
    void Start(CListExportJob job, Done done, ExportProgress progress = {});
    void StopAll();
    int Running() const;

private:
    struct CWorker {
        std::thread thread;
        std::atomic<bool> finished{false};
    };
    void Reap();

    mutable std::mutex m_lock;
    std::atomic<bool> m_stop{false};
    std::vector<std::unique_ptr<CWorker>> m_workers;
};
