// The desktop's file chooser: "zenity" started with an argument vector and
// no shell, its answer read from its standard output. The program is
// optional; callers ask IsFileChooserAvailable first and fall back to
// their own prompt without it.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace Plat {

struct FileChooserRequest {
    std::string title;
    // The folder the chooser opens in (absolute, or relative to the current one).
    std::string folder;
    // The filter's name and pattern ("XML Levels", "*.xml"); an empty
    // pattern, "*" or "*.*" shows every file.
    std::string filterName;
    std::string pattern;
    // A save asks for a file name that may not exist yet, and asks before
    // overwriting one that does.
    bool save = false;
};

// The argument vector (the program's name first) for a request.
std::vector<std::string> FileChooserArguments(const FileChooserRequest& request);

// True when an executable named program lies in one of the folders of the
// search path (a ':'-separated list; empty entries are the current folder).
bool IsProgramOnPath(const std::string& program, const std::string& searchPath);

// The chooser can be shown: the program is on PATH and a desktop display is set.
bool IsFileChooserAvailable();

// One chooser at a time, owned by its caller; the destructor ends a chooser
// still open and reaps it.
class FileChooser {
public:
    enum class State {
        Idle,      // not started
        Running,   // waiting for the user
        Chosen,    // a file was chosen: Path()
        Cancelled, // closed without a choice
        Failed,    // could not start, or ended abnormally
    };

    FileChooser() = default;
    ~FileChooser();
    FileChooser(const FileChooser&) = delete;
    FileChooser& operator=(const FileChooser&) = delete;

    // Starts the chooser; false (state Failed) when it cannot start.
    // program replaces "zenity" (tests start a script of their own).
    bool Start(const FileChooserRequest& request, const std::string& program = "zenity");
    // Reads what the chooser wrote, without blocking, and reaps it once it has
    // ended; returns the state.
    State Poll();
    State GetState() const { return mState; }
    // The chosen path, without the line end.
    const std::string& Path() const { return mPath; }

private:
    void ReadAvailable();
    void Finish(int status);

    State mState = State::Idle;
    pid_t mPid = -1;
    int mPipe = -1;
    bool mPipeOpen = false;
    std::string mOutput;
    std::string mPath;
};

} // namespace Plat
