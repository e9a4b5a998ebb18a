// Path texts and folders: splitting and joining paths, resolving a relative
// path, creating and deleting folder trees, and moving the user-data folder
// to the application-data folder. Both '\\' and '/' are separators.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Lumo {

// Source and destination pairs for MoveFolderTree, in the order they move.
using MoveList = std::vector<std::pair<std::string, std::string>>;

// The last path component; with noExtension, without its last ".ext".
std::string GetFileName(const std::string& path, bool noExtension = false);
// The part before the last separator (with it when keepSeparator is set);
// empty when there is no separator.
std::string GetFileDir(const std::string& path, bool keepSeparator = false);
// Drops one trailing separator.
std::string RemoveTrailingSlash(const std::string& path);
// Appends '\\' (backslash set) or '/' unless the path is empty or already
// ends in a separator.
std::string AddTrailingSlash(const std::string& path, bool backslash = false);

// Resolves the relative path against the base folder, consuming leading
// "." and ".." components; a path with a drive ("C:...") comes back as it is.
// The result uses '\\' when either text does, else '/'.
std::string GetPathFrom(const std::string& relativePath, const std::string& baseDirectory);
// The working folder, of any length.
std::string GetCurrentDir();
// The path resolved against the working folder.
std::string GetFullPath(const std::string& path);
// The path as the system names it (Plat::FileSystem::NativePath), put
// behind the working folder when relative: for handing to another program.
std::string AbsoluteNativePath(const std::string& path);

// True when a search for the path finds an entry.
bool FileExists(const std::string& path);
// Creates every folder along the path; existing ones are fine.
void MkDir(const std::string& path);
// Deletes the folder and everything in it. Symbolic links are removed as
// entries, never followed. Goes on after a failure; true only when every
// deletion succeeded.
bool DeleteFolderTree(const std::string& path);

// Queues the move of the named folder beside the program (in the working
// folder) to the application-data folder, when the system keeps per-user
// data folders, the source exists and the destination does not yet.
void QueueMoveToAppData(MoveList& list, const std::string& name);
// Moves each pair; where a move is refused the files are copied instead
// (never over existing ones) and the source is left in place.
void MoveFolderTree(const MoveList& list);

// Opens the file or folder for reading and writing to every user.
bool AllowAllAccess(const std::string& path);

} // namespace Lumo
