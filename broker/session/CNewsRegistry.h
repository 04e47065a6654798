// Headlines per news key ("*ALL*", "*HOT*" or a symbol) with their listeners.
//
// An entry keeps at most a bounded number of headlines: the oldest arrivals go first.
// Indexes are stable: the i-th headline a key ever received keeps index i, whether or
// not older ones have been dropped (headlines[i - base] while i >= base).
#pragma once

#include "broker/session/SessionMessages.h"
#include "platform/core/CString.h"

#include <deque>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

class IStreamSubscriber;
struct CNewsListener;

class CNewsCallback {
public:
    virtual ~CNewsCallback() = default;
    // Rows first..last of the entry changed (registry locked). A message that changed
    // rows apart from each other calls once per run of adjacent changed rows.
    virtual void OnNewsChange(CNewsListener* listener, int first, int last) = 0;
};

struct CNewsListener {
    void* owner = nullptr;
    CNewsCallback* callback = nullptr;
};

struct CNewsEntry {
    CString key;
    int pending = 1;
    int base = 0; // index of headlines.front()
    std::deque<CNewsHeadline> headlines;
    std::unordered_map<CString, int> storyIndex;
    std::vector<CNewsListener*> listeners;

    // One past the last index ever given.
    int End() const { return base + static_cast<int>(headlines.size()); }
    // Copies key, pending flag and the headlines and rebuilds the story index (no listeners).
    void CopyFrom(const CNewsEntry& other);
};

class CNewsRegistry {
public:
    // Headlines a key keeps unless told otherwise.
    static constexpr int kDefaultHistoryLimit = 1000;

    explicit CNewsRegistry(IStreamSubscriber* subscriber = nullptr, int historyLimit = kDefaultHistoryLimit);
    ~CNewsRegistry();
    CNewsRegistry(const CNewsRegistry&) = delete;
    CNewsRegistry& operator=(const CNewsRegistry&) = delete;

    void SetSubscriber(IStreamSubscriber* subscriber);
    std::recursive_mutex& GetLock() { return m_lock; }
    int GetHistoryLimit() const { return m_limit; }

    // The first listener of a key subscribes it and asks for its recent headlines.
    CNewsEntry* AddListener(const CString& key, CNewsListener* listener, bool* existed);
    // The last listener's removal unsubscribes the key and drops its headlines.
    void RemoveListener(const CString& key, CNewsListener* listener);
    CNewsEntry* Lookup(const CString& key);
    // The headline of index i, which must lie in base .. End() - 1.
    static const CNewsHeadline& GetHeadline(const CNewsEntry& entry, int index)
    {
        return entry.headlines[static_cast<size_t>(index - entry.base)];
    }
    // Copies the headlines of indexes first..last that the entry still holds, under the
    // lock; the index of out[0] goes to *firstCopied (when given).
    void CopyHeadlines(const CNewsEntry& entry, int first, int last, std::vector<CNewsHeadline>& out,
                       int* firstCopied = nullptr);

    // Applies one code-15 message; news for a key nobody registered is dropped.
    void DispatchNews(const CNewsMessage& message);

private:
    void DropOldest(CNewsEntry& entry);

    std::recursive_mutex m_lock;
    IStreamSubscriber* m_pSubscriber = nullptr;
    const int m_limit;
    std::unordered_map<CString, std::unique_ptr<CNewsEntry>> m_entries;
};
