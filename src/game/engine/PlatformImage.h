// The game's wrapper of one framework image: blank pictures to render into
// and pictures loaded by path through the application.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace Lumo {
class MemoryImage;
}

class Platform;

class PlatformImage {
public:
    PlatformImage();
    ~PlatformImage();
    PlatformImage(const PlatformImage&) = delete;
    PlatformImage& operator=(const PlatformImage&) = delete;

    // A new transparent picture of that size; false (and empty) for a size
    // of no pixels or beyond what an image may hold.
    bool CreateBlank(int width, int height);
    // Loads the picture through the platform's host; on failure the image
    // box reports the path and the wrapper stays empty.
    bool Load(Platform& platform, const std::string& path);
    void Free();

    float GetWidth() const;
    float GetHeight() const;
    // The 32-bit pixels and the row pitch in bytes; null (pitch 0) when empty.
    uint32_t* GetBits(int& pitch);
    // After the pixels were written through GetBits.
    void BitsChanged();

    Lumo::MemoryImage* GetImage() const { return mImage.get(); }
    // Takes ownership of an image (null empties the wrapper).
    void SetImage(Lumo::MemoryImage* image);

private:
    std::unique_ptr<Lumo::MemoryImage> mImage;
};
