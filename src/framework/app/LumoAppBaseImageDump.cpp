// The image list dump: every live memory image as a PNG with a thumbnail,
// and a page listing them by the memory their buffers hold.
#include "framework/app/LumoAppBase.h"

#include "framework/display/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/core/AppDataFolder.h"
#include "framework/core/PathUtils.h"
#include "framework/core/StringUtils.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/FileSystem.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <vector>

namespace Lumo {

namespace {

constexpr int kThumbSize = 64;

// Bytes of each buffer an image holds (0: absent).
struct ImageMemory {
    MemoryImage* image = nullptr;
    int64_t bits = 0;
    int64_t palette = 0;
    int64_t surface = 0;
    int64_t texture = 0;
    int textureFormat = 0;
    int64_t native = 0;
    int64_t rlAlpha = 0;
    int64_t rlAdditive = 0;
    int64_t total = 0;
};

ImageMemory Measure(MemoryImage* image)
{
    ImageMemory m;
    m.image = image;
    const int64_t p = static_cast<int64_t>(image->PixelCount());
    const bool hasPalette = image->mColorTable != nullptr && image->mColorIndices != nullptr;
    if (image->mBits != nullptr)
        m.bits = 4 * p;
    if (const DDImage* surfaceImage = dynamic_cast<const DDImage*>(image); surfaceImage != nullptr &&
                                                                          surfaceImage->mSurface != nullptr)
        m.surface = 4 * p;
    if (hasPalette)
        m.palette = p + 1024;
    if (image->mNativeAlphaData != nullptr)
        m.native = hasPalette ? 1024 : 4 * p;
    if (image->mRLAlphaData != nullptr)
        m.rlAlpha = p;
    if (image->mRLAdditiveData != nullptr)
        m.rlAdditive = p;
    detail::GetTextureMemory(image, m.texture, m.textureFormat);
    m.total = m.bits + m.palette + m.surface + m.texture + m.native + m.rlAlpha + m.rlAdditive;
    return m;
}

const char* TextureFormatName(int format)
{
    switch (format) {
    case 1:
        return "A8R8G8B8";
    case 2:
        return "A4R4G4B4";
    case 4:
        return "R5G6B5";
    case 8:
        return "Palette8";
    default:
        return "";
    }
}

// The image's 32-bit pixels, copied: an image that holds them in another
// form only (palette, display surface) keeps that form alone afterwards.
std::vector<uint32_t> CopyPixels(MemoryImage* image)
{
    const size_t count = image->PixelCount();
    std::vector<uint32_t> pixels;
    if (count == 0)
        return pixels;
    if (image->mBits != nullptr) {
        pixels.assign(image->mBits.get(), image->mBits.get() + count);
        return pixels;
    }
    if (image->mColorTable != nullptr && image->mColorIndices != nullptr) {
        // Making the bits would drop the palette form.
        pixels.resize(count);
        const uint32_t* table = image->mColorTable.get();
        const uint8_t* indices = image->mColorIndices.get();
        for (size_t i = 0; i < count; ++i)
            pixels[i] = table[indices[i]];
        return pixels;
    }
    const uint32_t* bits = image->GetBits();
    if (bits != nullptr)
        pixels.assign(bits, bits + count);
    image->mBits.reset();
    return pixels;
}

bool WritePixels(const std::string& fileName, int width, int height, const std::vector<uint32_t>& pixels)
{
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
        return false;
    uint32_t* bits = new uint32_t[pixels.size()];
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
    const ImageLib::Image picture(width, height, bits);
    return ImageLib::WritePNGImage(fileName, &picture);
}

// Point-sampled 64 x 64 copy.
std::vector<uint32_t> Thumbnail(int width, int height, const std::vector<uint32_t>& pixels)
{
    std::vector<uint32_t> thumb(kThumbSize * kThumbSize);
    for (int y = 0; y < kThumbSize; ++y) {
        const int sy = static_cast<int>((y + 0.5) * height) / kThumbSize;
        for (int x = 0; x < kThumbSize; ++x) {
            const int sx = static_cast<int>((x + 0.5) * width) / kThumbSize;
            thumb[static_cast<size_t>(y) * kThumbSize + x] = pixels[static_cast<size_t>(sy) * width + sx];
        }
    }
    return thumb;
}

std::string SizeCell(const char* label, int64_t bytes)
{
    if (bytes == 0)
        return "<TD>&nbsp;</TD>\n";
    return std::string("<TD>") + label + "<BR>" + FormatWithCommas(bytes) + "</TD>\n";
}

std::string FlagCell(const char* word, bool set)
{
    return std::string("<TD>") + (set ? word : "&nbsp;") + "</TD>\n";
}

std::string NumberCell(int64_t value)
{
    return "<TD>" + FormatWithCommas(value) + "</TD>\n";
}

} // namespace

void LumoAppBase::DumpImageList()
{
    const std::string folder = GetAppDataFolder() + "_dump";
    DeleteFolderTree(folder);
    MkDir(folder);
    const std::string prefix = folder + "/";

    const time_t now = std::time(nullptr);
    struct tm local {};
    char timeText[64] = "\n";
    if (localtime_r(&now, &local) == nullptr || asctime_r(&local, timeText) == nullptr)
        timeText[0] = '\n', timeText[1] = '\0';
    std::string page = "<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>";
    page += timeText;
    page += "</B></FONT><BR>\n";

    // The loading thread may add images meanwhile: the whole walk and the
    // pixel reads hold the image lock.
    AutoCrit lock(ImageLock());
    std::vector<ImageMemory> list;
    list.reserve(memoryImageSet.size());
    int64_t grandTotal = 0;
    for (MemoryImage* image : memoryImageSet) {
        list.push_back(Measure(image));
        grandTotal += list.back().total;
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const ImageMemory& a, const ImageMemory& b) { return a.total > b.total; });

