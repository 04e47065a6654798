// An event: manual reset (stays set until reset) or auto reset (a successful wait
// clears it, releasing one waiter per SetEvent).
#pragma once

#include "platform/core/CWaitable.h"

class CEvent : public CWaitable {
public:
    // Arguments as the framework's event: initial state, manual reset, then a name
    // and security attributes, which are not used.
    explicit CEvent(BOOL initiallyOwn = FALSE, BOOL manualReset = FALSE, const char* name = nullptr,
                    void* security = nullptr);

    BOOL SetEvent();
    BOOL ResetEvent();
    // Releases the threads waiting right now (one of them for an auto-reset event)
    // and leaves the event reset.
    BOOL PulseEvent();

    bool IsManualReset() const { return m_manual; }

protected:
    bool IsReady(uint64_t seen) const override;
    void Consume(uint64_t seen) override;
    uint64_t Generation() const override { return m_generation; }

private:
    const bool m_manual;
    bool m_signaled;
    uint64_t m_generation = 0;
    int m_pulseTokens = 0;
};

// Free-function forms of the event operations.
BOOL SetEvent(CEvent& event);
BOOL ResetEvent(CEvent& event);
