#include "TestFolders.h"

#include "core/Utilities.h"
#include "widgets/WindowMemory.h"

#include <gtest/gtest.h>

namespace {

TEST(WindowMemory, ValuesReadBackAndMalformedOnesReadAsNothing) {
    testsupport::TestFolders folders(true);
    ASSERT_TRUE(widgets::WriteRect("Place", QRect(-20, 30, 700, 500)));
    ASSERT_TRUE(widgets::WriteSize("Size", QSize(640, 480)));
    ASSERT_TRUE(widgets::WriteNumber("Zoom", -3));
    ASSERT_TRUE(widgets::WriteSwitch("On", true));
    EXPECT_EQ(widgets::ReadRect("Place"), QRect(-20, 30, 700, 500));
    EXPECT_EQ(widgets::ReadSize("size"), QSize(640, 480)); // names ignore case
    EXPECT_EQ(widgets::ReadNumber("Zoom"), -3);
    EXPECT_EQ(widgets::ReadSwitch("On"), true);
    EXPECT_FALSE(widgets::ReadNumber("Missing"));

    for (const char* bad : {"1,2,3", "1,2,3,4,5", "1,2,x,4", "1,2,0,4", "1,2,3,-4", ""}) {
        ASSERT_TRUE(core::WriteNameValue("Place", bad));
        EXPECT_FALSE(widgets::ReadRect("Place")) << bad;
    }
    ASSERT_TRUE(core::WriteNameValue("Zoom", "99999999999"));
    EXPECT_FALSE(widgets::ReadNumber("Zoom"));
    ASSERT_TRUE(core::WriteNameValue("On", "yes"));
    EXPECT_FALSE(widgets::ReadSwitch("On"));
}

TEST(WindowMemory, APlaceCountsAsShownOnlyWithEnoughOfItOnAScreen) {
    EXPECT_TRUE(widgets::IsOnAScreen(QRect(0, 0, 300, 200)));
    EXPECT_TRUE(widgets::IsOnAScreen(QRect(-200, -100, 300, 200)));
    EXPECT_FALSE(widgets::IsOnAScreen(QRect(-250, 0, 300, 200))); // 50 pixels on screen
    EXPECT_FALSE(widgets::IsOnAScreen(QRect(5000, 5000, 300, 200)));
}

} // namespace
