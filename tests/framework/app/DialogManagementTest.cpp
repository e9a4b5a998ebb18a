// The application's framework dialogs: placement and ids, replacing a
// dialog, the modal stack, button ids as the game hears them, and waiting
// for an answer in a nested loop, also when the dialog goes away meanwhile.
#include "framework/app/LumoAppBase.h"

#include "framework/graphics/MemoryImage.h"
#include "framework/widgets/Dialog.h"
#include "framework/widgets/DialogButton.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/window/EventPump.h"
#include "support/FakeTextRenderer.h"
#include "support/SimulatedClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

using Lumo::Dialog;

namespace {

// Tells the test when it is deleted.
class TrackedDialog : public Dialog {
public:
    TrackedDialog(int id, bool modal, int buttonMode, std::map<int, int>* deletions)
        : Dialog(nullptr, nullptr, id, modal, "Header", "Some lines of text", "", buttonMode), mDeletions(deletions)
    {
    }
    ~TrackedDialog() override { ++(*mDeletions)[id]; }

private:
    std::map<int, int>* mDeletions;
};

class DialogApp : public Lumo::LumoAppBase {
public:
    explicit DialogApp(std::map<int, int>& deletionCounts) : screen(this), deletions(deletionCounts)
    {
        width = 800;
        height = 600;
        autoStartLoadingThread = false;
        screen.Create(800, 600);
        widgetManager->image = &screen;
        widgetManager->width = 800;
        widgetManager->height = 600;
    }
    ~DialogApp() override { Shutdown(); }

    Dialog* NewDialog(int dialogId, bool isModal, const std::string& /*header*/, const std::string& /*lines*/,
                      const std::string& /*footer*/, int buttonMode) override
    {
        return new TrackedDialog(dialogId, isModal, buttonMode, &deletions);
    }
    void ButtonPress(int id) override { log.push_back("Press " + std::to_string(id)); }
    void ButtonDepress(int id) override { log.push_back("Depress " + std::to_string(id)); }
    void ModalOpen() override { log.push_back("ModalOpen"); }
    void ModalClose() override { log.push_back("ModalClose"); }
    void UpdateFrames() override
    {
        LumoAppBase::UpdateFrames();
        if (onUpdate)
            onUpdate();
    }
    void Redraw(const Lumo::TRect<int>* /*clipRect*/) override {}

    Lumo::MemoryImage screen;
    std::map<int, int>& deletions; // dialog id -> dialogs of that id deleted; outlives the application
    std::vector<std::string> log;
    std::function<void()> onUpdate;
};

class DialogManagementTest : public ::testing::Test {
protected:
    DialogManagementTest() { Plat::GetEventPump().Clear(); }
    ~DialogManagementTest() override { Plat::GetEventPump().Clear(); }

