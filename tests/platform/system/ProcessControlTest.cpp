// The process's one exit: it runs the installed handler first, then ends
// the process with the code.
#include "platform/system/ProcessControl.h"

#include <gtest/gtest.h>

namespace {

struct Exited {
    int code;
};

void ThrowingHandler(int code)
{
    throw Exited{code};
}

TEST(ProcessControlTest, AHandlerSeesTheExitFirst)
{
    Plat::ExitHandler previous = Plat::SetExitHandler(&ThrowingHandler);
    int code = -1;
    try {
        Plat::ExitProcess(3);
    } catch (const Exited& exited) {
        code = exited.code;
    }
    EXPECT_EQ(code, 3);
    EXPECT_EQ(Plat::SetExitHandler(previous), &ThrowingHandler);
}

TEST(ProcessControlTest, WithoutAHandlerTheProcessEndsWithTheCode)
{
    EXPECT_EXIT(Plat::ExitProcess(7), testing::ExitedWithCode(7), "");
}

TEST(ProcessControlTest, ExecutablePathNamesThisProgram)
{
    const std::string path = Plat::ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_NE(path.find("test_ProcessControlTest"), std::string::npos);
}

} // namespace
