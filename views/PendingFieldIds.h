// Quote field ids changed since a window last repainted them: queued on the session
// thread, taken on the window's thread. Going from empty to not empty calls the notifier
// once (a posted message stands for every change queued until it is handled); a notifier
// that fails drops what was queued, so the next change notifies again.
#pragma once

#include "platform/core/WinTypes.h"

#include <functional>
#include <mutex>
#include <set>

class CPendingFieldIds {
public:
    void SetNotifier(std::function<bool()> notify);
    void Add(int count, const BYTE* ids);
    std::set<int> Take();
    void Clear();

private:
    std::mutex m_lock; // guards both below
    std::set<int> m_ids;
    std::function<bool()> m_notify;
};
