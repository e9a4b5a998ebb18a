#include "platform/files/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Plat {

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

bool WriteAllBytes(int descriptor, const uint8_t* data, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t put = write(descriptor, data + done, size - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += size_t(put);
    }
    return true;
}

bool MakeFolderPath(const std::string& folder)
{
    if (folder.empty())
        return true;
    for (size_t pos = 1; pos <= folder.size(); ++pos) {
        if (pos != folder.size() && folder[pos] != '/')
            continue;
        const std::string part = folder.substr(0, pos);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size, const ByteWriter& writer)
{
    if (path.empty() || path.back() == '/' || (data == nullptr && size != 0))
        return false;
    const std::string folder = FolderOf(path);
    if (!MakeFolderPath(folder))
        return false;

    std::string tempPath = path + ".XXXXXX";
    const int descriptor = mkostemp(tempPath.data(), O_CLOEXEC);
    if (descriptor < 0)
        return false;
    // A replaced file keeps the permissions it had; a new one is readable by
    // all and writable by its owner, as a plain new file would usually be.
    struct stat old {};
    fchmod(descriptor, stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644);

    const bool written = writer ? writer(descriptor, data, size) : WriteAllBytes(descriptor, data, size);
    bool ok = written && fsync(descriptor) == 0;
    ok = close(descriptor) == 0 && ok;
    ok = ok && rename(tempPath.c_str(), path.c_str()) == 0;
    if (!ok) {
        unlink(tempPath.c_str());
        return false;
    }
    // Makes the rename itself durable; the file is in place either way.
    const int folderDescriptor = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderDescriptor >= 0) {
        fsync(folderDescriptor);
        close(folderDescriptor);
    }
    return true;
}

} // namespace Plat
