#include "platform/system/SingleInstance.h"

#include "platform/files/UserFolders.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace Plat {

namespace {

// Numbers of registered messages start where the original's did.
constexpr uint32_t kFirstMessage = 0xC000;
constexpr size_t kRecordSize = 16; // wParam and lParam, 64 bits each, little-endian

// A name as a file name: anything but letters, digits, '-' and '_' becomes '_'.
std::string FileNameOf(const std::string& name)
{
    std::string out = name;
    for (char& c : out) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '_';
        if (!keep)
            c = '_';
    }
    return out;
}

bool MakeAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof(address));
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool AllDigits(const std::string& text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// "<name>.<pid>.<sequence>.sock" of the given name.
bool IsListenerFile(const std::string& fileName, const std::string& prefix)
{
    static const std::string kSuffix = ".sock";
    if (fileName.size() <= prefix.size() + kSuffix.size() || fileName.compare(0, prefix.size(), prefix) != 0 ||
        fileName.compare(fileName.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
        return false;
    const std::string middle = fileName.substr(prefix.size(), fileName.size() - prefix.size() - kSuffix.size());
    const size_t dot = middle.find('.');
    return dot != std::string::npos && AllDigits(middle.substr(0, dot)) && AllDigits(middle.substr(dot + 1));
}

class FileLock : public InstanceLock {
public:
    explicit FileLock(int fd) : mFd(fd) {}
    ~FileLock() override { close(mFd); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int mFd;
};

std::mutex gInstanceLock;
SingleInstance* gInstance = nullptr;
uint32_t gNextSequence = 0; // under gInstanceLock: tells listeners of one process apart

} // namespace

LocalSingleInstance::LocalSingleInstance() = default;

LocalSingleInstance::LocalSingleInstance(const std::string& folder) : mFolder(folder) {}

LocalSingleInstance::~LocalSingleInstance()
{
    for (const Listener& listener : mListeners) {
        if (listener.socket >= 0) {
            close(listener.socket);
            unlink(listener.path.c_str());
        }
    }
}

const std::string& LocalSingleInstance::Folder()
{
    if (mFolder.empty())
        mFolder = UserRuntimeFolder();
    return mFolder;
}

uint32_t LocalSingleInstance::RegisterMessage(const std::string& name)
{
    for (size_t i = 0; i < mListeners.size(); ++i) {
        if (mListeners[i].name == name)
            return mListeners[i].socket >= 0 ? kFirstMessage + static_cast<uint32_t>(i) : 0;
    }

    uint32_t sequence = 0;
    {
        std::lock_guard<std::mutex> lock(gInstanceLock);
        sequence = gNextSequence++;
    }
    Listener listener;
    listener.name = name;
    listener.path = Folder() + "/" + FileNameOf(name) + "." + std::to_string(getpid()) + "." +
                    std::to_string(sequence) + ".sock";
    sockaddr_un address;
    if (MakeAddress(listener.path, address)) {
        const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd >= 0) {
            unlink(listener.path.c_str()); // left behind by a dead process with our pid
            if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0)
                listener.socket = fd;
            else
                close(fd);
        }
    }
    // A failed name is remembered too, so that asking again gives 0 again.
    mListeners.push_back(listener);
    return listener.socket >= 0 ? kFirstMessage + static_cast<uint32_t>(mListeners.size() - 1) : 0;
}

std::unique_ptr<InstanceLock> LocalSingleInstance::CreateLock(const std::string& name, bool& alreadyExists)
{
    alreadyExists = false;
    const std::string path = Folder() + "/" + FileNameOf(name) + ".lock";
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        alreadyExists = errno == EWOULDBLOCK;
        close(fd);
        return nullptr;
    }
    return std::make_unique<FileLock>(fd);
}

void LocalSingleInstance::BroadcastMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (message < kFirstMessage || message - kFirstMessage >= mListeners.size())
        return;
    const Listener& own = mListeners[message - kFirstMessage];
    const std::string prefix = FileNameOf(own.name) + ".";

    uint8_t record[kRecordSize];
    const uint64_t first = wParam;
    const uint64_t second = static_cast<uint64_t>(static_cast<int64_t>(lParam));
    for (int i = 0; i < 8; ++i) {
        record[i] = static_cast<uint8_t>(first >> (8 * i));
        record[8 + i] = static_cast<uint8_t>(second >> (8 * i));
    }

    DIR* folder = opendir(Folder().c_str());
    if (folder == nullptr)
        return;
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    while (fd >= 0) {
        const dirent* entry = readdir(folder);
        if (entry == nullptr)
            break;
        const std::string fileName = entry->d_name;
        if (!IsListenerFile(fileName, prefix))
            continue;
        const std::string path = Folder() + "/" + fileName;
        bool mine = false;
        for (const Listener& listener : mListeners)
            mine = mine || listener.path == path;
        sockaddr_un address;
        if (mine || !MakeAddress(path, address))
            continue;
        const ssize_t sent = sendto(fd, record, sizeof(record), MSG_DONTWAIT | MSG_NOSIGNAL,
                                    reinterpret_cast<const sockaddr*>(&address), sizeof(address));
        // Nobody listens there any more: the copy that made it is gone.
        if (sent < 0 && errno == ECONNREFUSED)
            unlink(path.c_str());
    }
    if (fd >= 0)
        close(fd);
    closedir(folder);
}

bool LocalSingleInstance::ReceiveMessage(uint32_t& message, uintptr_t& wParam, intptr_t& lParam)
{
    for (size_t i = 0; i < mListeners.size(); ++i) {
        if (mListeners[i].socket < 0)
            continue;
        uint8_t record[kRecordSize];
        // Anything but a whole record is dropped; keep reading behind it.
        for (;;) {
            const ssize_t got = recv(mListeners[i].socket, record, sizeof(record), MSG_DONTWAIT | MSG_TRUNC);
            if (got < 0)
                break;
            if (static_cast<size_t>(got) != kRecordSize)
                continue;
            uint64_t first = 0;
            uint64_t second = 0;
            for (int b = 0; b < 8; ++b) {
                first |= static_cast<uint64_t>(record[b]) << (8 * b);
                second |= static_cast<uint64_t>(record[8 + b]) << (8 * b);
            }
            message = kFirstMessage + static_cast<uint32_t>(i);
            wParam = static_cast<uintptr_t>(first);
            lParam = static_cast<intptr_t>(static_cast<int64_t>(second));
            return true;
        }
    }
    return false;
}

SingleInstance& GetSingleInstance()
{
    static LocalSingleInstance real;
    std::lock_guard<std::mutex> lock(gInstanceLock);
    return gInstance != nullptr ? *gInstance : real;
}

SingleInstance* SetSingleInstance(SingleInstance* instance)
{
    std::lock_guard<std::mutex> lock(gInstanceLock);
    SingleInstance* previous = gInstance;
    gInstance = instance;
    return previous;
}

} // namespace Plat
