// Headlines per news key ("*ALL*", "*HOT*" or a symbol) with their listeners.
#pragma once

#include "broker/session/SessionMessages.h"
#include "platform/core/CString.h"

#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

class IStreamSubscriber;
struct CNewsListener;

class CNewsCallback {
public:
    virtual ~CNewsCallback() = default;
    // Rows first..last of the entry changed (registry locked).
    virtual void OnNewsChange(CNewsListener* listener, int first, int last) = 0;
};

struct CNewsListener {
    void* owner = nullptr;
    CNewsCallback* callback = nullptr;
};

struct CNewsEntry {
    CString key;
    int pending = 1;
    std::vector<CNewsHeadline> headlines;
    std::unordered_map<CString, int> storyIndex;
    std::vector<CNewsListener*> listeners;

    // Copies key, pending flag and the headlines and rebuilds the story index (no listeners).
    void CopyFrom(const CNewsEntry& other);
};

class CNewsRegistry {
public:
    explicit CNewsRegistry(IStreamSubscriber* subscriber = nullptr);
    ~CNewsRegistry();
    CNewsRegistry(const CNewsRegistry&) = delete;
    CNewsRegistry& operator=(const CNewsRegistry&) = delete;

    void SetSubscriber(IStreamSubscriber* subscriber);
    std::recursive_mutex& GetLock() { return m_lock; }

    CNewsEntry* AddListener(const CString& key, CNewsListener* listener, bool* existed);
    void RemoveListener(const CString& key, CNewsListener* listener);
    CNewsEntry* Lookup(const CString& key);
    static const CNewsHeadline& GetHeadline(const CNewsEntry& entry, int index)
    {
        return entry.headlines[static_cast<size_t>(index)];
    }

    // Applies one code-15 message; news for a key nobody registered is dropped.
    void DispatchNews(const CNewsMessage& message);

private:
    std::recursive_mutex m_lock;
    IStreamSubscriber* m_pSubscriber = nullptr;
    std::unordered_map<CString, std::unique_ptr<CNewsEntry>> m_entries;
};
