// The Platform layer's drawing, on an 800 x 600 memory image: the one-pixel
// offset of plain draws, colours clamped as floats, additive mode, scaled,
// mirrored and rotated draws about the picture's centre, clipping cut to the
// screen, render targets, and the host's flags and close request.
#include "game/engine/Platform.h"

#include "framework/graphics/Graphics.h"
#include "framework/graphics/Matrix3.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/rasterizer/TriangleRasterizer.h"
#include "game/engine/PlatformImage.h"
#include "support/FakePlatformHost.h"
#include "support/FakePlatformRecorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;
constexpr uint32_t kWhite = 0xFFFFFFFFu;

// Red as a blend over a transparent target leaves it (254 or 255).
bool IsRed(uint32_t p)
{
    return ((p >> 16) & 0xFF) >= 254 && (p & 0xFFFF) == 0;
}

uint64_t Checksum(Lumo::MemoryImage& image)
{
    const uint32_t* bits = image.GetBits();
    uint64_t hash = 1469598103934665603ull;
    for (size_t i = 0; i < image.PixelCount(); ++i) {
        hash = (hash ^ bits[i]) * 1099511628211ull;
    }
    return hash;
}

class PlatformTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Lumo::TriangleRasterizer::InitSpanFunctions();
        screen.Create(800, 600);
        // Opaque, as the display's screen image is.
        screen.SetImageMode(false, false);
        Fill(screen, kBlack);
        graphics = std::make_unique<Lumo::Graphics>(&screen);
        platform.SetGraphics(graphics.get());
    }

    static void Fill(Lumo::MemoryImage& image, uint32_t color)
    {
        uint32_t* bits = image.GetBits();
        for (size_t i = 0; i < image.PixelCount(); ++i) {
            bits[i] = color;
        }
        image.BitsChanged();
    }

    // A picture whose pixels the test gives row by row.
    static void MakePicture(PlatformImage& picture, int width, int height, const std::vector<uint32_t>& pixels)
    {
        auto* image = new Lumo::MemoryImage();
        image->SetBits(pixels.data(), width, height, true);
        picture.SetImage(image);
    }

    uint32_t Pixel(int x, int y) { return screen.GetBits()[y * 800 + x]; }

    // The bounding box of the pixels that are not black.
    struct Box {
        int left = 800, top = 600, right = -1, bottom = -1;
    };
    Box DrawnBox()
    {
        Box box;
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                if (Pixel(x, y) != kBlack) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x);
                    box.bottom = std::max(box.bottom, y);
                }
            }
        }
        return box;
    }

    void Draw(PlatformImage& picture, float x, float y, float rotation = 0.0f, float sx = 1.0f, float sy = 1.0f,
              float r = 1.0f, float g = 1.0f, float b = 1.0f, float a = 1.0f, bool mirrorX = false, bool mirrorY = false)
    {
        platform.DrawImage(picture, 0.0f, 0.0f, picture.GetWidth(), picture.GetHeight(), x, y, rotation, sx, sy, r, g,
                           b, a, mirrorX, mirrorY);
    }

    Lumo::MemoryImage screen;
    std::unique_ptr<Lumo::Graphics> graphics;
    FakePlatformHost host;
    Platform platform{&host};
};

TEST_F(PlatformTest, PlainDrawLandsOnePixelRightAndBelowWithoutColour)
{
    PlatformImage picture;
    MakePicture(picture, 4, 4, std::vector<uint32_t>(16, kRed));
    Draw(picture, 10.0f, 20.0f);
    const Box box = DrawnBox();
    EXPECT_EQ(box.left, 11);
    EXPECT_EQ(box.top, 21);
    EXPECT_EQ(box.right, 14);
    EXPECT_EQ(box.bottom, 24);
    EXPECT_EQ(Pixel(11, 21), kRed);
    EXPECT_FALSE(graphics->mColorizeImages);
}

