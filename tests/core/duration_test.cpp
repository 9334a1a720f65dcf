#include "duration.h"

#include <gtest/gtest.h>

using pelorin::Duration;

TEST(Duration, ComponentsSplitExactly)
{
    const auto d = Duration::seconds(3) + Duration::attoseconds(250'000'000'000'000'000);
    EXPECT_EQ(d.components().seconds, 3);
    EXPECT_EQ(d.components().attoseconds, 250'000'000'000'000'000);
    EXPECT_DOUBLE_EQ(d.toSeconds(), 3.25);
}
