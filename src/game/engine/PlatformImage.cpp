#include "game/engine/PlatformImage.h"

#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformHost.h"

PlatformImage::PlatformImage() = default;

PlatformImage::~PlatformImage() = default;

bool PlatformImage::CreateBlank(int width, int height)
{
    Free();
    if (width < 1 || height < 1 || size_t(width) * size_t(height) > ImageLib::kMaxImagePixels) {
        return false;
    }
    auto image = std::make_unique<Lumo::MemoryImage>();
    image->Create(width, height);
    image->CommitBits();
    mImage = std::move(image);
    return true;
}

bool PlatformImage::Load(Platform& platform, const std::string& path)
{
    Free();
    PlatformHost* host = platform.GetHost();
    Lumo::MemoryImage* image = host != nullptr ? host->GetImage(path) : nullptr;
    if (image == nullptr) {
        platform.ReportImageLoadFailure(path);
        return false;
    }
    mImage.reset(image);
    return true;
}

void PlatformImage::Free()
{
    mImage.reset();
}

void PlatformImage::SetImage(Lumo::MemoryImage* image)
{
    mImage.reset(image);
}

float PlatformImage::GetWidth() const
{
    return mImage != nullptr ? static_cast<float>(mImage->GetWidth()) : 0.0f;
}

float PlatformImage::GetHeight() const
{
    return mImage != nullptr ? static_cast<float>(mImage->GetHeight()) : 0.0f;
}

uint32_t* PlatformImage::GetBits(int& pitch)
{
    if (mImage == nullptr) {
        pitch = 0;
        return nullptr;
    }
    pitch = mImage->GetWidth() * 4;
    return mImage->GetBits();
}

void PlatformImage::BitsChanged()
{
    if (mImage != nullptr) {
        mImage->CommitBits();
        mImage->BitsChanged();
    }
}