TEST_F(PlatformTest, ColoursAreClampedAsFloatsAndNaNIsZero)
{
    PlatformImage picture;
    MakePicture(picture, 2, 2, std::vector<uint32_t>(4, kWhite));
    struct Case {
        float r, g, b, a;
        bool red, green, blue; // the channel is (nearly) full, else 0
    };
    // 2.0 and 1e30 clamp to 255; -1 and NaN give 0 (as ints they would wrap or be undefined).
    const Case cases[] = {
        {1.0f, 0.0f, 1.0f, 1.0f, true, false, true},
        {std::nanf(""), 2.0f, -1.0f, 1.0f, false, true, false},
        {0.0f, -5.0f, 1e30f, 1.0f, false, false, true},
    };
    int x = 100;
    for (const Case& c : cases) {
        Draw(picture, static_cast<float>(x), 100.0f, 0.0f, 1.0f, 1.0f, c.r, c.g, c.b, c.a);
        const uint32_t p = Pixel(x + 1, 101);
        const uint32_t channels[3] = {(p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF};
        const bool full[3] = {c.red, c.green, c.blue};
        for (int i = 0; i < 3; ++i) {
            if (full[i]) {
                EXPECT_GE(channels[i], 250u) << x << " channel " << i;
            } else {
                EXPECT_EQ(channels[i], 0u) << x << " channel " << i;
            }
        }
        EXPECT_TRUE(graphics->mColorizeImages);
        x += 10;
    }
    // A NaN alpha is alpha 0: nothing shows.
    Draw(picture, 300.0f, 100.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, std::nanf(""));
    EXPECT_EQ(Pixel(301, 101), kBlack);
}

TEST_F(PlatformTest, AdditiveModeAddsAndOtherModesAreIgnored)
{
    Fill(screen, 0xFF323232u);
    PlatformImage picture;
    MakePicture(picture, 2, 2, std::vector<uint32_t>(4, 0xFF640000u));
    platform.SetDrawMode(1);
    platform.SetDrawMode(7);
    EXPECT_EQ(graphics->GetDrawMode(), 1);
    Draw(picture, 0.0f, 0.0f);
    EXPECT_EQ(Pixel(1, 1), 0xFF963232u);
    platform.SetDrawMode(0);
    Draw(picture, 10.0f, 0.0f);
    EXPECT_EQ(Pixel(11, 1), 0xFF640000u);
}

TEST_F(PlatformTest, ScaledDrawsGrowAboutTheCentre)
{
    PlatformImage picture;
    MakePicture(picture, 4, 4, std::vector<uint32_t>(16, kRed));
    // Centre at (x + 1 + 2, y + 1 + 2) = (103, 103); 8 pixels wide: 99 .. 106.
    Draw(picture, 100.0f, 100.0f, 0.0f, 2.0f, 2.0f);
    const Box box = DrawnBox();
    EXPECT_EQ(box.left, 99);
    EXPECT_EQ(box.top, 99);
    EXPECT_EQ(box.right, 106);
    EXPECT_EQ(box.bottom, 106);
    EXPECT_EQ(Pixel(102, 102), kRed);
}

TEST_F(PlatformTest, MirroredDrawsTurnThePictureOver)
{
    PlatformImage picture;
    // Left column red, the rest blue; top row marked green in the last column.
    MakePicture(picture, 4, 2, {kRed, kBlue, kBlue, kGreen, kRed, kBlue, kBlue, kBlue});
    Draw(picture, 10.0f, 10.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, true, false);
    EXPECT_EQ(Pixel(11, 11), kGreen);
    EXPECT_EQ(Pixel(14, 11), kRed);
    EXPECT_EQ(Pixel(14, 12), kRed);
    EXPECT_EQ(Pixel(12, 12), kBlue);

    Draw(picture, 30.0f, 10.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, false, true);
    EXPECT_EQ(Pixel(31, 11), kRed);
    EXPECT_EQ(Pixel(34, 12), kGreen);
    EXPECT_EQ(Pixel(34, 11), kBlue);
}

TEST_F(PlatformTest, RotationTurnsAboutTheCentre)
{
    PlatformImage picture;
    // 6 x 2: rotated by 90 degrees it stands 2 wide and 6 high about the centre (53, 51).
    MakePicture(picture, 6, 2, std::vector<uint32_t>(12, kRed));
    Draw(picture, 49.0f, 49.0f, 90.0f);
    const Box box = DrawnBox();
    EXPECT_EQ(box.left, 52);
    EXPECT_EQ(box.right, 53);
    EXPECT_EQ(box.top, 48);
    EXPECT_EQ(box.bottom, 53);
}

TEST_F(PlatformTest, ThreeDimensionalModeDropsTheOffset)
{
    host.accelerated3D = true;
    PlatformImage picture;
    MakePicture(picture, 4, 4, std::vector<uint32_t>(16, kRed));
    Draw(picture, 10.0f, 10.0f);
    const Box box = DrawnBox();
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.right, 13);
}

