#include "framework/graphics/ImageLib.h"

#include "framework/core/PakClient.h"
#include "framework/core/PakInterface.h"

#include "support/GifWriter.h"
#include "support/PakArchiveWriter.h"
#include "support/TempFolder.h"
#include "support/TgaWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using ImageLib::Image;

std::vector<uint8_t> Tga(uint16_t width, uint16_t height, uint32_t pixel)
{
    TgaHeader header;
    header.width = width;
    header.height = height;
    return TgaWriter::Build(header, std::vector<uint32_t>(size_t(width) * height, pixel));
}

// A one-colour GIF of the colour 0xRRGGBB.
std::vector<uint8_t> Gif(int width, int height, uint32_t rgb)
{
    return GifWriter::Build(width, height, { rgb, 0 }, std::vector<uint8_t>(size_t(width) * height, 0));
}

std::vector<uint32_t> Pixels(const Image& image)
{
    return std::vector<uint32_t>(image.GetBits(), image.GetBits() + size_t(image.GetWidth()) * image.GetHeight());
}

// The first pixel of the loaded picture, or 0xDEADDEAD for none.
uint32_t LoadedPixel(const std::string& name, bool lookForAlphaImage = true)
{
    std::unique_ptr<Image> image(ImageLib::GetImage(name, lookForAlphaImage));
    if (image == nullptr)
        return 0xDEADDEAD;
    return image->GetBits()[0];
}

class ImageLibTest : public ::testing::Test {
protected:
    std::string Path(const std::string& relative) const { return mFolder.Join(relative); }

    TempFolder mFolder;
};

TEST_F(ImageLibTest, PicksTheReaderByExtensionOrTriesThemInOrder)
{
    mFolder.Write("gfx/ball.tga", Tga(1, 1, 0xFF0000AA));
    mFolder.Write("gfx/ball.gif", Gif(1, 1, 0x0000BB));
    mFolder.Write("gfx/ball.bmp", Tga(1, 1, 0xFF0000CC));
    mFolder.Write("gfx/ring.gif", Gif(1, 1, 0x0000DD));
    mFolder.Write("gfx.old/ball.tga", Tga(1, 1, 0xFF0000EE));
    mFolder.Write("gfx.old/ball.gif", Gif(1, 1, 0x0000FF));
    mFolder.Write("gfx/wrong.gif", Tga(1, 1, 0xFF000011)); // a TGA under a GIF name

    struct Case {
        const char* name;
        uint32_t expected;
    };
    const Case cases[] = {
        { "gfx\\ball", 0xFF0000AA }, // ".tga" comes before ".gif"
        { "gfx/ball", 0xFF0000AA },
        { "gfx\\ball.gif", 0xFF0000BB },
        { "gfx\\ball.GIF", 0xFF0000BB }, // the reader is handed "ball.gif"
        { "gfx\\ball.Tga", 0xFF0000AA },
        { "gfx\\ball.bmp", 0xDEADDEAD }, // an unknown extension reads nothing
        { "gfx\\ring", 0xFF0000DD }, // no TGA: the GIF further down the order
        { "gfx.old\\ball", 0xFF0000EE }, // the dot of a folder makes no extension
        { "gfx.old/ball", 0xFF0000EE },
        { "gfx\\wrong.gif", 0xDEADDEAD }, // only the named reader is tried
        { "gfx\\missing", 0xDEADDEAD },
        { "gfx\\missing.png", 0xDEADDEAD },
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadedPixel(Path(c.name)), c.expected) << c.name;
}

TEST_F(ImageLibTest, CompanionGivesTheAlphaChannel)
{
    // The companion's blue channel becomes the alpha: 0x9A from 0xFF12349A.
    mFolder.Write("gfx/ball.tga", Tga(2, 1, 0xFF102030));
    mFolder.Write("gfx/_ball.gif", Gif(2, 1, 0x12349A));
    mFolder.Write("gfx/pen.tga", Tga(1, 1, 0xFF405060));
    mFolder.Write("gfx/_pen.tga", Tga(1, 1, 0x000000C4));
    // A companion of a different size is dropped.
    mFolder.Write("gfx/big.tga", Tga(2, 1, 0x80102030));
    mFolder.Write("gfx/_big.tga", Tga(1, 1, 0xFF000011));
    // The second form "name_", found only for a name without extension.
    mFolder.Write("gfx/dot.gif", Gif(1, 1, 0x445566));
    mFolder.Write("gfx/dot_.tga", Tga(1, 1, 0x00000077));
    // The first form wins over the second.
    mFolder.Write("gfx/both.tga", Tga(1, 1, 0xFF000000));
    mFolder.Write("gfx/_both.tga", Tga(1, 1, 0x00000011));
    mFolder.Write("gfx/both_.tga", Tga(1, 1, 0x00000022));

    struct Case {
        const char* name;
        bool lookForAlphaImage;
        uint32_t expected;
    };
    const Case cases[] = {
        { "gfx\\ball", true, 0x9A102030 }, // "_ball" tries every reader
        { "gfx\\ball.tga", true, 0xFF102030 }, // "_ball.tga" only: not there
        { "gfx\\pen.tga", true, 0xC4405060 },
        { "gfx\\pen.tga", false, 0xFF405060 },
        { "gfx\\big.tga", true, 0x80102030 },
        { "gfx\\dot", true, 0x77445566 },
        { "gfx\\dot.gif", true, 0xFF445566 }, // "dot.gif_" has no reader
        { "gfx\\both", true, 0x11000000 },
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoadedPixel(Path(c.name), c.lookForAlphaImage), c.expected) << c.name;

    // Every pixel, not just the first.
    std::unique_ptr<Image> image(ImageLib::GetImage(Path("gfx\\ball")));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(Pixels(*image), (std::vector<uint32_t>{ 0x9A102030, 0x9A102030 }));

    // The process-wide switch overrides the caller.
    ImageLib::gLoadAlphaCompanions = false;
    EXPECT_EQ(LoadedPixel(Path("gfx\\pen.tga")), 0xFF405060u);
    ImageLib::gLoadAlphaCompanions = true;
}

