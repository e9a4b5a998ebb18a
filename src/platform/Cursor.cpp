#include "platform/Cursor.h"

#include <SDL.h>

#include <memory>

namespace Plat {

namespace {

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
    if (andMask == nullptr || xorMask == nullptr || SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return nullptr;
    // SDL's masks: data 1 mask 1 black, data 0 mask 1 white, mask 0 clear;
    // the desktop's: AND 0 XOR 0 black, AND 0 XOR 1 white, AND 1 clear.
    uint8_t data[128];
    uint8_t mask[128];
    for (int i = 0; i < 128; ++i) {
        mask[i] = static_cast<uint8_t>(~andMask[i]);
        data[i] = static_cast<uint8_t>(~andMask[i] & ~xorMask[i]);
    }
    SDL_Cursor* cursor = SDL_CreateCursor(data, mask, 32, 32, hotX, hotY);
    return cursor != nullptr ? new Cursor(cursor) : nullptr;
}

Cursor* Cursor::GetSystem(Shape shape)
{
    static std::unique_ptr<Cursor> cursors[static_cast<int>(Shape::Count)];
    const int index = static_cast<int>(shape);
    if (index < 0 || index >= static_cast<int>(Shape::Count) || SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return nullptr;
    if (!cursors[index]) {
        SDL_Cursor* cursor = SDL_CreateSystemCursor(SdlShape(shape));
        if (cursor == nullptr)
            return nullptr;
        cursors[index].reset(new Cursor(cursor));
    }
    return cursors[index].get();
}

void Cursor::Show(Cursor* cursor)
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return;
    if (cursor == nullptr) {
        SDL_ShowCursor(SDL_DISABLE);
        return;
    }
    SDL_SetCursor(static_cast<SDL_Cursor*>(cursor->mHandle));
    SDL_ShowCursor(SDL_ENABLE);
}

Cursor::~Cursor()
{
    if (mHandle != nullptr && SDL_WasInit(SDL_INIT_VIDEO) != 0)
        SDL_FreeCursor(static_cast<SDL_Cursor*>(mHandle));
}

} // namespace Plat
