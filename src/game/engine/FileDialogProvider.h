// Where the game's file dialog gets its answer: the desktop's chooser, the
// editor's own prompt, or a test's script. A provider answers through the
// callback, at once or ticks later; every request gets exactly one answer.
#pragma once

#include <functional>
#include <string>

struct FileDialogRequest {
    // The files offered ("*.xml", "*.*") and the filter's name ("XML Levels").
    std::string pattern;
    std::string filterName;
    // The folder the dialog starts in, as the game names it (".\\levels").
    std::string folder;
    // A save may name a new file; the chooser asks before overwriting.
    bool save = false;
};

// The chosen path (as the provider has it: absolute or relative to the
// current folder), or null when the dialog was cancelled.
using FileDialogAnswer = std::function<void(const std::string* path)>;

class FileDialogProvider {
public:
    virtual ~FileDialogProvider() = default;
    virtual void Ask(const FileDialogRequest& request, FileDialogAnswer answer) = 0;
};
