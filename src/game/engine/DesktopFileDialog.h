// The desktop's file chooser as a file dialog provider. It answers before
// Ask returns: while the chooser is open the window's own events keep being
// handled (pictures, sizes, focus), the input meant for it is dropped, and
// the key states are cleared after, so nothing held before stays down.
#pragma once

#include "game/engine/FileDialogProvider.h"

#include <functional>
#include <string>

class DesktopFileDialog : public FileDialogProvider {
public:
    // pumpWindow handles the window's waiting events once (no input);
    // clearKeys forgets every key held. program replaces "zenity" (tests).
    DesktopFileDialog(std::function<void()> pumpWindow, std::function<void()> clearKeys,
                      std::string program = "zenity");

    void Ask(const FileDialogRequest& request, FileDialogAnswer answer) override;

private:
    std::function<void()> mPumpWindow;
    std::function<void()> mClearKeys;
    std::string mProgram;
};
