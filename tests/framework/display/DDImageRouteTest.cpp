// Which way each drawing slot of a surface image goes, seen from outside:
// the surface loops and the memory image's bodies round differently by
// design, so the pixel a slot leaves tells the route. Targets: a plain
// picture, a keyed one, one with alpha, the adopted screen, the screen
// while it may not be locked, and a cursor-area image, with 3-D off and on.
#include "framework/display/DDImage.h"
#include "framework/display/DDInterface.h"
#include "framework/display/DisplayPixel.h"
#include "framework/graphics/Color.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/video/DisplayHost.h"
#include "platform/video/DisplaySurface.h"
#include "support/TestApp.h"
#include "support/TestDisplayHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

using Lumo::Color;
using Lumo::DDImage;
using Lumo::MemoryImage;
using Lumo::TRect;

namespace {

enum Target { kPlain, kKeyed, kAlpha, kScreen, kNoLock, kCursorArea };
enum Route { S, M, None }; // surface loops, memory body, nothing drawn

const char* Name(Target t)
{
    static const char* const names[] = {"plain", "keyed", "alpha", "screen", "no-lock", "cursor area"};
    return names[t];
}

class DDImageRouteTest : public ::testing::Test {
protected:
    void Start(int bits)
    {
        host.desktopBits = bits;
        host.clientWidth = 64;
        host.clientHeight = 48;
        app.width = 64;
        app.height = 48;
        ASSERT_EQ(app.AddDisplay()->Init(DisplayTestWindow(), true), 0);
    }

    // The target, black and opaque in the 16 x 16 pixels the slots draw in.
    DDImage* Make(Target t)
    {
        Lumo::DDInterface* d = app.ddInterface;
        if (t == kScreen || t == kNoLock || t == kCursorArea) {
            DDImage* image = t == kCursorArea ? d->mOldCursorAreaImage : d->GetScreenImage();
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    image->mSurface->WritePixel(x, y, 0);
                }
            }
            image->mNoLock = t == kNoLock;
            return image;
        }
        std::vector<uint32_t> pixels(16 * 16, 0xFF000000);
        if (t == kKeyed) {
            pixels[255] = 0;
        } else if (t == kAlpha) {
            pixels[255] = 0x80000000;
        }
        owned = std::make_unique<DDImage>(d);
        owned->SetBits(pixels.data(), 16, 16);
        return owned.get();
    }

    // The colour of a pixel wherever the target keeps it.
    uint32_t Pixel(DDImage* image, int x, int y)
    {
        if (image->mBits == nullptr && image->mSurface != nullptr) {
            const Plat::DisplayPixelFormat& f = image->mSurface->PixelFormat();
            return Lumo::DisplayToArgb(image->mSurface->ReadPixel(x, y),
                                       Lumo::MakeDisplayChannels(f.redMask, f.greenMask, f.blueMask)) &
                   0xFFFFFF;
        }
        const uint32_t* bits = image->GetBits();
        return bits != nullptr ? bits[y * image->GetWidth() + x] & 0xFFFFFF : 0xDEAD;
    }

    TestDisplayHost host;
    TestApp app;
    std::unique_ptr<DDImage> owned;
};

struct Slot {
    const char* name;
    uint32_t surfaceValue; // what the surface loops leave at the probe
    uint32_t memoryValue;  // what the memory body leaves there
};

// Probed at (2, 2) on 32 bits: an opaque white fill (0xFE per channel on
// the surface), a blit of 0x80FF0000 (the surface adds the premultiplied
// word, 0x80; the memory body rounds down, 0x7F), a 4 x 4 white blit at a
// whole position (weight 253 on the surface), the quick stretch of white
// (0xFF on the surface), and the mirrored blit (the memory image has none).
const Slot kSlots[] = {{"FillRect", 0xFEFEFE, 0xFFFFFF}, {"Blt", 0x800000, 0x7F0000}, {"BltF", 0xFCFCFC, 0xFDFDFD},
                       {"StretchBlt fast", 0xFFFFFF, 0xFEFEFE}, {"BltMirror", 0xFFFFFF, 0}};

void Draw(DDImage* image, int slot, MemoryImage& white, MemoryImage& red)
{
    const TRect<int> clip(0, 0, 16, 16);
    switch (slot) {
    case 0:
        image->FillRect(TRect<int>(1, 1, 2, 2), Color(255, 255, 255), 0);
        break;
    case 1:
        image->Blt(&red, 2, 2, TRect<int>(0, 0, 1, 1), Color::White, 0);
        break;
    case 2:
        image->BltF(&white, 1.0f, 1.0f, TRect<int>(0, 0, 4, 4), clip, Color::White, 0);
        break;
    case 3:
        image->StretchBlt(&white, TRect<int>(1, 1, 2, 2), TRect<int>(0, 0, 1, 1), clip, Color::White, 0, true);
        break;
    default:
        image->BltMirror(&white, 1, 1, TRect<int>(0, 0, 2, 2), Color::White, 0);
        break;
    }
}

