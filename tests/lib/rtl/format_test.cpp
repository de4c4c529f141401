#include <gtest/gtest.h>

#include "rtl/format.h"

TEST(Format, ZeroPadsToPrecision) {
  EXPECT_EQ(Format("%2.2d:%2.2d", 8, 5), "08:05");
}
