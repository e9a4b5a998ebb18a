// Catching the process's fatal signals. The handler does only what is safe
// inside a signal: it writes a raw record of the fault (registers, stack
// frames, the memory map and the context the program left for it) and the
// demo being recorded, starts the program again as the reporter, and lets
// the process die of the signal. Everything else (names, files, windows,
// the upload) happens in the reporter, a fresh process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Plat {

// Record layout, shared with the reporter.
constexpr char kCrashRecordMagic[8] = {'L', 'U', 'M', 'O', 'C', 'R', 'S', '1'};
constexpr int kCrashRecordRegisters = 23; // the x86-64 general register block of a signal context
constexpr int kCrashRecordMaxFrames = 64;
constexpr int kCrashRecordNameSize = 192;
constexpr size_t kCrashContextCapacity = 64 * 1024;
constexpr size_t kCrashStackSize = 256 * 1024;

// Installs the handlers for SEGV, BUS, FPE, ILL and ABRT and gives the
// calling thread its alternate stack. The reporter is started as
// `program reporterOption<record path>`; the record goes to the folder
// (made if missing). False when the handlers could not be installed.
bool InstallCrashSignals(const std::string& program, const std::string& reporterOption, const std::string& folder);
// Puts the default actions back (the record path stays).
void RemoveCrashSignals();
bool CrashSignalsInstalled();
// The record file a crash of this process writes.
std::string CrashRecordPath();

// Gives the calling thread an alternate signal stack, so that a stack
// overflow can still be reported; freed when the thread ends. Idempotent.
void AddCrashStackForThread();

// The context the reporter gets: text the program rebuilds whenever it
// changes (at most kCrashContextCapacity bytes; longer text is cut).
// One thread at a time may set it.
void SetCrashContext(const std::string& text);

// The recorded demo the handler completes and saves at a crash: the file's
// bytes up to its update count, the stream, and where counting stands. The
// pointed-to values must stay valid until the view is cleared; the stream
// may grow (the handler reads it as it is at the crash).
struct CrashDemoView {
    std::string path;                       // native path of the demo file
    std::vector<uint8_t> head;              // the file's bytes before the update count
    const int* updateCount = nullptr;       // updates run
    const int* nextUpdate = nullptr;        // update of the last record
    const std::vector<uint8_t>* stream = nullptr; // the stream's bytes
    const int* streamBits = nullptr;        // the stream's length in bits
};
// Sets (or, with a null stream, clears) the demo to save at a crash.
void SetCrashDemo(const CrashDemoView& view);

// The fixed part of a record as written (the frames, the context and the
// memory map follow it).
struct CrashRecordHeader {
    char magic[8];
    int32_t signal;
    int32_t code;
    uint64_t faultAddress;
    uint32_t threadId;
    uint32_t processId;
    uint64_t monotonicMs; // CLOCK_MONOTONIC at the crash
    uint64_t registers[kCrashRecordRegisters];
    uint32_t frameCount;
    uint32_t demoSaved; // 1 when the demo file was written
};
struct CrashRecordFrame {
    uint64_t pc;
    uint64_t sp;
    uint64_t nameOffset; // pc minus the named symbol's start
    char name[kCrashRecordNameSize]; // the symbol as the object names it; empty: the reporter looks it up
};

// Milliseconds of CLOCK_MONOTONIC, the clock of monotonicMs.
uint64_t MonotonicMs();

} // namespace Plat
