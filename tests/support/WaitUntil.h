// Polls a condition until it holds or the time is up.
#pragma once

#include <chrono>
#include <functional>

namespace qx::testsupport {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

} // namespace qx::testsupport
