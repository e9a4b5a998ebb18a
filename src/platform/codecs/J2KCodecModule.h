// The J2K/JP2 codec module: nine entry points over OpenJPEG, with the call
// shapes and error reporting that the image loader expects of its codec. The
// caller hands in the stream callbacks, so the codec reads through whatever
// file layer the caller has.
#pragma once

#include <cstdint>

namespace Plat {

// The caller's I/O, in this order. The user data is the caller's own file.
struct J2KStreamCallbacks {
    // Seeks to an absolute offset; 0 on success.
    int (*seek)(void* userData, long offset);
    // Reads up to count bytes; the number read (0 at the end).
    int (*read)(void* buffer, int count, void* userData);
    // Called once when the handle is closed; may be null.
    void (*close)(void* userData);
};

// Version reported by J2KGetVersion.
constexpr int kJ2KCodecVersion = 0x200000;

// Error codes of J2KGetLastError.
constexpr int kJ2KErrorNone = 0;
constexpr int kJ2KErrorBadArgument = 1;
constexpr int kJ2KErrorOpenFile = 2;
constexpr int kJ2KErrorRead = 3;
constexpr int kJ2KErrorUnknownFormat = 4;
constexpr int kJ2KErrorHeader = 5;
constexpr int kJ2KErrorUnsupported = 6;
constexpr int kJ2KErrorTooLarge = 7;
constexpr int kJ2KErrorBadOption = 8;
constexpr int kJ2KErrorBufferTooSmall = 9;
constexpr int kJ2KErrorDecode = 10;

// Largest picture the codec decodes, in pixels; larger ones are refused
// before anything is allocated for them.
constexpr int64_t kJ2KMaxPixels = int64_t(1) << 24;
// Most tiles of a picture: each costs the decoder memory and time of its own
// however small it is.
constexpr uint64_t kJ2KMaxTiles = 4096;

// The codec's version number.
int J2KGetVersion();
// A decoder over the caller's stream: the format (raw J2K code stream or JP2
// file) is told by its first bytes and the main header is read here. Null on
// failure. The callbacks record is copied.
void* J2KOpenCustom(void* userData, const J2KStreamCallbacks* callbacks);
// The same over a file on the disk.
void* J2KOpenFile(const char* fileName);
// Releases the handle (null is ignored); calls the close callback.
void J2KClose(void* handle);
// Full-size width and height and the number of components; 0 on success.
int J2KGetInfo(void* handle, int* width, int* height, int* components);
// Size at a resolution level (0 = full size, each level halves, rounding
// up); 0 on success.
int J2KGetResolutionDimensions(void* handle, int level, int* width, int* height);
// Decodes into *buffer (*size bytes, rows *pitch bytes apart; a pitch of 0
// becomes width x bpp and is written back). Options: "bpp=4" (the only pixel
// size: 0xAARRGGBB words, little-endian) and "rl=N" (resolution level). Grey,
// grey + alpha, RGB and RGBA pictures of any precision, signed or not,
// subsampled or not, come out as 8-bit channels; alpha is 255 where the
// picture has none. 0 on success.
int J2KDecode(void* handle, unsigned char** buffer, int* size, const char* options, int* pitch);
// The code of the last failure on this thread (kJ2KErrorNone after a success
// of J2KOpenCustom, J2KOpenFile, J2KGetInfo, J2KGetResolutionDimensions or
// J2KDecode).
int J2KGetLastError();
// Text of an error code. For the last failure on this thread, the decoding
// library's own message when it gave one. Valid until the next call.
const char* J2KGetErrorStr(int code);

} // namespace Plat