    page += "Total Image Allocation: " + FormatWithCommas(grandTotal) + " bytes<BR>";
    page += "<TABLE BORDER=1 CELLSPACING=0 CELLPADDING=4>";
    ImageMemory sums;
    for (size_t n = 0; n < list.size(); ++n) {
        const ImageMemory& m = list[n];
        MemoryImage* image = m.image;
        const int width = image->GetWidth();
        const int height = image->GetHeight();
        const std::string imageName = StrFormat("img%04d.png", static_cast<int>(n));
        const std::string thumbName = StrFormat("thumb%04d.png", static_cast<int>(n));
        page += "<TR>\n";
        page += "<TD><A HREF=" + imageName + "><IMG SRC=" + thumbName + " WIDTH=64 HEIGHT=64></A></TD>\n";
        page += "<TD ALIGN=RIGHT>" + StrFormat("%d x %d<BR>%s bytes", width, height, FormatWithCommas(m.total).c_str()) +
                "</TD>\n";
        page += SizeCell("mBits", m.bits);
        page += SizeCell("Palletized", m.palette);
        page += SizeCell("DDSurface", m.surface);
        if (m.texture != 0)
            page += std::string("<TD>Texture<BR>") + TextureFormatName(m.textureFormat) + "<BR>" +
                    FormatWithCommas(m.texture) + "</TD>\n";
        else
            page += "<TD>&nbsp;</TD>\n";
        page += FlagCell("Volatile", image->mIsVolatile);
        page += FlagCell("Forced", image->mForcedMode);
        page += FlagCell("HasAlpha", image->mHasAlpha);
        page += FlagCell("HasTrans", image->mHasTrans);
        page += SizeCell("NativeAlpha", m.native);
        page += SizeCell("RLAlpha", m.rlAlpha);
        page += SizeCell("RLAdditive", m.rlAdditive);
        page += "<TD>" + (image->mFilePath.empty() ? std::string("&nbsp;") : image->mFilePath) + "</TD>\n";
        page += "</TR>\n";

        sums.bits += m.bits;
        sums.palette += m.palette;
        sums.surface += m.surface;
        sums.texture += m.texture;
        sums.native += m.native;
        sums.rlAlpha += m.rlAlpha;
        sums.rlAdditive += m.rlAdditive;

        // A file that cannot be written is skipped; the page goes on.
        const std::vector<uint32_t> pixels = CopyPixels(image);
        if (WritePixels(prefix + imageName, width, height, pixels))
            WritePixels(prefix + thumbName, kThumbSize, kThumbSize, Thumbnail(width, height, pixels));
    }
    page += "<TR>\n<TD>Totals</TD>\n";
    page += NumberCell(grandTotal);
    page += NumberCell(sums.bits);
    page += NumberCell(sums.palette);
    page += NumberCell(sums.surface);
    page += NumberCell(sums.texture);
    for (int i = 0; i < 4; ++i)
        page += "<TD>&nbsp;</TD>\n";
    page += NumberCell(sums.native);
    page += NumberCell(sums.rlAlpha);
    page += NumberCell(sums.rlAdditive);
    page += "<TD>&nbsp;</TD>\n</TR>\n";
    page += "</TABLE></CENTER></BODY></HTML>";

    const std::string pagePath = Plat::GetFileSystem().NativePath(prefix + "imagelist.html");
    Plat::WriteFileAtomically(pagePath, reinterpret_cast<const uint8_t*>(page.data()), page.size());
}

} // namespace Lumo
