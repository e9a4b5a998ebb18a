// The TGA reader: uncompressed 32-bit true-colour files stored top row first
// with 8 alpha bits, the one kind the game's tools write.
#pragma once

#include "framework/graphics/ImageLib.h"

#include <cstddef>

namespace ImageLib {

class ImageStream;

// Decodes a TGA file from the stream; null for a short header or any kind of
// file other than the one above. Pixels missing from a short file are 0.
// Pictures of more than maxPixels pixels are refused.
Image* ReadTGAImage(ImageStream& stream, size_t maxPixels = kMaxImagePixels);

} // namespace ImageLib
