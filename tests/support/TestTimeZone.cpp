// Every analytics test runs on a fixed local time zone, so calendar fields are exact
// (UTC unless QX_TEST_TZ names another, to try a zone with daylight saving).
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

class UtcEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        const char* zone = std::getenv("QX_TEST_TZ");
        setenv("TZ", zone && *zone ? zone : "UTC", 1);
        tzset();
    }
};

const auto* const g_env = ::testing::AddGlobalTestEnvironment(new UtcEnvironment);

} // namespace
