#include "platform/SystemInfo.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(SystemInfoTest, ComputerNameIsHostNameCutTo15) {
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    std::string expected(host);
    if (expected.size() > 15)
        expected.resize(15);
    EXPECT_EQ(platform::ComputerName(), expected);
    EXPECT_LE(platform::ComputerName().size(), 15u);
}

} // namespace
