#include "platform/system/FileChooser.h"
#include "platform/system/ProcessControl.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Plat {

namespace {

// One "--name=value" argument (built by appending: g++ 12 warns wrongly on
// chains of string additions).
std::string Option(const char* name, const std::string& value)
{
    std::string option(name);
    option.append(value);
    return option;
}

// Bytes of a path the chooser may print before the answer is refused.
constexpr size_t kMaxOutput = 16384;

bool ShowsEveryFile(const std::string& pattern)
{
    return pattern.empty() || pattern == "*" || pattern == "*.*";
}

std::string Upper(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

} // namespace

std::vector<std::string> FileChooserArguments(const FileChooserRequest& request)
{
    std::vector<std::string> args = {"zenity", "--file-selection"};
    if (!request.title.empty())
        args.push_back(Option("--title=", request.title));
    if (!request.folder.empty()) {
        // A trailing separator opens the folder itself rather than naming a file in its parent.
        std::string folder = request.folder;
        for (char& c : folder) {
            if (c == '\\')
                c = '/';
        }
        if (folder.back() != '/')
            folder += '/';
        args.push_back(Option("--filename=", folder));
    }
    if (!ShowsEveryFile(request.pattern)) {
        // The chooser reads "name | pattern pattern"; a bar in the name would split it.
        std::string name = request.filterName.empty() ? request.pattern : request.filterName;
        for (char& c : name) {
            if (c == '|')
                c = ' ';
        }
        std::string patterns = request.pattern;
        // Data files come from a system that ignores case: "*.xml" also takes "LEVEL.XML".
        const std::string upper = Upper(request.pattern);
        if (upper != request.pattern) {
            patterns += ' ';
            patterns += upper;
        }
        name.append(" | ").append(patterns);
        args.push_back(Option("--file-filter=", name));
    }
    if (request.save) {
        args.push_back("--save");
        args.push_back("--confirm-overwrite");
    }
    return args;
}

bool IsProgramOnPath(const std::string& program, const std::string& searchPath)
{
    if (program.empty() || program.find('/') != std::string::npos)
        return false;
    size_t start = 0;
    while (start <= searchPath.size()) {
        size_t end = searchPath.find(':', start);
        if (end == std::string::npos)
            end = searchPath.size();
        // An empty entry is the current folder.
        std::string candidate = end > start ? searchPath.substr(start, end - start) : std::string(1, '.');
        candidate.append("/").append(program);
        struct stat info {};
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool IsFileChooserAvailable()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const bool display = (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
    const char* path = std::getenv("PATH");
    return display && path != nullptr && IsProgramOnPath("zenity", path);
}

FileChooser::~FileChooser()
{
    if (mState == State::Running && mPid > 0) {
        kill(mPid, SIGTERM);
        int status = 0;
        while (waitpid(mPid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    if (mPipeOpen)
        close(mPipe);
}

bool FileChooser::Start(const FileChooserRequest& request, const std::string& program)
{
    if (mState == State::Running)
        return false;
    mOutput.clear();
    mPath.clear();
    mState = State::Failed;

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;

    std::vector<std::string> args = FileChooserArguments(request);
    args[0] = program;
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // The toolkit's chatter stays out of the game's own output.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int result = SpawnProgram(pid, program.c_str(), argv.data(), &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (result != 0) {
        close(fds[0]);
        return false;
    }
    fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
    mPid = pid;
    mPipe = fds[0];
    mPipeOpen = true;
    mState = State::Running;
    return true;
}

void FileChooser::ReadAvailable()
{
    char buffer[1024];
    while (mPipeOpen) {
        const ssize_t got = read(mPipe, buffer, sizeof buffer);
        if (got > 0) {
            if (mOutput.size() + static_cast<size_t>(got) <= kMaxOutput)
                mOutput.append(buffer, static_cast<size_t>(got));
            else
                mOutput.assign(kMaxOutput + 1, '?'); // refused by Finish
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got == 0) {
            close(mPipe);
            mPipeOpen = false;
        }
        return; // nothing more for now
    }
}

FileChooser::State FileChooser::Poll()
{
    if (mState != State::Running)
        return mState;
    ReadAvailable();
    int status = 0;
    const pid_t done = waitpid(mPid, &status, WNOHANG);
    if (done == 0 || (done < 0 && errno == EINTR))
        return mState;
    if (done < 0) {
        mPid = -1;
        mState = State::Failed;
        return mState;
    }
    // Whatever the chooser wrote before it ended is still in the pipe.
    ReadAvailable();
    if (mPipeOpen) {
        close(mPipe);
        mPipeOpen = false;
    }
    Finish(status);
    return mState;
}

void FileChooser::Finish(int status)
{
    mPid = -1;
    if (!WIFEXITED(status)) {
        mState = State::Failed;
        return;
    }
    const int code = WEXITSTATUS(status);
    if (code == 1) {
        mState = State::Cancelled;
        return;
    }
    if (code != 0 || mOutput.size() > kMaxOutput) {
        mState = State::Failed;
        return;
    }
    std::string path = mOutput;
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r'))
        path.pop_back();
    // One path on one line, or nothing usable.
    if (path.empty() || path.find('\n') != std::string::npos || path.find('\0') != std::string::npos) {
        mState = path.empty() ? State::Cancelled : State::Failed;
        return;
    }
    mPath = path;
    mState = State::Chosen;
}

} // namespace Plat
