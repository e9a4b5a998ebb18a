#include "support/TempFolder.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace LumoTest {

namespace {

// Backslashes become separators here: the disk side of a test always
// works with '/' names.
fs::path OnDisk(const std::string& base, const std::string& relative)
{
    std::string native = relative;
    std::replace(native.begin(), native.end(), '\\', '/');
    return fs::path(base) / native;
}

// Lets the owner write every folder under `root` (links not followed), so
// that a test that made something read-only cannot keep it from removal.
void OpenForRemoval(const fs::path& root)
{
    std::error_code ec;
    fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ec);
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
}

} // namespace

TempFolder::TempFolder()
{
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate =
            base / ("lumo-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (fs::create_directory(candidate, ec) && !ec) {
            mPath = fs::canonical(candidate).string();
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary folder");
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    OpenForRemoval(mPath);
    fs::remove_all(mPath, ec);
}

std::string TempFolder::Join(const std::string& relative) const
{
    return relative.empty() ? mPath : mPath + "/" + relative;
}

std::string TempFolder::Write(const std::string& relative, std::string_view bytes) const
{
    const fs::path path = OnDisk(mPath, relative);
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
    return path.string();
}

std::string TempFolder::Write(const std::string& relative, const std::vector<uint8_t>& bytes) const
{
    return Write(relative, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string TempFolder::MakeFolder(const std::string& relative) const
{
    const fs::path path = OnDisk(mPath, relative);
    fs::create_directories(path);
    return path.string();
}

std::string TempFolder::Read(const std::string& relative) const
{
    std::ifstream in(OnDisk(mPath, relative), std::ios::binary);
    if (!in)
        return std::string();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempFolder::Exists(const std::string& relative) const
{
    std::error_code ec;
    return fs::exists(fs::symlink_status(OnDisk(mPath, relative), ec));
}

} // namespace LumoTest
