// What engine drawing tests share: the bounding box of the pixels a test
// picks on its screen, and pictures made by the test, as image records or
// served by name through the platform host. Header-only.
#pragma once

#include "framework/graphics/MemoryImage.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/PlatformImage.h"
#include "support/FakePlatformHost.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>
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

// A picture made by the test: transparent, with painted rectangles.
struct TestPicture {
    int width;
    int height;
    std::vector<uint32_t> pixels;

    TestPicture(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), 0u) {}
    // Columns x0 .. x1 - 1 of rows y0 .. y1 - 1.
    TestPicture& Paint(int x0, int y0, int x1, int y1, uint32_t colour)
    {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
        return *this;
    }
};

// Serves the test's own pictures by their exact names; others are missing.
class PictureHost : public FakePlatformHost {
public:
    Lumo::MemoryImage* GetImage(const std::string& path) override
    {
        auto found = pictures.find(path);
        if (found == pictures.end())
            return nullptr;
        auto* image = new Lumo::MemoryImage();
        image->SetBits(found->second.pixels.data(), found->second.width, found->second.height, true);
        return image;
    }
    std::map<std::string, TestPicture> pictures;
};

} // namespace LumoTest