    SimulatedClock mClock{200000};
    LumoTest::FakeTextRenderer mText;
    std::map<int, int> mDeletions;
    DialogApp mApp{mDeletions};
};

TEST_F(DialogManagementTest, AnUnsizedDialogIsPlacedAndShown)
{
    Dialog* dialog = mApp.DoDialog(3, true, "Quit?", "Really?", "", 1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->x, 200);
    EXPECT_EQ(dialog->y, 120);
    EXPECT_EQ(dialog->width, 400);
    EXPECT_EQ(dialog->height, dialog->GetPreferredHeight(400));
    EXPECT_EQ(mApp.GetDialog(3), dialog);
    EXPECT_EQ(dialog->manager, mApp.widgetManager);
    EXPECT_EQ(dialog->yesButton->manager, mApp.widgetManager);
    EXPECT_EQ(mApp.widgetManager->baseModalWidget, dialog);
    EXPECT_EQ(mApp.log, (std::vector<std::string>{"ModalOpen"}));

    // A sized dialog keeps its place.
    Dialog* sized = mApp.NewDialog(4, false, "", "", "", 0);
    sized->Resize(10, 20, 30, 40);
    mApp.AddDialog(sized);
    EXPECT_EQ(sized->GetRect(), Lumo::TRect<int>(10, 20, 30, 40));
    EXPECT_EQ(mApp.GetDialogCount(), 2);
}

TEST_F(DialogManagementTest, ReplacingAndKillingDialogs)
{
    Dialog* first = mApp.DoDialog(1, false, "", "", "", 2);
    mApp.DoDialog(2, false, "", "", "", 2);
    Dialog* replacement = mApp.DoDialog(1, false, "", "", "", 2);
    EXPECT_NE(replacement, first);
    EXPECT_EQ(mApp.GetDialog(1), replacement);
    EXPECT_EQ(mApp.dialogList.back(), replacement);
    EXPECT_EQ(mApp.dialogList.size(), 2u);
    EXPECT_EQ(mApp.deletions[1], 0); // not yet: the next safe point
    EXPECT_FALSE(mApp.widgetManager->HasWidget(first));
    mApp.ProcessDeleteQueue();
    EXPECT_EQ(mApp.deletions[1], 1);

    // Adding the dialog that is already shown under its id changes nothing.
    mApp.AddDialog(1, replacement);
    mApp.ProcessDeleteQueue();
    EXPECT_EQ(mApp.deletions[1], 1);
    EXPECT_EQ(mApp.GetDialog(1), replacement);
    EXPECT_TRUE(mApp.widgetManager->HasWidget(replacement));

    EXPECT_TRUE(mApp.KillDialog(1));
    EXPECT_FALSE(mApp.KillDialog(1));
    EXPECT_FALSE(mApp.KillDialog(77));
    EXPECT_EQ(mApp.GetDialogCount(), 1);
    EXPECT_EQ(mApp.GetDialog(1), nullptr);
}

TEST_F(DialogManagementTest, ModalDialogsStackAndUnstack)
{
    Dialog* lower = mApp.DoDialog(1, true, "", "", "", 0);
    Dialog* upper = mApp.DoDialog(2, true, "", "", "", 0);
    EXPECT_EQ(mApp.widgetManager->baseModalWidget, upper);
    mApp.KillDialog(2);
    EXPECT_EQ(mApp.widgetManager->baseModalWidget, lower);
    mApp.KillDialog(1);
    EXPECT_EQ(mApp.widgetManager->baseModalWidget, nullptr);
    EXPECT_EQ(mApp.log, (std::vector<std::string>{"ModalOpen", "ModalOpen", "ModalClose", "ModalClose"}));
}

TEST_F(DialogManagementTest, DialogButtonsReachTheGameAsOffsetIds)
{
    mApp.DialogButtonPress(5, Dialog::ID_NO);
    mApp.DialogButtonPress(5, Dialog::ID_YES);
    mApp.DialogButtonDepress(5, Dialog::ID_YES);
    mApp.DialogButtonPress(5, 7); // not a dialog button
    EXPECT_EQ(mApp.log, (std::vector<std::string>{"Press 3005", "Press 2005", "Depress 2005"}));
}

// Clicks the dialog's button through the widget manager, as the player would.
void Click(Lumo::WidgetManager& manager, Lumo::Widget* button)
{
    const int cx = button->x + button->width / 2;
    const int cy = button->y + button->height / 2;
    manager.MouseMove(cx, cy);
    manager.MouseDown(cx, cy, 1);
    manager.MouseUp(cx, cy, 1);
}

TEST_F(DialogManagementTest, WaitForResultReturnsTheReleasedButtonAndKills)
{
    Dialog* dialog = mApp.DoDialog(6, true, "", "", "", 2);
    int updates = 0;
    mApp.onUpdate = [&] {
        if (++updates == 5)
            Click(*mApp.widgetManager, dialog->noButton);
    };
    EXPECT_EQ(dialog->WaitForResult(true), Dialog::ID_NO);
    EXPECT_EQ(updates, 5);
    EXPECT_EQ(mApp.GetDialog(6), nullptr);
    EXPECT_EQ(mApp.log, (std::vector<std::string>{"ModalOpen", "Press 3006", "Depress 3006", "ModalClose"}));
}

TEST_F(DialogManagementTest, WaitForResultEndsWhenTheDialogGoesAway)
{
    struct Case {
        const char* title;
        bool deleteIt;
    };
    for (const Case& c : {Case{"removed by other code", false}, Case{"killed and deleted in an update", true}}) {
        SCOPED_TRACE(c.title);
        Dialog* dialog = mApp.DoDialog(8, true, "", "", "", 2);
        int updates = 0;
        mApp.onUpdate = [&] {
            if (++updates == 3)
                mApp.KillDialog(8, true, c.deleteIt);
        };
        EXPECT_EQ(dialog->WaitForResult(true), Dialog::kNoResult);
        EXPECT_EQ(mApp.deletions[8], c.deleteIt ? 1 : 0);
        mApp.onUpdate = nullptr;
        if (!c.deleteIt)
            delete dialog;
        mApp.deletions[8] = 0;
    }
}

TEST_F(DialogManagementTest, OpenDialogsGoWithTheApplication)
{
    std::map<int, int> deletions;
    {
        DialogApp app(deletions);
        app.DoDialog(1, true, "", "", "", 1);
        app.DoDialog(2, false, "", "", "", 3);
        app.KillDialog(2); // queued, never processed
        EXPECT_EQ(deletions[1] + deletions[2], 0);
    }
    EXPECT_EQ(deletions[1], 1);
    EXPECT_EQ(deletions[2], 1);
}

} // namespace
