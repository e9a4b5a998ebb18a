// Replacing a file whole: the new content goes to a temporary file beside
// it, is flushed to disk and renamed over the old one, so that a crash or a
// full disk leaves either the old file or the new one, never a mix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace Plat {

// Writes the bytes to an open file descriptor; false when not all of them
// could be written.
using ByteWriter = std::function<bool(int descriptor, const uint8_t* data, size_t size)>;

// write(2) until every byte is out.
bool WriteAllBytes(int descriptor, const uint8_t* data, size_t size);

// Creates every missing folder of the path ('/' separators).
bool MakeFolderPath(const std::string& folder);

// Replaces the file at the native path; true only once the new content is
// in place. The writer (WriteAllBytes by default) lets tests cut a save short.
bool WriteFileAtomically(const std::string& path, const uint8_t* data, size_t size,
                         const ByteWriter& writer = ByteWriter());

} // namespace Plat
