#include "game/engine/ProfilesFile.h"

#include "game/engine/PlayerProfiles.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

static_assert(PlayerProfiles::kFileSize == 52284);

namespace {

// The bytes of a file of at most `limit` bytes; `size` gets the whole size
// (also when over the limit, then nothing is read). False when it cannot be
// opened or read.
bool ReadBytes(const std::string& path, std::vector<uint8_t>& bytes, size_t limit, long long& size, bool& exists)
{
    exists = false;
    size = 0;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        exists = errno != ENOENT;
        return false;
    }
    exists = true;
    bool ok = false;
    struct stat info {};
    if (fstat(fileno(file), &info) != 0) {
        // errno tells why.
    } else if (!S_ISREG(info.st_mode)) {
        // A folder or device by that name: say so, not a stale errno.
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    } else {
        size = info.st_size;
        if (size >= 0 && static_cast<unsigned long long>(size) <= limit) {
            bytes.resize(static_cast<size_t>(size));
            ok = bytes.empty() || std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
        } else {
            ok = true;
        }
    }
    const int error = errno;
    std::fclose(file);
    errno = error;
    return ok;
}

// A temporary of the atomic writer: the name, a dot and six letters or digits.
bool IsTemporaryOf(const char* name, const std::string& base)
{
    if (std::strncmp(name, base.c_str(), base.size()) != 0 || name[base.size()] != '.')
        return false;
    const char* rest = name + base.size() + 1;
    if (std::strlen(rest) != 6)
        return false;
    for (const char* c = rest; *c != 0; ++c)
        if (!std::isalnum(static_cast<unsigned char>(*c)))
            return false;
    return true;
}

} // namespace

void ProfilesFile::SetFolder(const std::string& folder)
{
    mFolder = folder;
    for (char& c : mFolder)
        if (c == '\\')
            c = '/';
    if (!mFolder.empty() && mFolder.back() != '/')
        mFolder += '/';
    mSaveBlocked = false;
}

std::string ProfilesFile::GetPath() const
{
    return mFolder + kFileName;
}

void ProfilesFile::RemoveTemporaries() const
{
    DIR* folder = opendir(mFolder.c_str());
    if (folder == nullptr)
        return;
    const std::string backup = std::string(kFileName) + kBackupSuffix;
    std::vector<std::string> names;
    while (const dirent* entry = readdir(folder)) {
        if (IsTemporaryOf(entry->d_name, kFileName) || IsTemporaryOf(entry->d_name, backup))
            names.emplace_back(entry->d_name);
    }
    closedir(folder);
    for (const std::string& name : names)
        unlink((mFolder + name).c_str());
}

bool ProfilesFile::ReadFile(const std::string& path, PlayerProfiles& profiles, bool& exists)
{
    std::vector<uint8_t> bytes;
    long long size = 0;
    if (!ReadBytes(path, bytes, PlayerProfiles::kFileSize, size, exists)) {
        if (exists)
            mError = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    if (size != static_cast<long long>(PlayerProfiles::kFileSize)) {
        mError = path + " has " + std::to_string(size) + " bytes, not " + std::to_string(PlayerProfiles::kFileSize);
        return false;
    }
    return profiles.Read(bytes.data(), bytes.size());
}

bool ProfilesFile::SetAside(const std::string& path)
{
    std::string target = path + kRejectedSuffix;
    struct stat info {};
    for (int n = 2; lstat(target.c_str(), &info) == 0; ++n) {
        if (n > 999)
            return false;
        target = path + kRejectedSuffix + "." + std::to_string(n);
    }
    return std::rename(path.c_str(), target.c_str()) == 0;
}

ProfilesLoadResult ProfilesFile::Load(PlayerProfiles& profiles)
{
    mError.clear();
    mSaveBlocked = false;
    // A replayed demo brings its own players: the player's files stay as
    // they are, whatever state they are in.
    if (!mReplaying)
        RemoveTemporaries();
    const std::string path = GetPath();
    bool exists = false;
    if (ReadFile(path, profiles, exists))
        return ProfilesLoadResult::kLoaded;
    const std::string problem = mError;
    if (exists && !mReplaying && !SetAside(path))
        mSaveBlocked = true;

    bool backupExists = false;
    if (ReadFile(path + kBackupSuffix, profiles, backupExists)) {
        mError = problem;
        if (!mSaveBlocked)
            Save(profiles);
        return ProfilesLoadResult::kLoadedBackup;
    }

    profiles.CreateDefaults();
    if (mSaveBlocked) {
        mError = problem + "; it could not be set aside, so the profiles are not saved over it";
        return ProfilesLoadResult::kDefaultsNotSaved;
    }
    if (!Save(profiles))
        return ProfilesLoadResult::kDefaultsNotSaved;
    mError = problem;
    return ProfilesLoadResult::kDefaults;
}

bool ProfilesFile::Save(const PlayerProfiles& profiles)
{
    if (mFolder.empty()) {
        mError = "no folder for the player file";
        return false;
    }
    if (mReplaying)
        return true;
    const std::string path = GetPath();
    if (mSaveBlocked) {
        mError = "not saving over " + path + ", which could not be read";
        return false;
    }
    if (!Plat::MakeFolderPath(mFolder.substr(0, mFolder.size() - 1))) {
        mError = "cannot create the folder " + mFolder + ": " + std::strerror(errno);
        return false;
    }

    // The current file, when it is a good one, becomes the backup first.
    std::vector<uint8_t> old;
    long long size = 0;
    bool exists = false;
    if (ReadBytes(path, old, PlayerProfiles::kFileSize, size, exists) &&
        size == static_cast<long long>(PlayerProfiles::kFileSize)) {
        if (!Plat::WriteFileAtomically(path + kBackupSuffix, old.data(), old.size(), mWriter)) {
            mError = "cannot write " + path + kBackupSuffix + ": " + std::strerror(errno);
            return false;
        }
    }

    auto bytes = std::make_unique<uint8_t[]>(PlayerProfiles::kFileSize);
    profiles.Write(bytes.get());
    if (!Plat::WriteFileAtomically(path, bytes.get(), PlayerProfiles::kFileSize, mWriter)) {
        mError = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    mError.clear();
    return true;
}
