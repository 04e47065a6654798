// The key router runs only on the Qt release the program was built with.
#include "platform/ui/ModalKeyRouting.h"

#include <gtest/gtest.h>

TEST(QtRelease, OnlyTheSameReleaseIsTheSame)
{
    EXPECT_TRUE(SameQtRelease("6.4.2", "6.4.2"));
    // A patch release may lay out private structures anew.
    EXPECT_FALSE(SameQtRelease("6.4.3", "6.4.2"));
    EXPECT_FALSE(SameQtRelease("6.5.2", "6.4.2"));
    // Not a prefix of another release, nor an empty answer.
    EXPECT_FALSE(SameQtRelease("6.4.20", "6.4.2"));
    EXPECT_FALSE(SameQtRelease("6.4", "6.4.2"));
    EXPECT_FALSE(SameQtRelease("", ""));
}
