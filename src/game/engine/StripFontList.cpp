#include "game/engine/StripFontList.h"

StripFont* StripFontList::Find(const char* name) const
{
    if (name == nullptr)
        return nullptr;
    for (const auto& font : mFonts) {
        if (font->GetName() == name)
            return font.get();
    }
    return nullptr;
}

StripFont* StripFontList::Get(const char* name, const char* characters, int rowStep)
{
    if (StripFont* found = Find(name))
        return found;
    if (name == nullptr || characters == nullptr || rowStep == 0)
        return nullptr;
    auto font = std::make_unique<StripFont>(mCache);
    if (!font->Load(name, characters, rowStep)) {
        mKerningTarget = nullptr;
        return nullptr;
    }
    mFonts.push_back(std::move(font));
    mKerningTarget = mFonts.back().get();
    return mKerningTarget;
}

void StripFontList::SetKerning(unsigned char character, float dx0, float dx1)
{
    if (mKerningTarget != nullptr)
        mKerningTarget->Kern(character, dx0, dx1);
}

void StripFontList::Clear()
{
    mKerningTarget = nullptr;
    mFonts.clear();
}
