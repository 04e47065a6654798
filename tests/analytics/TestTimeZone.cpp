// Every analytics test runs on a fixed local time zone, so calendar fields are exact.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

class UtcEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new UtcEnvironment);

} // namespace
