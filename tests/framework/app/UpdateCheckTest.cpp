// The product's update-check schedule: due after more than a week, at once
// after a crashed run or with no check on record, never when switched off.
#include "framework/app/LumoApp.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

TEST(UpdateCheckTest, DueTable)
{
    constexpr uint32_t kLast = 1700000000;
    struct Case {
        const char* title;
        uint32_t lastCheck;
        uint32_t now;
        bool graceful;
        bool dontUpdate;
        bool due;
    };
    const Case cases[] = {
        {"exactly a week later", kLast, kLast + 604800, true, false, false},
        {"a second more", kLast, kLast + 604801, true, false, true},
        {"yesterday, but the last run crashed", kLast, kLast + 86400, false, false, true},
        {"no check on record", 0, kLast, true, false, true},
        {"switched off", 0, kLast + 9999999, false, true, false},
        {"clock set back: the unsigned difference is huge", kLast, kLast - 10, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Lumo::LumoApp app;
        app.lastVerCheckTime = c.lastCheck;
        app.lastShutdownWasGraceful = c.graceful;
        app.dontUpdate = c.dontUpdate;
        EXPECT_EQ(app.IsUpdateCheckDueAt(c.now), c.due);
    }
}

TEST(UpdateCheckTest, StampTakesTheCurrentTime)
{
    Lumo::LumoApp app;
    const uint32_t before = static_cast<uint32_t>(std::time(nullptr));
    app.StampUpdateCheckTime();
    EXPECT_GE(app.lastVerCheckTime, before);
    EXPECT_FALSE(app.IsUpdateCheckDue());
}

} // namespace