TEST_F(PlatformTest, TransformedDrawEqualsTheSameDrawThroughTheContext)
{
    PlatformImage picture;
    std::vector<uint32_t> pixels(32 * 16);
    for (size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = 0x80000000u | static_cast<uint32_t>(i * 2654435761u & 0xFFFFFF);
    }
    MakePicture(picture, 32, 16, pixels);
    platform.SetDrawMode(1);
    platform.DrawImage(picture, 4.0f, 2.0f, 28.0f, 14.0f, 300.5f, 200.25f, 33.0f, 2.0f, 0.5f, 0.5f, 1.0f, 0.25f,
                       0.75f, false, true);
    const uint64_t drawn = Checksum(screen);

    Fill(screen, kBlack);
    Lumo::Graphics direct(&screen);
    direct.SetDrawMode(1);
    direct.SetColorizeImages(true);
    direct.SetColor(Lumo::Color(127, 255, 63, 191));
    Lumo::Matrix3 matrix;
    matrix.Scale(2.0f, -0.5f);
    matrix.RotateDegrees(33.0f);
    matrix.Translate(12.0f, 6.0f);
    direct.DrawImageMatrix(picture.GetImage(), matrix, Lumo::TRect<int>(4, 2, 24, 12), 301.5f, 201.25f);
    EXPECT_EQ(drawn, Checksum(screen));
    EXPECT_NE(drawn, 0u);
}

TEST_F(PlatformTest, ValuesThatAreNotNumbersDrawNothing)
{
    PlatformImage picture;
    MakePicture(picture, 4, 4, std::vector<uint32_t>(16, kRed));
    const uint64_t before = Checksum(screen);
    const float nan = std::nanf("");
    Draw(picture, nan, 10.0f);
    Draw(picture, 10.0f, 10.0f, nan);
    Draw(picture, 10.0f, 10.0f, 0.0f, INFINITY, 1.0f);
    platform.DrawImage(picture, nan, 0.0f, 1e30f, 4.0f, 10.0f, 10.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, false,
                       false);
    EXPECT_EQ(Checksum(screen), before);
    PlatformImage empty;
    Draw(empty, 10.0f, 10.0f);
    EXPECT_EQ(Checksum(screen), before);
}

TEST_F(PlatformTest, RectanglesLinesAndClearScreen)
{
    platform.DrawRect(10, 10, 20, 15, 99, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 1.0f);
    EXPECT_EQ(Pixel(15, 12), kRed);
    EXPECT_EQ(Pixel(10, 10), kGreen);
    EXPECT_EQ(Pixel(20, 15), kGreen);
    EXPECT_EQ(Pixel(21, 15), kBlack);
    platform.DrawLine(100, 50, 110, 50, 0.0f, 0.0f, 1.0f, 1.0f);
    EXPECT_EQ(Pixel(105, 50), kBlue);

    Fill(screen, kWhite);
    platform.ClearScreen();
    EXPECT_EQ(Pixel(0, 0), kBlack);
    EXPECT_EQ(Pixel(799, 599), kBlack);
    EXPECT_EQ(Pixel(400, 300), kBlack);
}

