#include <gtest/gtest.h>
namespace qx { int platformPlaceholder(); }
TEST(Platform, Links) { EXPECT_EQ(qx::platformPlaceholder(), 0); }
