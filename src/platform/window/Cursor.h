// Mouse cursors over the program's windows: the desktop's own shapes and
// cursors made from 32 x 32 monochrome masks. Main thread only.
#pragma once

#include <cstdint>

namespace Plat {

class Cursor {
public:
    // The desktop's cursors the program shows.
    enum class Shape { Arrow, Hand, IBeam, No, SizeAll, SizeNeSw, SizeNs, SizeNwSe, SizeWe, Wait, Count };

    // A cursor from an AND and an XOR mask of 32 rows of 4 bytes (top row
    // first, high bit leftmost): AND 1 XOR 0 is see-through, AND 0 XOR 0
    // black, AND 0 XOR 1 white. The desktop's cursor is made when it is
    // first shown; where the desktop has no cursors of its own making (a
    // headless run) showing it shows the default cursor. Null without
    // masks. The caller owns it.
    static Cursor* Create(int hotX, int hotY, const uint8_t* andMask, const uint8_t* xorMask);
    // The desktop's cursor of the shape, kept by the layer: always the same
    // object for a shape. Where the desktop lacks the shape (a headless
    // run) showing it shows the default cursor. Null only for a bad shape.
    static Cursor* GetSystem(Shape shape);
    // Shows the cursor over our windows; null hides the cursor.
    static void Show(Cursor* cursor);
    // The cursor shown last; null while the cursor is hidden.
    static Cursor* Shown();

    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    bool IsSystem() const { return mSystem; }

private:
    Cursor(bool system, Shape shape) : mSystem(system), mShape(shape) {}

    // The SDL cursor, made while video runs; null when SDL cannot make it.
    void* Handle();

    void* mHandle = nullptr; // the SDL cursor
    bool mSystem;
    Shape mShape;
    int mHotX = 0;
    int mHotY = 0;
    uint8_t mAndMask[128] = {};
    uint8_t mXorMask[128] = {};
};

} // namespace Plat
