#include "tests/support/CRecordingStatusSink.h"

#include <gtest/gtest.h>

namespace qx::testsupport {

void CRecordingStatusSink::OnSessionStatus(UINT message, const CSessionStatus& status)
{
    std::lock_guard<std::mutex> lock(m_lock);
    EXPECT_EQ(message, WM_SESSION_STATUS);
    m_statuses.push_back(status);
}

std::vector<CSessionStatus> CRecordingStatusSink::Statuses() const
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_statuses;
}

bool CRecordingStatusSink::Has(int code, int stream) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    for (const auto& s : m_statuses)
        if (s.code == code && (stream == kAnyStream || s.stream == stream))
            return true;
    return false;
}

std::optional<CSessionStatus> CRecordingStatusSink::Find(int code) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    for (const auto& s : m_statuses)
        if (s.code == code)
            return s;
    return std::nullopt;
}

} // namespace qx::testsupport