TEST_F(DDImageRouteTest, EachTargetAndSlotTakesItsRoute)
{
    Start(32);
    MemoryImage white(&app);
    const std::vector<uint32_t> whitePixels(16, 0xFFFFFFFF);
    white.SetBits(whitePixels.data(), 4, 4);
    MemoryImage red(&app);
    const uint32_t redPixel = 0x80FF0000;
    red.SetBits(&redPixel, 1, 1);

    struct Row {
        Target target;
        bool threeD;
        Route routes[5]; // FillRect, Blt, BltF, StretchBlt fast, BltMirror
    };
    const Row rows[] = {
        {kPlain, false, {S, S, S, S, S}},
        {kKeyed, false, {M, M, M, S, S}},
        {kAlpha, false, {M, M, M, M, None}},
        {kScreen, false, {S, S, S, S, S}},
        {kNoLock, false, {None, None, None, None, None}},
        {kCursorArea, false, {S, S, S, S, S}},
        // 3-D on, on images that are not the draw surface.
        {kPlain, true, {M, M, M, S, S}},
        {kCursorArea, true, {M, S, M, S, S}},
    };
    for (const Row& row : rows) {
        for (int slot = 0; slot < 5; ++slot) {
            SCOPED_TRACE(std::string(Name(row.target)) + (row.threeD ? ", 3-D, " : ", ") + kSlots[slot].name);
            DDImage* image = Make(row.target);
            app.ddInterface->mIs3D = row.threeD;
            Draw(image, slot, white, red);
            app.ddInterface->mIs3D = false;
            const Route route = row.routes[slot];
            const uint32_t expected =
                route == S ? kSlots[slot].surfaceValue : (route == M ? kSlots[slot].memoryValue : 0U);
            EXPECT_EQ(Pixel(image, 2, 2), expected);
            EXPECT_EQ(Pixel(image, 5, 5), 0U);
            if (route == S && row.target != kAlpha) {
                EXPECT_EQ(image->mBits, nullptr) << "the surface is the one copy";
            }
            image->mNoLock = false;
        }
    }
}

TEST_F(DDImageRouteTest, LinesOnSixteenBits)
{
    // 5:6:5 opaque white line: 0xF7DE on the surface (reads back as
    // 0xF0F8F0), (255 x 255 + 127) >> 8 = 0xFE per channel from the memory body.
    Start(16);
    for (Target t : {kPlain, kKeyed, kScreen}) {
        SCOPED_TRACE(Name(t));
        DDImage* image = Make(t);
        image->DrawLine(1.0, 1.0, 9.0, 4.0, Color(255, 255, 255), 0);
        EXPECT_EQ(Pixel(image, 1, 1), t == kKeyed ? 0xFEFEFEU : 0xF0F8F0U);
    }
}

TEST_F(DDImageRouteTest, TheScreenIsDrawnWithoutReadingItBack)
{
    Start(32);
    DDImage* screen = Make(kScreen);
    MemoryImage sprite(&app);
    std::vector<uint32_t> pixels(8 * 8, 0xFF00FF00);
    pixels[3] = 0x40FF0000;
    sprite.SetBits(pixels.data(), 8, 8);
    const int locksBefore = host.CallCount(Plat::DisplayCall::Lock);
    screen->FillRect(TRect<int>(0, 0, 20, 20), Color(10, 20, 30, 128), 0);
    screen->Blt(&sprite, 3, 3, TRect<int>(0, 0, 8, 8), Color::White, 0);
    screen->DrawLine(0.5, 0.5, 30.5, 12.5, Color(255, 0, 0), 0);
    screen->BltMirror(&sprite, 20, 3, TRect<int>(0, 0, 8, 8), Color(90, 90, 255), 1);
    // One lock per primitive, and never a copy of the whole screen.
    EXPECT_EQ(host.CallCount(Plat::DisplayCall::Lock) - locksBefore, 4);
    EXPECT_EQ(screen->mBits, nullptr);
    // A mirrored picture shows on the screen.
    EXPECT_NE(screen->mSurface->ReadPixel(27, 4) & 0xFFFFFF, 0U);
}

} // namespace
