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
    // black, AND 0 XOR 1 white. Null when it cannot be made.
    static Cursor* Create(int hotX, int hotY, const uint8_t* andMask, const uint8_t* xorMask);
    // The desktop's cursor of the shape, made on first use and kept by the
    // layer; null when the desktop has none (a headless run).
    static Cursor* GetSystem(Shape shape);
    // Shows the cursor over our windows; null hides the cursor.
    static void Show(Cursor* cursor);

    ~Cursor();
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

private:
    explicit Cursor(void* handle) : mHandle(handle) {}

    void* mHandle; // the SDL cursor
};

} // namespace Plat
