#include "game/engine/DesktopFileDialog.h"

#include "platform/system/FileChooser.h"

#include <chrono>
#include <thread>
#include <utility>

DesktopFileDialog::DesktopFileDialog(std::function<void()> pumpWindow, std::function<void()> clearKeys,
                                     std::string program)
    : mPumpWindow(std::move(pumpWindow)), mClearKeys(std::move(clearKeys)), mProgram(std::move(program))
{
}

void DesktopFileDialog::Ask(const FileDialogRequest& request, FileDialogAnswer answer)
{
    Plat::FileChooserRequest chooserRequest;
    chooserRequest.title = request.filterName;
    chooserRequest.folder = request.folder;
    chooserRequest.filterName = request.filterName;
    chooserRequest.pattern = request.pattern;
    chooserRequest.save = request.save;

    Plat::FileChooser chooser;
    if (chooser.Start(chooserRequest, mProgram)) {
        while (chooser.Poll() == Plat::FileChooser::State::Running) {
            if (mPumpWindow)
                mPumpWindow();
            // Real time: the user is choosing, whatever clock the game runs on.
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (mClearKeys)
        mClearKeys();
    if (chooser.GetState() == Plat::FileChooser::State::Chosen) {
        const std::string path = chooser.Path();
        answer(&path);
    } else {
        answer(nullptr);
    }
}
