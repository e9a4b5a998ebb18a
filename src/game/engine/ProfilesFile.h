// Where the player file lives and how it is kept: "profiles.dat" in the
// user-data folder, with "profiles.dat.bak" beside it. A save copies the
// current file to the backup first and then replaces the file atomically, so
// an interrupted save leaves the old or the new profiles, never neither. A
// file that cannot be used is set aside as "profiles.dat.rejected", not
// overwritten.
#pragma once

#include "platform/files/AtomicFile.h"

#include <string>

class PlayerProfiles;

enum class ProfilesLoadResult {
    kLoaded,           // "profiles.dat" as it was
    kLoadedBackup,     // the file was unusable; the backup was read and written back
    kDefaults,         // nothing usable; the defaults were written
    kDefaultsNotSaved, // the defaults are in memory only (see GetError)
};

class ProfilesFile {
public:
    static constexpr const char* kFileName = "profiles.dat";
    static constexpr const char* kBackupSuffix = ".bak";
    static constexpr const char* kRejectedSuffix = ".rejected";

    // The folder; '\\' becomes '/', and a missing trailing '/' is added.
    void SetFolder(const std::string& folder);
    const std::string& GetFolder() const { return mFolder; }
    std::string GetPath() const;
    bool HasFolder() const { return !mFolder.empty(); }

    // Removes the temporaries of an interrupted save, then reads the file, or
    // else the backup, or else makes the defaults and writes them.
    ProfilesLoadResult Load(PlayerProfiles& profiles);
    // False (with GetError) when the profiles could not be written; the files
    // on disk are then as they were.
    bool Save(const PlayerProfiles& profiles);

    // What went wrong last, empty when nothing did.
    const std::string& GetError() const { return mError; }

    // Lets tests cut a save short.
    void SetWriter(const Plat::ByteWriter& writer) { mWriter = writer; }
    // While a demo plays, the players are the recording's: saves leave the
    // player's own file as it is.
    void SetReplaying(bool replaying) { mReplaying = replaying; }

private:
    // Reads a right-sized file into the profiles; false when absent or of
    // another size.
    bool ReadFile(const std::string& path, PlayerProfiles& profiles, bool& exists);
    // Renames an unusable file out of the way without replacing an earlier one.
    bool SetAside(const std::string& path);
    void RemoveTemporaries() const;

    std::string mFolder;
    std::string mError;
    Plat::ByteWriter mWriter;
    // Set when a file was there that could be neither read nor set aside:
    // saving over it would lose it.
    bool mSaveBlocked = false;
    bool mReplaying = false;
};
