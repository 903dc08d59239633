#include "zentorix/version.h"

#include <gtest/gtest.h>

#include <string_view>

// The version record the About box and the package metadata show.
TEST(Version, RecordIsTheReleasedOne)
{
    EXPECT_EQ(std::string_view(zentorix::kFileVersion), "2023.0.0.0");
    EXPECT_EQ(std::string_view(zentorix::kProductVersion), "1.0.0.0");
}
