// One frame of 200 objects (32 to 128 pixels; a quarter each plain, rotated,
// scaled and coloured; every fifth additive) on an 800 x 600 screen:
// DrawLiveObjects against the same draws made straight through
// Lumo::Graphics, worked out once beforehand. The pixel work is the same, so
// "ratio" = ours / graphics shows what the object walk and the Platform layer add.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "game/engine/AnimObject.h"
#include "game/engine/AttributeCode.h"
#include "game/engine/GameState.h"
#include "game/engine/ImageRecord.h"
#include "game/engine/LiveObjects.h"
#include "game/engine/Platform.h"
#include "game/engine/PlatformImage.h"
#include "support/FakePlatformHost.h"

#include "BenchSupport.h"
#include "EngineBenchTiming.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int kObjects = 200;

struct DirectDraw {
    Lumo::MemoryImage* image;
    Lumo::TRect<int> source;
    bool colorize;
    Lumo::Color color;
    int mode;
    bool plain;
    int x, y;
    Lumo::Matrix3 matrix;
    float fx, fy;
};

void BM_DrawLiveObjects(benchmark::State& state)
{
    Lumo::TriangleRasterizer::InitSpanFunctions();
    const std::vector<uint32_t> screenPixels = BenchSupport::Screen(800, 600);
    Lumo::MemoryImage screen;
    screen.SetBits(screenPixels.data(), 800, 600, true);
    screen.SetImageMode(false, false);
    Lumo::Graphics graphics(&screen);
    FakePlatformHost host;
    Platform platform(&host);
    platform.SetGraphics(&graphics);

    auto game = std::make_unique<GameState>();
    game->mPlatform = &platform;
    AnimObject* root = game->mLiveObjects.Append(new AnimObject);
    root->AddStage(1e9f, 0, 0, 1, nullptr);

    std::vector<std::unique_ptr<ImageRecord>> pictures;
    std::vector<DirectDraw> direct;
    for (int i = 0; i < kObjects; ++i) {
        const int size = 32 + (i * 37) % 97;
        const std::vector<uint32_t> sprite = BenchSupport::Sprite(size, size);
        auto record = std::make_unique<ImageRecord>();
        auto* image = new Lumo::MemoryImage();
        image->SetBits(sprite.data(), size, size, true);
        record->mImage = std::make_unique<PlatformImage>();
        record->mImage->SetImage(image);
        record->mWidth = record->mFrameWidth = static_cast<float>(size);
        record->mHeight = record->mFrameHeight = static_cast<float>(size);

        AnimObject* object = root->AppendChild(nullptr);
        object->AddStage(1e9f, 0, 0, 1, nullptr);
        object->SetImageRecord(record.get());
        object->mSource[2] = static_cast<float>(size);
        object->mSource[3] = static_cast<float>(size);
        const float x = static_cast<float>(40 + (i * 131) % 720);
        const float y = static_cast<float>(40 + (i * 71) % 520);
        object->mLocal[kAttrX] = x;
        object->mLocal[kAttrY] = y;
        const int kind = i % 4;
        float rotation = 0.0f, sx = 1.0f, sy = 1.0f, r = 1.0f, g = 1.0f, b = 1.0f;
        if (kind == 1)
            rotation = static_cast<float>(15 + (i * 29) % 300);
        else if (kind == 2) {
            sx = 1.5f;
            sy = 0.75f;
        } else if (kind == 3) {
            r = 1.0f;
            g = 0.5f;
            b = 0.25f;
        }
        object->mLocal[kAttrRotation] = rotation;
        object->mLocal[kAttrXScale] = sx;
        object->mLocal[kAttrYScale] = sy;
        object->mLocal[kAttrR] = r;
        object->mLocal[kAttrG] = g;
        object->mLocal[kAttrB] = b;
        object->mBlitStyle = i % 5 == 0 ? 1 : 0;

        // The same draw as the object makes, straight to the drawing context:
        // its corner one pixel left of centre - size / 2, then the platform's +1.
        DirectDraw d{};
        d.image = image;
        d.source = Lumo::TRect<int>(0, 0, size, size);
        d.color = Lumo::Color(static_cast<int>(r * 255.0f), static_cast<int>(g * 255.0f), static_cast<int>(b * 255.0f), 255);
        d.colorize = !(d.color == Lumo::Color::White);
        d.mode = object->mBlitStyle;
        const float half = static_cast<float>(size) / 2.0f;
        d.fx = x - half - 1.0f + 1.0f;
        d.fy = y - half + 1.0f;
        d.plain = rotation == 0.0f && sx == 1.0f && sy == 1.0f;
        d.x = static_cast<int>(d.fx);
        d.y = static_cast<int>(d.fy);
        d.matrix.Scale(sx, sy);
        d.matrix.RotateDegrees(rotation);
        d.matrix.Translate(half, half);
        direct.push_back(d);
        pictures.push_back(std::move(record));
    }
    UpdateLiveObjects(*game);

    EngineBench::CpuSideBySide(
        state, "graphics_ms", [&] { DrawLiveObjects(*game); },
        [&] {
            for (const DirectDraw& d : direct) {
                graphics.SetDrawMode(d.mode);
                graphics.SetColorizeImages(d.colorize);
                if (d.colorize)
                    graphics.SetColor(d.color);
                if (d.plain)
                    graphics.DrawImageMirror(d.image, d.x, d.y, d.source, false);
                else
                    graphics.DrawImageMatrix(d.image, d.matrix, d.source, d.fx, d.fy);
                if (d.mode != 0)
                    graphics.SetDrawMode(0);
            }
        });
    // The objects go before their pictures.
    game.reset();
}
BENCHMARK(BM_DrawLiveObjects)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace
