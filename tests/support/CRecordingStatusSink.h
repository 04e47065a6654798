// A session status sink that keeps every status it hears, for tests to look through.
#pragma once

#include "broker/session/ISessionStatusSink.h"

#include <mutex>
#include <optional>
#include <vector>

namespace qx::testsupport {

class CRecordingStatusSink : public ISessionStatusSink {
public:
    void OnSessionStatus(UINT message, const CSessionStatus& status) override;

    std::vector<CSessionStatus> Statuses() const;
    // Any stream when stream is kAnyStream.
    static constexpr int kAnyStream = -2;
    bool Has(int code, int stream = kAnyStream) const;
    // A copy of the first status with that code: the list may grow while the caller reads it.
    std::optional<CSessionStatus> Find(int code) const;

private:
    mutable std::mutex m_lock;
    std::vector<CSessionStatus> m_statuses;
};

} // namespace qx::testsupport
