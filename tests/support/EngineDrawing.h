// What engine drawing tests share: the bounding box of the pixels a test
// picks on its screen, and pictures made by the test as image records.
// Header-only.
#pragma once

#include "framework/graphics/MemoryImage.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/PlatformImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <vector>

namespace LumoTest {

// Inclusive pixel bounds; empty (right < left) when nothing was picked.
struct ScreenBox {
    int left = 800, top = 600, right = -1, bottom = -1;
    bool Empty() const { return right < left; }
    bool operator==(const ScreenBox&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const ScreenBox& box)
{
    return out << "(" << box.left << ", " << box.top << ") - (" << box.right << ", " << box.bottom << ")";
}

// The box of the pixels of a width x height area for which picked(x, y) holds.
template <typename Picked>
ScreenBox BoxWhere(int width, int height, Picked&& picked)
{
    ScreenBox box;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (picked(x, y)) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x);
                box.bottom = std::max(box.bottom, y);
            }
        }
    }
    return box;
}

// The box of the pixels of a packed 800 x 600 screen for which picked(pixel) holds.
template <typename Picked>
ScreenBox ScreenBoxWhere(const uint32_t* bits, Picked&& picked)
{
    return BoxWhere(800, 600, [&](int x, int y) { return picked(bits[size_t(y) * 800 + size_t(x)]); });
}

// An image record outside any cache holding a width x height picture of
// columns of colour, each `columnWidth` wide (0: one column over the whole
// width), the colours repeating. Size and frame size are the picture's.
inline std::unique_ptr<ImageRecord> MakeColumnPicture(int width, int height, const std::vector<uint32_t>& columnColours,
                                                      int columnWidth = 0)
{
    auto record = std::make_unique<ImageRecord>();
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    if (columnWidth == 0)
        columnWidth = width;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y) * size_t(width) + size_t(x)] = columnColours[size_t(x / columnWidth) % columnColours.size()];
    auto* image = new Lumo::MemoryImage();
    image->SetBits(pixels.data(), width, height, true);
    record->mImage = std::make_unique<PlatformImage>();
    record->mImage->SetImage(image);
    record->mWidth = record->mFrameWidth = static_cast<float>(width);
    record->mHeight = record->mFrameHeight = static_cast<float>(height);
    return record;
}

} // namespace LumoTest
