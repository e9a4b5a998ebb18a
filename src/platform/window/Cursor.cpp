#include "platform/window/Cursor.h"

#include <SDL.h>

#include <cstring>
#include <memory>

namespace Plat {

namespace {

// The cursor Show was given last (null: hidden).
Cursor* gShown = nullptr;

SDL_SystemCursor SdlShape(Cursor::Shape shape)
{
    switch (shape) {
    case Cursor::Shape::Hand:
        return SDL_SYSTEM_CURSOR_HAND;
    case Cursor::Shape::IBeam:
        return SDL_SYSTEM_CURSOR_IBEAM;
    case Cursor::Shape::No:
        return SDL_SYSTEM_CURSOR_NO;
    case Cursor::Shape::SizeAll:
        return SDL_SYSTEM_CURSOR_SIZEALL;
    case Cursor::Shape::SizeNeSw:
        return SDL_SYSTEM_CURSOR_SIZENESW;
    case Cursor::Shape::SizeNs:
        return SDL_SYSTEM_CURSOR_SIZENS;
    case Cursor::Shape::SizeNwSe:
        return SDL_SYSTEM_CURSOR_SIZENWSE;
    case Cursor::Shape::SizeWe:
        return SDL_SYSTEM_CURSOR_SIZEWE;
    case Cursor::Shape::Wait:
        return SDL_SYSTEM_CURSOR_WAIT;
    default:
        return SDL_SYSTEM_CURSOR_ARROW;
    }
}

} // namespace

Cursor* Cursor::Create(int hotX, int hotY, const uint8_t* andMask, const uint8_t* xorMask)
{
    if (andMask == nullptr || xorMask == nullptr)
        return nullptr;
    Cursor* cursor = new Cursor(false, Shape::Arrow);
    cursor->mHotX = hotX;
    cursor->mHotY = hotY;
    std::memcpy(cursor->mAndMask, andMask, sizeof(cursor->mAndMask));
    std::memcpy(cursor->mXorMask, xorMask, sizeof(cursor->mXorMask));
    return cursor;
}

Cursor* Cursor::GetSystem(Shape shape)
{
    static std::unique_ptr<Cursor> cursors[static_cast<int>(Shape::Count)];
    const int index = static_cast<int>(shape);
    if (index < 0 || index >= static_cast<int>(Shape::Count))
        return nullptr;
    if (!cursors[index])
        cursors[index].reset(new Cursor(true, shape));
    return cursors[index].get();
}

void* Cursor::Handle()
{
    if (mHandle != nullptr)
        return mHandle;
    if (mSystem) {
        mHandle = SDL_CreateSystemCursor(SdlShape(mShape));
        return mHandle;
    }
    // SDL's masks: data 1 mask 1 black, data 0 mask 1 white, mask 0 clear;
    // the desktop's: AND 0 XOR 0 black, AND 0 XOR 1 white, AND 1 clear.
    uint8_t data[128];
    uint8_t mask[128];
    for (int i = 0; i < 128; ++i) {
        mask[i] = static_cast<uint8_t>(~mAndMask[i]);
        data[i] = static_cast<uint8_t>(~mAndMask[i] & ~mXorMask[i]);
    }
    mHandle = SDL_CreateCursor(data, mask, 32, 32, mHotX, mHotY);
    return mHandle;
}

void Cursor::Show(Cursor* cursor)
{
    gShown = cursor;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return;
    if (cursor == nullptr) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    void* handle = cursor->Handle();
    if (handle != nullptr) {
        SDL_SetCursor(static_cast<SDL_Cursor*>(handle));
        if (SDL_GetCursor() != handle) {
            // Made before the video side last restarted (SDL refused it as
            // unknown): make it again.
            cursor->mHandle = nullptr;
            handle = cursor->Handle();
            if (handle != nullptr)
                SDL_SetCursor(static_cast<SDL_Cursor*>(handle));
        }
    } else {
        // The desktop cannot make it: its default cursor.
        SDL_SetCursor(SDL_GetDefaultCursor());
    }
    SDL_ShowCursor(SDL_ENABLE);
}

Cursor* Cursor::Shown()
{
    return gShown;
}

Cursor::~Cursor()
{
    if (gShown == this)
        gShown = nullptr;
    // SDL frees its cursors when the video side stops, and ignores one it
    // no longer knows.
    if (mHandle != nullptr && SDL_WasInit(SDL_INIT_VIDEO) != 0)
        SDL_FreeCursor(static_cast<SDL_Cursor*>(mHandle));
}

} // namespace Plat
