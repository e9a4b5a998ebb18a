// The version probes: which query answers, and when the answer is kept.
#include "framework/core/SystemVersion.h"
#include "platform/system/SystemInfo.h"

#include <gtest/gtest.h>

namespace {

// Answers from a script per query kind, counting the questions.
class ScriptedSystemInfo : public Plat::SystemInfo {
public:
    struct Answer {
        bool ok = false;
        uint32_t major = 0;
        uint32_t platformId = 0;
    };

    bool QueryVersion(bool extended, Plat::OsVersion& out) override
    {
        const Answer& answer = extended ? extendedAnswer : basicAnswer;
        ++(extended ? extendedCalls : basicCalls);
        if (!answer.ok)
            return false;
        out.majorVersion = answer.major;
        out.platformId = answer.platformId;
        return true;
    }

    Answer extendedAnswer;
    Answer basicAnswer;
    int extendedCalls = 0;
    int basicCalls = 0;
};

class SystemVersionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Lumo::detail::ResetSystemVersionCache();
        mPrevious = Plat::SetSystemInfo(&mInfo);
    }
    void TearDown() override
    {
        Plat::SetSystemInfo(mPrevious);
        Lumo::detail::ResetSystemVersionCache();
    }

    ScriptedSystemInfo mInfo;
    Plat::SystemInfo* mPrevious = nullptr;
};

TEST_F(SystemVersionTest, MajorVersionDecides)
{
    struct Case {
        ScriptedSystemInfo::Answer extended;
        ScriptedSystemInfo::Answer basic;
        bool expected;
        int basicCalls;
    };
    const Case cases[] = {
        {{true, 6, 2}, {true, 5, 2}, true, 0},  // the extended record is asked first
        {{true, 10, 2}, {false}, true, 0},
        {{true, 5, 2}, {true, 6, 2}, false, 0}, // and when it answers, it alone counts
        {{false}, {true, 6, 2}, true, 1},       // the basic record when it fails
        {{false}, {true, 4, 1}, false, 1},
    };
    for (const Case& c : cases) {
        Lumo::detail::ResetSystemVersionCache();
        mInfo.extendedAnswer = c.extended;
        mInfo.basicAnswer = c.basic;
        mInfo.basicCalls = 0;
        EXPECT_EQ(Lumo::IsWindowsVersion6OrLater(), c.expected) << c.extended.major << " " << c.basic.major;
        EXPECT_EQ(mInfo.basicCalls, c.basicCalls);
    }
}

TEST_F(SystemVersionTest, AnAnswerIsKept)
{
    mInfo.extendedAnswer = {true, 5, 2};
    EXPECT_FALSE(Lumo::IsWindowsVersion6OrLater());
    mInfo.extendedAnswer = {true, 6, 2};
    EXPECT_FALSE(Lumo::IsWindowsVersion6OrLater());
    EXPECT_EQ(mInfo.extendedCalls, 1);
}

TEST_F(SystemVersionTest, NoAnswerIsAskedAgain)
{
    EXPECT_FALSE(Lumo::IsWindowsVersion6OrLater());
    EXPECT_FALSE(Lumo::IsWindowsVersion6OrLater());
    EXPECT_EQ(mInfo.extendedCalls, 2);
    EXPECT_EQ(mInfo.basicCalls, 2);

    mInfo.basicAnswer = {true, 6, 2};
    EXPECT_TRUE(Lumo::IsWindowsVersion6OrLater());
    mInfo.basicAnswer = {false};
    EXPECT_TRUE(Lumo::IsWindowsVersion6OrLater());
    EXPECT_EQ(mInfo.basicCalls, 3);
}

TEST_F(SystemVersionTest, Win9xIsPlatformOneAndKept)
{
    mInfo.basicAnswer = {true, 4, 1};
    mInfo.extendedAnswer = {true, 4, 1};
    EXPECT_TRUE(Lumo::IsWin9x());
    mInfo.basicAnswer = {true, 6, 2};
    mInfo.extendedAnswer = {true, 6, 2};
    EXPECT_TRUE(Lumo::IsWin9x());

    Lumo::detail::ResetSystemVersionCache();
    EXPECT_FALSE(Lumo::IsWin9x());

    // No answer at all: not 9x.
    Lumo::detail::ResetSystemVersionCache();
    mInfo.basicAnswer = {false};
    mInfo.extendedAnswer = {false};
    EXPECT_FALSE(Lumo::IsWin9x());
}

TEST(SystemVersionLinuxTest, ThisSystemHasPerUserFoldersAndIsNot9x)
{
    Lumo::detail::ResetSystemVersionCache();
    EXPECT_TRUE(Lumo::IsWindowsVersion6OrLater());
    EXPECT_FALSE(Lumo::IsWin9x());
}

} // namespace
