// Ending the process and naming the running program. Every deliberate exit
// of the program goes through ExitProcess, so that tests can install a
// handler and watch an exit happen instead of losing the test process.
// The original's module handle and window-class registration have no
// counterpart here: the program's path is all the Linux side needs of them.
#pragma once

#include <spawn.h>
#include <string>
#include <sys/types.h>

namespace Plat {

// Called with the exit code before the process ends. A handler that returns
// lets the exit go ahead; a test's handler throws to unwind back to the test.
using ExitHandler = void (*)(int code);

// Ends the process through the C runtime's exit (static destructors and
// at-exit handlers run, the stack is not unwound) after the installed
// handler, if any, has run.
[[noreturn]] void ExitProcess(int code);

// Installs a handler (null: none); returns the previous one.
ExitHandler SetExitHandler(ExitHandler handler);

// The full path of the running program's file; empty when it cannot be had.
std::string ExecutablePath();

// Starts the program (looked up on PATH) with the arguments (null-ended)
// and the file actions (null: none), with default signal handling and
// nothing blocked, whatever the game set up for itself. The pid is set on
// success; the result is posix_spawnp's (0 on success).
int SpawnProgram(pid_t& pid, const char* program, char* const argv[],
                 const posix_spawn_file_actions_t* actions = nullptr);

} // namespace Plat
