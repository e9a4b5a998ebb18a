#include "platform/system/CrashSignals.h"

#define UNW_LOCAL_ONLY
#include <libunwind.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

extern char** environ;

namespace Plat {

namespace {

#define LUMO_NAME_TEXT2(x) #x
#define LUMO_NAME_TEXT(x) LUMO_NAME_TEXT2(x)

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr size_t kPathCapacity = 4096;

// The stack walker, loaded at install: linked normally it would take over
// every exception the program throws. These entry points are safe to call
// inside a signal handler.
struct Unwinder {
    void* library = nullptr;
    int (*initLocal2)(unw_cursor_t*, unw_context_t*, int) = nullptr;
    int (*step)(unw_cursor_t*) = nullptr;
    int (*getReg)(unw_cursor_t*, unw_regnum_t, unw_word_t*) = nullptr;
};
Unwinder gUnwinder;

// Everything the handler needs, prepared outside it.
char gRecordPath[kPathCapacity];
char gRecordPartPath[kPathCapacity + 8];
char gProgram[kPathCapacity];
char gArgument[2 * kPathCapacity];
std::atomic<bool> gInstalled{false};
std::atomic<pid_t> gCrashOwner{0};

struct ContextSlot {
    size_t size = 0;
    char bytes[kCrashContextCapacity];
};
ContextSlot gContext[2];
std::atomic<int> gContextIndex{-1};

struct DemoSlot {
    CrashDemoView view;
    char partPath[kPathCapacity + 8] = {};
    char path[kPathCapacity] = {};
};
DemoSlot gDemo[2];
std::atomic<int> gDemoIndex{-1};

CrashRecordFrame gFrames[kCrashRecordMaxFrames];
char gCopyBuffer[4096];
uint8_t gBitTail[256];

// Copies text into a fixed buffer; false when it does not fit.
bool CopyText(char* out, size_t capacity, const char* a, const char* b = "")
{
    const size_t first = std::strlen(a);
    const size_t second = std::strlen(b);
    if (first + second + 1 > capacity)
        return false;
    std::memcpy(out, a, first);
    std::memcpy(out + first, b, second);
    out[first + second] = '\0';
    return true;
}

// Signal-safe from here on: no allocation, no locks, no stdio.

bool WriteAll(int fd, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t done = write(fd, bytes, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

uint32_t CollectFrames(ucontext_t* context)
{
    uint32_t count = 0;
    if (gUnwinder.initLocal2 != nullptr) {
        unw_cursor_t cursor;
        if (gUnwinder.initLocal2(&cursor, reinterpret_cast<unw_context_t*>(context), UNW_INIT_SIGNAL_FRAME) == 0) {
            do {
                CrashRecordFrame& frame = gFrames[count];
                unw_word_t pc = 0;
                unw_word_t sp = 0;
                gUnwinder.getReg(&cursor, UNW_REG_IP, &pc);
                gUnwinder.getReg(&cursor, UNW_REG_SP, &sp);
                frame.pc = pc;
                frame.sp = sp;
                // Names come later, from the reporter: the walker's own
                // name lookup allocates.
                frame.name[0] = '\0';
                frame.nameOffset = 0;
                ++count;
            } while (count < static_cast<uint32_t>(kCrashRecordMaxFrames) && gUnwinder.step(&cursor) > 0);
        }
    }
    if (count == 0) {
        // No walker: the faulting instruction alone.
        gFrames[0].pc = static_cast<uint64_t>(context->uc_mcontext.gregs[REG_RIP]);
        gFrames[0].sp = static_cast<uint64_t>(context->uc_mcontext.gregs[REG_RSP]);
        gFrames[0].nameOffset = 0;
        gFrames[0].name[0] = '\0';
        count = 1;
    }
    return count;
}

// Appends bits least significant first behind the stream's last whole
// byte, flushing whole bytes to the file as the tail fills.
struct BitTail {
    int fd;
    size_t bit;
    bool ok;
    void Put(uint32_t value, int bits)
    {
        for (int i = 0; i < bits; ++i) {
            if (bit == sizeof(gBitTail) * 8) {
                ok = ok && WriteAll(fd, gBitTail, sizeof(gBitTail));
                std::memset(gBitTail, 0, sizeof(gBitTail));
                bit = 0;
            }
            if (((value >> i) & 1) != 0)
                gBitTail[bit / 8] |= static_cast<uint8_t>(1 << (bit % 8));
            ++bit;
        }
    }
};

// Writes the demo being recorded, ended like a run the player closed:
// fillers up to the last update, then command 31.
bool SaveDemo()
{
    const int index = gDemoIndex.load(std::memory_order_acquire);
    if (index < 0)
        return false;
    const DemoSlot& slot = gDemo[index];
    const CrashDemoView& view = slot.view;
    if (view.stream == nullptr || view.streamBits == nullptr || view.updateCount == nullptr ||
        view.nextUpdate == nullptr)
        return false;
    const int fd = open(slot.partPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const int updates = *view.updateCount;
    int next = *view.nextUpdate;
    const uint8_t count[4] = {static_cast<uint8_t>(updates), static_cast<uint8_t>(updates >> 8),
                              static_cast<uint8_t>(updates >> 16), static_cast<uint8_t>(updates >> 24)};
    bool ok = WriteAll(fd, view.head.data(), view.head.size()) && WriteAll(fd, count, sizeof(count));

    const uint8_t* data = view.stream->data();
    size_t bits = static_cast<size_t>(*view.streamBits > 0 ? *view.streamBits : 0);
    if (bits > view.stream->size() * 8)
        bits = view.stream->size() * 8;
    const size_t whole = bits / 8;
    ok = ok && WriteAll(fd, data, whole);
    std::memset(gBitTail, 0, sizeof(gBitTail));
    BitTail tail{fd, bits % 8, ok};
    if (tail.bit != 0)
        gBitTail[0] = static_cast<uint8_t>(data[whole] & ((1u << tail.bit) - 1));
    while (updates - next > 15) {
        tail.Put(15, 4);
        next += 15;
        tail.Put(0, 1);
        tail.Put(31, 5);
    }
    tail.Put(static_cast<uint32_t>(updates - next > 0 ? updates - next : 0), 4);
    tail.Put(0, 1);
    tail.Put(31, 5);
    ok = tail.ok && WriteAll(fd, gBitTail, (tail.bit + 7) / 8);
    ok = fsync(fd) == 0 && ok;
    close(fd);
    return ok && rename(slot.partPath, slot.path) == 0;
}

void WriteRecord(int signal, siginfo_t* info, ucontext_t* context)
{
    const int fd = open(gRecordPartPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    CrashRecordHeader header;
    std::memset(&header, 0, sizeof(header));
    std::memcpy(header.magic, kCrashRecordMagic, sizeof(header.magic));
    header.signal = signal;
    header.code = info->si_code;
    header.faultAddress = reinterpret_cast<uint64_t>(info->si_addr);
    header.threadId = static_cast<uint32_t>(syscall(SYS_gettid));
    header.processId = static_cast<uint32_t>(getpid());
    header.monotonicMs = MonotonicMs();
    for (int i = 0; i < kCrashRecordRegisters && i < NGREG; ++i)
        header.registers[i] = static_cast<uint64_t>(context->uc_mcontext.gregs[i]);
    header.frameCount = CollectFrames(context);
    header.demoSaved = SaveDemo() ? 1 : 0;
    bool ok = WriteAll(fd, &header, sizeof(header)) &&
              WriteAll(fd, gFrames, sizeof(CrashRecordFrame) * header.frameCount);

    const int index = gContextIndex.load(std::memory_order_acquire);
    const uint32_t contextSize = index >= 0 ? static_cast<uint32_t>(gContext[index].size) : 0;
    ok = ok && WriteAll(fd, &contextSize, sizeof(contextSize));
    if (contextSize > 0)
        ok = ok && WriteAll(fd, gContext[index].bytes, contextSize);

    const int maps = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps >= 0) {
        for (;;) {
            const ssize_t got = read(maps, gCopyBuffer, sizeof(gCopyBuffer));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            ok = ok && WriteAll(fd, gCopyBuffer, static_cast<size_t>(got));
        }
        close(maps);
    }
    close(fd);
    if (ok)
        rename(gRecordPartPath, gRecordPath);
}

void StartReporter()
{
    // _Fork runs no fork handlers: the allocator's lock may be held by the
    // thread that crashed.
    const pid_t child = _Fork();
    if (child != 0)
        return;
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // Nothing of ours stays open in the reporter: not the single-instance
    // lock, not the display's connection.
    close_range(3, ~0U, 0);
    char* argv[] = {gProgram, gArgument, nullptr};
    execve(gProgram, argv, environ);
    _exit(127);
}

void RestoreDefaultAction(int signal)
{
    struct sigaction fallback;
    std::memset(&fallback, 0, sizeof(fallback));
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
}

// Ends the process of the signal with its default action.
void DieOf(int signal, const siginfo_t* info)
{
    RestoreDefaultAction(signal);
    if (info->si_code > 0 && signal != SIGABRT)
        return; // a fault: the instruction runs again and the default action ends the process
    sigset_t just;
    sigemptyset(&just);
    sigaddset(&just, signal);
    pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
    raise(signal);
    _exit(128 + signal);
}

void CrashHandler(int signal, siginfo_t* info, void* rawContext)
{
    // The interrupted code finds errno as it left it when the fault runs again.
    const int savedErrno = errno;
    const pid_t self = static_cast<pid_t>(syscall(SYS_gettid));
    pid_t owner = 0;
    if (!gCrashOwner.compare_exchange_strong(owner, self)) {
        if (owner == self) {
            // A fault while reporting: no second try.
            DieOf(signal, info);
            errno = savedErrno;
            return;
        }
        // Another thread reports; this one waits for the process to end.
        for (;;)
            pause();
    }
    WriteRecord(signal, info, static_cast<ucontext_t*>(rawContext));
    StartReporter();
    DieOf(signal, info);
    errno = savedErrno;
}

void LoadUnwinder()
{
    if (gUnwinder.library != nullptr)
        return;
    void* library = dlopen("libunwind.so.8", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        return;
    Unwinder found;
    found.library = library;
    found.initLocal2 = reinterpret_cast<decltype(found.initLocal2)>(dlsym(library, LUMO_NAME_TEXT(unw_init_local2)));
    found.step = reinterpret_cast<decltype(found.step)>(dlsym(library, LUMO_NAME_TEXT(unw_step)));
    found.getReg = reinterpret_cast<decltype(found.getReg)>(dlsym(library, LUMO_NAME_TEXT(unw_get_reg)));
    if (found.initLocal2 == nullptr || found.step == nullptr || found.getReg == nullptr) {
        dlclose(library);
        return;
    }
    gUnwinder = found;
}

struct ThreadCrashStack {
    void* base = nullptr;
    ~ThreadCrashStack()
    {
        if (base == nullptr)
            return;
        stack_t off;
        std::memset(&off, 0, sizeof(off));
        off.ss_flags = SS_DISABLE;
        sigaltstack(&off, nullptr);
        munmap(base, kCrashStackSize);
    }
};
thread_local ThreadCrashStack tCrashStack;

} // namespace

uint64_t MonotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
}

bool InstallCrashSignals(const std::string& program, const std::string& reporterOption, const std::string& folder)
{
    mkdir(folder.c_str(), 0700);
    const std::string record = folder + "/crash-" + std::to_string(getpid()) + ".rec";
    if (!CopyText(gRecordPath, sizeof(gRecordPath), record.c_str()) ||
        !CopyText(gRecordPartPath, sizeof(gRecordPartPath), record.c_str(), ".part") ||
        !CopyText(gProgram, sizeof(gProgram), program.c_str()) ||
        !CopyText(gArgument, sizeof(gArgument), reporterOption.c_str(), record.c_str()))
        return false;
    LoadUnwinder();
    AddCrashStackForThread();
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_sigaction = &CrashHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int signal : kCrashSignals) {
        if (sigaction(signal, &action, nullptr) != 0)
            return false;
    }
    gInstalled = true;
    return true;
}

void RemoveCrashSignals()
{
    for (const int signal : kCrashSignals)
        RestoreDefaultAction(signal);
    gInstalled = false;
}

bool CrashSignalsInstalled()
{
    return gInstalled;
}

std::string CrashRecordPath()
{
    return gRecordPath;
}

void AddCrashStackForThread()
{
    if (tCrashStack.base != nullptr)
        return;
    void* base = mmap(nullptr, kCrashStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED)
        return;
    stack_t stack;
    std::memset(&stack, 0, sizeof(stack));
    stack.ss_sp = base;
    stack.ss_size = kCrashStackSize;
    if (sigaltstack(&stack, nullptr) != 0) {
        munmap(base, kCrashStackSize);
        return;
    }
    tCrashStack.base = base;
}

void SetCrashContext(const std::string& text)
{
    const int next = gContextIndex.load(std::memory_order_relaxed) == 0 ? 1 : 0;
    const size_t size = text.size() < kCrashContextCapacity ? text.size() : kCrashContextCapacity;
    std::memcpy(gContext[next].bytes, text.data(), size);
    gContext[next].size = size;
    gContextIndex.store(next, std::memory_order_release);
}

void SetCrashDemo(const CrashDemoView& view)
{
    if (view.stream == nullptr || view.path.size() + 1 > kPathCapacity) {
        gDemoIndex.store(-1, std::memory_order_release);
        return;
    }
    const int next = gDemoIndex.load(std::memory_order_relaxed) == 0 ? 1 : 0;
    DemoSlot& slot = gDemo[next];
    slot.view = view;
    CopyText(slot.path, sizeof(slot.path), view.path.c_str());
    CopyText(slot.partPath, sizeof(slot.partPath), view.path.c_str(), ".part");
    gDemoIndex.store(next, std::memory_order_release);
}

} // namespace Plat
