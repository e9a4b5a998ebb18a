// POSIX shared memory objects behind the named blocks.
#include "platform/files/SharedMemory.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Plat {

namespace {

// "/lumo.<pid>.<name>", with '/' (not allowed inside a POSIX name) replaced.
std::string SystemName(const std::string& name)
{
    std::string result = "/lumo." + std::to_string(static_cast<long>(getpid())) + ".";
    for (char c : name)
        result += c == '/' ? '_' : c;
    return result;
}

} // namespace

SharedMemory::~SharedMemory()
{
    Close();
}

bool SharedMemory::Create(const std::string& name, size_t size)
{
    Close();
    if (size == 0)
        return false;
    const std::string systemName = SystemName(name);
    const int fd = shm_open(systemName.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0)
        return false;
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
        ::close(fd);
        shm_unlink(systemName.c_str());
        return false;
    }
    mFd = fd;
    mCreated = true;
    mName = name;
    return true;
}

bool SharedMemory::Open(const std::string& name)
{
    Close();
    const int fd = shm_open(SystemName(name).c_str(), O_RDWR, 0);
    if (fd < 0)
        return false;
    mFd = fd;
    mCreated = false;
    mName = name;
    return true;
}

size_t SharedMemory::Size() const
{
    if (mFd < 0)
        return 0;
    struct stat st;
    if (fstat(mFd, &st) != 0 || st.st_size < 0)
        return 0;
    return static_cast<size_t>(st.st_size);
}

uint8_t* SharedMemory::Map(size_t length)
{
    if (mFd < 0 || mView != nullptr)
        return nullptr;
    const size_t size = Size();
    if (length == 0)
        length = size;
    // Touching a page past the end of the block would fault, so a view is
    // never longer than the block.
    if (length == 0 || length > size)
        return nullptr;
    void* view = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, mFd, 0);
    if (view == MAP_FAILED)
        return nullptr;
    mView = static_cast<uint8_t*>(view);
    mViewLength = length;
    return mView;
}

void SharedMemory::Unmap()
{
    if (mView != nullptr)
        munmap(mView, mViewLength);
    mView = nullptr;
    mViewLength = 0;
}

void SharedMemory::Close()
{
    Unmap();
    if (mFd >= 0) {
        ::close(mFd);
        if (mCreated)
            shm_unlink(SystemName(mName).c_str());
    }
    mFd = -1;
    mCreated = false;
    mName.clear();
}

bool SharedMemory::Remove(const std::string& name)
{
    return shm_unlink(SystemName(name).c_str()) == 0;
}

} // namespace Plat