TEST_F(PlatformTest, ClipRectIsCutToTheScreenAndResets)
{
    // From x -5 to 100: what lies on screen is 0 .. 99 (keeping the width
    // of 105 from x 0 would reach 104).
    platform.SetClipRect(-5, 0, 100, 100);
    platform.DrawRect(0, 0, 300, 300, 0, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(Pixel(99, 50), kWhite);
    EXPECT_EQ(Pixel(100, 50), kBlack);
    EXPECT_EQ(Pixel(50, 99), kWhite);
    EXPECT_EQ(Pixel(50, 100), kBlack);

    platform.SetClipRect(0, 0, 800, 600);
    platform.DrawRect(0, 0, 300, 300, 0, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(Pixel(200, 200), kWhite);

    Fill(screen, kBlack);
    platform.SetClipRect(-5, -5, 900, 700);
    platform.ClearScreen();
    platform.DrawRect(-10, -10, 1000, 1000, 0, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(Pixel(0, 0), kWhite);
    EXPECT_EQ(Pixel(799, 599), kWhite);

    // Nothing of it on screen: nothing is drawn.
    Fill(screen, kBlack);
    platform.SetClipRect(-100, 0, -20, 100);
    platform.DrawRect(0, 0, 300, 300, 0, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(DrawnBox().right, -1);
}

TEST_F(PlatformTest, RenderTargetTakesTheDrawsWithItsOwnContext)
{
    PlatformImage target;
    ASSERT_TRUE(target.CreateBlank(64, 32));
    PlatformImage picture;
    MakePicture(picture, 4, 4, std::vector<uint32_t>(16, kRed));
    platform.SetDrawMode(1);
    platform.SetClipRect(0, 0, 1, 1);
    platform.SetRenderTarget(&target);
    Draw(picture, 5.0f, 6.0f);
    platform.ClearRenderTarget();
    int pitch = 0;
    const uint32_t* bits = target.GetBits(pitch);
    EXPECT_EQ(pitch, 256);
    EXPECT_TRUE(IsRed(bits[7 * 64 + 6]));
    EXPECT_EQ(bits[6 * 64 + 5], 0u);
    EXPECT_EQ(DrawnBox().right, -1);
}

TEST_F(PlatformTest, WideDrawsIntoATargetStayInsideThePicture)
{
    // Sources wider than 700 take one more column into a target; a picture
    // exactly that wide is still drawn whole.
    PlatformImage target;
    ASSERT_TRUE(target.CreateBlank(800, 4));
    PlatformImage picture;
    MakePicture(picture, 720, 2, std::vector<uint32_t>(1440, kRed));
    platform.SetRenderTarget(&target);
    Draw(picture, 0.0f, 0.0f);
    int pitch = 0;
    const uint32_t* bits = target.GetBits(pitch);
    EXPECT_TRUE(IsRed(bits[1 * 800 + 1]));
    EXPECT_TRUE(IsRed(bits[1 * 800 + 720]));
    EXPECT_EQ(bits[1 * 800 + 721], 0u);
}

TEST_F(PlatformTest, HostFlagsAndQuitDuringSplash)
{
    host.windowed = false;
    EXPECT_FALSE(platform.IsWindowed());
    host.windowed = true;
    EXPECT_TRUE(platform.IsWindowed());
    EXPECT_FALSE(platform.Is3DAccelerated());

    for (int state : {-2, -1}) {
        host.loadingState = state;
        platform.Quit();
    }
    EXPECT_EQ(host.closeRequests, 0);
    host.loadingState = 0;
    platform.Quit();
    host.loadingState = 101;
    platform.Quit();
    EXPECT_EQ(host.closeRequests, 2);

    Platform hostless;
    hostless.Quit();
    EXPECT_FALSE(hostless.IsWindowed());
}

TEST_F(PlatformTest, MessageBoxesAndTheImageBoxOncePerPath)
{
    FakePlatformRecorder recorder;
    platform.MessageBox("Hello");
    PlatformImage picture;
    EXPECT_FALSE(picture.Load(platform, "gfx/missing.png"));
    EXPECT_FALSE(picture.Load(platform, "gfx/missing.png"));
    EXPECT_FALSE(picture.Load(platform, "gfx/other.png"));
    EXPECT_EQ(picture.GetImage(), nullptr);
    EXPECT_EQ(host.imageRequests.size(), 3u);
    ASSERT_EQ(recorder.boxes.size(), 3u);
    EXPECT_EQ(recorder.boxes[0].title, "Trindle Game");
    EXPECT_EQ(recorder.boxes[0].text, "Hello");
    EXPECT_EQ(recorder.boxes[1].title, "ERROR: Failed to load image");
    EXPECT_EQ(recorder.boxes[1].text, "gfx/missing.png");
    EXPECT_EQ(recorder.boxes[2].text, "gfx/other.png");
}

TEST_F(PlatformTest, BlankPicturesRefuseSizesWithNoPixels)
{
    PlatformImage picture;
    EXPECT_TRUE(picture.CreateBlank(3, 2));
    EXPECT_EQ(picture.GetWidth(), 3.0f);
    EXPECT_EQ(picture.GetHeight(), 2.0f);
    for (const auto& size : {std::pair{0, 5}, std::pair{5, -1}, std::pair{100000, 100000}}) {
        EXPECT_FALSE(picture.CreateBlank(size.first, size.second));
        EXPECT_EQ(picture.GetImage(), nullptr);
        int pitch = 7;
        EXPECT_EQ(picture.GetBits(pitch), nullptr);
        EXPECT_EQ(pitch, 0);
    }
}

} // namespace