TEST_F(ImageLibTest, CompanionAloneTakesTheAlphaOnlyColor)
{
    // Blue 0x5A becomes the alpha of the shared colour: 0x5A000000 | 0x00FFFFFF.
    mFolder.Write("gfx/_glow.tga", Tga(2, 2, 0xFF12345A));
    // No companion of a companion: "__glow" is never merged into "_glow".
    mFolder.Write("gfx/__glow.tga", Tga(2, 2, 0xFF000001));

    EXPECT_EQ(ImageLib::gAlphaOnlyColor, 0x00FFFFFFu);
    std::unique_ptr<Image> image(ImageLib::GetImage(Path("gfx\\glow.tga")));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetWidth(), 2);
    EXPECT_EQ(Pixels(*image), std::vector<uint32_t>(4, 0x5AFFFFFF));

    ImageLib::gAlphaOnlyColor = 0x00102030;
    EXPECT_EQ(LoadedPixel(Path("gfx\\glow")), 0x5A102030u);
    ImageLib::gAlphaOnlyColor = 0x00FFFFFF;

    // Without the companion step there is nothing to load.
    EXPECT_EQ(LoadedPixel(Path("gfx\\glow.tga"), false), 0xDEADDEADu);
    // An unknown extension can still be answered by its companion.
    mFolder.Write("gfx/_pic.bmp", Tga(1, 1, 0x00000033)); // never read: ".bmp" has no reader
    mFolder.Write("gfx/pic.bmp_", Tga(1, 1, 0x00000044)); // nor this
    EXPECT_EQ(LoadedPixel(Path("gfx\\pic.bmp")), 0xDEADDEADu);
}

TEST_F(ImageLibTest, NewImageIsEmptyAndOwnsItsPixels)
{
    const Image empty;
    EXPECT_EQ(empty.GetWidth(), 0);
    EXPECT_EQ(empty.GetHeight(), 0);
    EXPECT_EQ(empty.GetBits(), nullptr);
    // Deleted through the base of any subclass: the pixel array goes with it.
    std::unique_ptr<Image> owned(new Image(3, 1, new uint32_t[3]{ 1, 2, 3 }));
    EXPECT_EQ(Pixels(*owned), (std::vector<uint32_t>{ 1, 2, 3 }));
}

// Reads inside the folder, so archive names match plain relative names.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& folder)
        : mPrevious(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentFolder() { std::filesystem::current_path(mPrevious); }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::filesystem::path mPrevious;
};

TEST_F(ImageLibTest, ReadsArchiveEntriesBeforeDiskFiles)
{
    const std::vector<uint8_t> tga = Tga(1, 1, 0xFF0000A1);
    const std::vector<uint8_t> gif = Gif(1, 1, 0x0000A2);
    const std::vector<uint8_t> alpha = Tga(1, 1, 0x000000A3);
    mFolder.Write("main.pak", PakArchiveWriter::Build({
                                  { "gfx\\ball.tga", std::string(tga.begin(), tga.end()), 0, {} },
                                  { "gfx\\_ball.tga", std::string(alpha.begin(), alpha.end()), 0, {} },
                                  { "gfx\\ring.gif", std::string(gif.begin(), gif.end()), 0, {} },
                              }));
    mFolder.Write("gfx/ball.tga", Tga(1, 1, 0xFF0000D1)); // hidden by the entry
    mFolder.Write("gfx/disk.tga", Tga(1, 1, 0xFF0000D2));

    ScopedCurrentFolder inFolder(mFolder.Path());
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("main.pak"));
    PakInterface* const original = Lumo::SetPakInterface(&pak);
    EXPECT_EQ(LoadedPixel("gfx\\ball"), 0xA30000A1u); // colour and companion both from the archive
    EXPECT_EQ(LoadedPixel("GFX\\RING.GIF"), 0xFF0000A2u);
    EXPECT_EQ(LoadedPixel("gfx\\disk"), 0xFF0000D2u);
    Lumo::SetPakInterface(original);
}

} // namespace
