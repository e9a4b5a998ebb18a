// The GIF reader: the first image of a GIF87a or GIF89a file, with its
// transparent colour, in plain or interlaced row order.
#pragma once

#include "framework/graphics/ImageLib.h"

#include <cstddef>

namespace ImageLib {

class ImageStream;

// Decodes the first image of a GIF file from the stream; null when the file
// is not a GIF, has no image, or its image header is damaged. A code stream
// cut short still gives the image, with the pixels not decoded left 0.
// Pictures of more than maxPixels pixels are refused.
Image* ReadGIFImage(ImageStream& stream, size_t maxPixels = kMaxImagePixels);

} // namespace ImageLib
