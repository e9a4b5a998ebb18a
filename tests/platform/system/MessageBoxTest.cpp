// Message boxes without a display: the text on standard error, the answer
// from the script or the box's default button, never a wait.
#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(MessageBoxTest, ButtonsAndDefaultAnswers)
{
    struct Case {
        uint32_t flags;
        std::vector<int> buttons;
        int defaultAnswer;
    };
    const Case cases[] = {
        {Plat::kMbOk | Plat::kMbIconError, {Plat::kIdOk}, Plat::kIdOk},
        {Plat::kMbOkCancel, {Plat::kIdOk, Plat::kIdCancel}, Plat::kIdOk},
        {Plat::kMbOkCancel | Plat::kMbDefButton2, {Plat::kIdOk, Plat::kIdCancel}, Plat::kIdCancel},
        {Plat::kMbYesNo | Plat::kMbIconQuestion, {Plat::kIdYes, Plat::kIdNo}, Plat::kIdYes},
        {Plat::kMbYesNo | Plat::kMbDefButton2, {Plat::kIdYes, Plat::kIdNo}, Plat::kIdNo},
        {Plat::kMbYesNoCancel | Plat::kMbDefButton3, {Plat::kIdYes, Plat::kIdNo, Plat::kIdCancel}, Plat::kIdCancel},
        {Plat::kMbOk | Plat::kMbDefButton3, {Plat::kIdOk}, Plat::kIdOk}, // no third button: the first
        {Plat::kMbRetryCancel, {Plat::kIdRetry, Plat::kIdCancel}, Plat::kIdRetry},
        {Plat::kMbRetryCancel | Plat::kMbDefButton2, {Plat::kIdRetry, Plat::kIdCancel}, Plat::kIdCancel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(Plat::ButtonAnswers(c.flags), c.buttons);
        EXPECT_EQ(Plat::DefaultAnswer(c.flags), c.defaultAnswer);
    }
}

TEST(MessageBoxTest, HeadlessBoxesWriteToStandardErrorAndFollowTheScript)
{
    Plat::SystemMessageBoxes boxes;
    boxes.SetHeadless(true);
    boxes.ScriptAnswers({Plat::kIdNo});

    testing::internal::CaptureStderr();
    EXPECT_EQ(boxes.Show(nullptr, std::string("Keep it?"), std::string("Question"), Plat::kMbYesNo), Plat::kIdNo);
    // The script is used up: the default button.
    EXPECT_EQ(boxes.Show(nullptr, std::string("Keep it?"), std::string("Question"), Plat::kMbYesNo), Plat::kIdYes);
    EXPECT_EQ(boxes.Show(nullptr, std::string("Bad"), std::string("FATAL ERROR"), Plat::kMbIconError), Plat::kIdOk);
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_EQ(output, "[Question] Keep it?\n[answer: No]\n"
                      "[Question] Keep it?\n[answer: Yes]\n"
                      "[FATAL ERROR] Bad\n[answer: OK]\n");
}

TEST(MessageBoxTest, TextReachesTheBoxAsUtf8)
{
    Plat::SystemMessageBoxes boxes;
    boxes.SetHeadless(true);
    testing::internal::CaptureStderr();
    // Narrow text: one character per byte.
    boxes.Show(nullptr, std::string("caf\xE9"), std::string("T"), Plat::kMbOk);
    // Wide text: a pair of surrogates is one character; a lone one is replaced.
    boxes.Show(nullptr, std::u16string(u"\u00E9\U0001F600") + char16_t(0xD800) + u"!", std::u16string(u"W"),
               Plat::kMbOk);
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_EQ(output, "[T] caf\xC3\xA9\n[answer: OK]\n"
                      "[W] \xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBD!\n[answer: OK]\n");
}

TEST(MessageBoxTest, TheDummyVideoDriverMeansHeadless)
{
    const char* saved = std::getenv("SDL_VIDEODRIVER");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    Plat::SystemMessageBoxes boxes;
    EXPECT_TRUE(boxes.IsHeadless());
    boxes.SetHeadless(false);
    EXPECT_FALSE(boxes.IsHeadless());
    if (saved != nullptr)
        setenv("SDL_VIDEODRIVER", previous.c_str(), 1);
    else
        unsetenv("SDL_VIDEODRIVER");
}

TEST(MessageBoxTest, TestsCanInstallTheirOwnBoxes)
{
    class Always : public Plat::MessageBoxes {
    public:
        int Show(Plat::Window*, const std::string&, const std::string&, uint32_t) override { return Plat::kIdCancel; }
        int Show(Plat::Window*, const std::u16string&, const std::u16string&, uint32_t) override
        {
            return Plat::kIdCancel;
        }
    } always;
    Plat::MessageBoxes& system = Plat::GetMessageBoxes();
    EXPECT_EQ(Plat::SetMessageBoxes(&always), nullptr);
    EXPECT_EQ(Plat::GetMessageBoxes().Show(nullptr, std::string("x"), std::string("y"), Plat::kMbOk), Plat::kIdCancel);
    EXPECT_EQ(Plat::SetMessageBoxes(nullptr), &always);
    EXPECT_EQ(&Plat::GetMessageBoxes(), &system);
}

} // namespace
