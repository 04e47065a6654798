#include "views/ListExport.h"

#include "analytics/series/CPriceSeries.h"
#include "broker/session/CSessionManager.h"
#include "platform/core/CFileException.h"
#include "platform/core/CSafeFile.h"
#include "platform/core/FileVersion.h"
#include "views/GridExport.h"
#include "views/TickRows.h"

#include <algorithm>
#include <chrono>

namespace {

constexpr const char* kExportError = "Error exporting data";
constexpr const char* kEmptyRange = "There is no data to export between those times.";
constexpr int kWaitStepMs = 50;

CString FileName(const CString& path)
{
    const int slash = path.ReverseFind('/');
    return slash >= 0 ? path.Mid(slash + 1) : path;
}

void WriteLine(CSafeFile& file, const std::vector<CString>& fields, char separator)
{
    const CString line = ExportLine(fields, separator);
    file.Write(line.GetString(), static_cast<UINT>(line.GetLength()));
}

} // namespace

CSeriesMaker CSeriesMaker::Session()
{
    CSeriesMaker maker;
    maker.make = [](const CString& key) -> CPriceSeries* {
        CSessionManager* manager = CSessionManager::Instance();
        return manager ? manager->CreatePriceSeries(key, 0) : nullptr;
    };
    maker.drop = [](CPriceSeries* series) {
        if (CSessionManager* manager = CSessionManager::Instance())
            manager->DeletePriceSeries(series);
    };
    return maker;
}

CListExportResult RunListExport(const CListExportJob& job, const CSeriesMaker& maker, const std::atomic<bool>& stop,
                                const ExportProgress& progress, int waitMs)
{
    CListExportResult result;
    CPriceSeries* series = maker.make ? maker.make(job.key) : nullptr;
    if (!series) {
        result.message = kExportError;
        return result;
    }
    const std::unique_ptr<CPriceSeries, std::function<void(CPriceSeries*)>> owned(series, maker.drop);
    series->SetWindowMode(1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    // Waits for the series' answers: false when stopped or out of time.
    auto awaitData = [&] {
        while (series->IsWaitingForData()) {
            if (stop)
                return false;
            if (std::chrono::steady_clock::now() >= deadline) {
                result.message = kExportError;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(kWaitStepMs));
        }
        return true;
    };
    // Laid out up to the end first, the series counts the records back to the start.
    if (job.endFeedTime <= job.startFeedTime) {
        result.message = kEmptyRange;
        return result;
    }
    series->SetBarCount(1, job.endFeedTime);
    if (!awaitData())
        return result;
    const long long first = series->FindBarByTime(job.startFeedTime, 1);
    const long long last = series->FindBarByTime(job.endFeedTime, 0);
    const long long span = last - first + 1;
    if (span <= 0) {
        result.message = kEmptyRange;
        return result;
    }
    const int count = static_cast<int>(std::min<long long>(span, CPriceSeries::kMaxRecords));
    series->SetBarCount(count, job.endFeedTime);
    if (!awaitData())
        return result;

    CSafeFile file;
    CFileException openError;
    if (!file.Open(job.path, CFile::modeCreate | CFile::modeWrite, &openError)) {
        result.message = WriteErrorMessage(FileName(job.path), static_cast<int>(openError.m_lOsError));
        return result;
    }
    const char separator = job.separator;
    std::vector<CString> fields;
    for (int kind : job.kinds)
        fields.push_back(ListColumnTitle(job.tickMode, kind));
    try {
        WriteLine(file, fields, separator);
        auto lastReport = std::chrono::steady_clock::now();
        for (int n = 0; n < count; ++n) {
            if (stop) {
                file.Abort();
                return result;
            }
            // Ticks newest first, as the list shows them; bars oldest first.
            const int v = job.tickMode ? count - 1 - n : n;
            CListRow row;
            const bool built = job.tickMode ? BuildTickRow(*series, v, row) : BuildBarRow(*series, v, row);
            if (!built || row.texts[job.tickMode ? 6 : 2].IsEmpty())
                continue; // no data at this record
            if (job.tickMode && row.feedTime < job.startFeedTime)
                break;
            if (job.tickMode && row.feedTime > job.endFeedTime)
                continue;
            // A bar belongs to the range by its start: the one holding the start time began before it.
            if (!job.tickMode && (row.feedTime < job.startFeedTime || row.feedTime > job.endFeedTime))
                continue;
            fields.clear();
            for (int kind : job.kinds)
                fields.push_back(kind >= 0 && kind < kTickKindCount ? row.texts[static_cast<size_t>(kind)] : CString());
            WriteLine(file, fields, separator);
            ++result.rows;
            const auto now = std::chrono::steady_clock::now();
            if (progress && now - lastReport > std::chrono::milliseconds(250)) {
                lastReport = now;
                progress(static_cast<int>(100LL * n / count));
            }
        }
        file.Commit();
    } catch (CFileException& e) {
        file.Abort();
        result.rows = 0;
        result.message = WriteErrorMessage(FileName(job.path), static_cast<int>(e.m_lOsError));
        return result;
    }
    result.ok = true;
    return result;
}

CListExports& CListExports::Instance()
{
    static CListExports exports;
    return exports;
}

CListExports::~CListExports()
{
    StopAll();
}

void CListExports::Start(CListExportJob job, Done done, ExportProgress progress)
{
    std::lock_guard<std::mutex> lock(m_lock);
    Reap();
    auto worker = std::make_unique<CWorker>();
    CWorker* self = worker.get();
    worker->thread = std::thread([this, self, job = std::move(job), done = std::move(done),
                                  progress = std::move(progress)] {
        const CListExportResult result = RunListExport(job, CSeriesMaker::Session(), m_stop, progress);
        if (done && !m_stop)
            done(result);
        self->finished = true;
    });
    m_workers.push_back(std::move(worker));
}

void CListExports::StopAll()
{
    std::vector<std::unique_ptr<CWorker>> workers;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = true;
        workers.swap(m_workers);
    }
    for (auto& worker : workers)
        if (worker->thread.joinable())
            worker->thread.join();
    m_stop = false;
}

int CListExports::Running() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    int running = 0;
    for (const auto& worker : m_workers)
        running += worker->finished ? 0 : 1;
    return running;
}

void CListExports::Reap()
{
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if ((*it)->finished) {
            (*it)->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}
