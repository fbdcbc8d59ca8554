#include <gtest/gtest.h>
#include "app/Log.h"
TEST(Smoke, Runs) { EXPECT_FALSE(IsLogEnabled()); }
