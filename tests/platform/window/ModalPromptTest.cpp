// The system's prompts never block a headless run: on SDL's dummy driver,
// and before the video side has started, every prompt is cancelled at once.
#include "platform/window/ModalPrompt.h"

#include "platform/system/MediaProbe.h"
#include "platform/window/Window.h"
#include "platform/window/WindowSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

TEST(ModalPromptTest, HeadlessPromptsAreCancelledAtOnce)
{
    Plat::PromptRequest edit;
    edit.kind = Plat::PromptRequest::Kind::EditLine;
    edit.text = "1:30";
    Plat::PromptRequest pick;
    pick.lines = {"start (00:01:00)"};

    // No video side yet.
    Plat::SystemPrompts system;
    EXPECT_FALSE(system.Ask(nullptr, edit).accepted);

    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(Plat::GetMediaProbe().StartVideo());
    {
        std::unique_ptr<Plat::Window> owner(
            Plat::GetWindowSystem().CreateWindow(0, "MainWindow", "owner", Plat::kWsCaption, 0, 0, 320, 240));
        ASSERT_NE(owner, nullptr);
        for (const Plat::PromptRequest* request : {&edit, &pick}) {
            const Plat::PromptAnswer answer = Plat::GetModalPrompts().Ask(owner.get(), *request);
            EXPECT_FALSE(answer.accepted);
            EXPECT_EQ(answer.line, -1);
            EXPECT_TRUE(answer.text.empty());
        }
    }
    Plat::GetMediaProbe().StopVideo();
}

} // namespace
