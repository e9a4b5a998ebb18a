#include "platform/codecs/J2KCodecModule.h"

#include "platform/files/FileSystem.h"

#include <openjpeg.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace Plat {

namespace {

// The failure of the last call on each thread, and the decoding library's
// message for it.
thread_local int tLastError = kJ2KErrorNone;
thread_local std::string tLastMessage;
thread_local std::string tErrorText;

constexpr unsigned char kJ2KMagic[] = {0xFF, 0x4F, 0xFF, 0x51};
constexpr unsigned char kJP2Magic[] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50, 0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};

constexpr OPJ_SIZE_T kStreamBufferSize = 64 * 1024;

// One open picture: the caller's stream, OpenJPEG's codec positioned after
// the main header, and what the header told.
struct Decoder {
    void* userData = nullptr;
    J2KStreamCallbacks callbacks {};
    uint64_t length = 0;
    uint64_t position = 0;
    OPJ_CODEC_FORMAT format = OPJ_CODEC_J2K;

    opj_stream_t* stream = nullptr;
    opj_codec_t* codec = nullptr;
    opj_image_t* image = nullptr;
    bool readyToDecode = false;
    std::string message; // the library's first error since the last step began

    uint32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    int components = 0;
    int resolutions = 0;
};

int Succeed()
{
    tLastError = kJ2KErrorNone;
    tLastMessage.clear();
    return kJ2KErrorNone;
}

int Fail(int code, const std::string& message = std::string())
{
    tLastError = code;
    tLastMessage = message;
    return code;
}

// ---- OpenJPEG stream over the caller's callbacks

OPJ_SIZE_T StreamRead(void* buffer, OPJ_SIZE_T count, void* data)
{
    Decoder& d = *static_cast<Decoder*>(data);
    if (d.position >= d.length)
        return static_cast<OPJ_SIZE_T>(-1);
    const uint64_t left = d.length - d.position;
    const int want = static_cast<int>(std::min<uint64_t>({count, left, uint64_t(INT_MAX)}));
    const int got = d.callbacks.read(buffer, want, d.userData);
    if (got <= 0)
        return static_cast<OPJ_SIZE_T>(-1);
    d.position += static_cast<uint64_t>(std::min(got, want));
    return static_cast<OPJ_SIZE_T>(std::min(got, want));
}

OPJ_BOOL StreamSeek(OPJ_OFF_T offset, void* data)
{
    Decoder& d = *static_cast<Decoder*>(data);
    if (offset < 0 || d.callbacks.seek(d.userData, static_cast<long>(offset)) != 0)
        return OPJ_FALSE;
    d.position = static_cast<uint64_t>(offset);
    return OPJ_TRUE;
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T count, void* data)
{
    Decoder& d = *static_cast<Decoder*>(data);
    const OPJ_OFF_T target = static_cast<OPJ_OFF_T>(d.position) + count;
    if (target < 0 || !StreamSeek(target, data))
        return -1;
    return count;
}

void KeepError(const char* message, void* data)
{
    Decoder& d = *static_cast<Decoder*>(data);
    if (!d.message.empty() || message == nullptr)
        return;
    d.message = message;
    while (!d.message.empty() && (d.message.back() == '\n' || d.message.back() == '\r'))
        d.message.pop_back();
}

void ReleaseCodec(Decoder& d)
{
    if (d.image != nullptr)
        opj_image_destroy(d.image);
    if (d.codec != nullptr)
        opj_destroy_codec(d.codec);
    if (d.stream != nullptr)
        opj_stream_destroy(d.stream);
    d.image = nullptr;
    d.codec = nullptr;
    d.stream = nullptr;
    d.readyToDecode = false;
}

// Finds the stream's length (the library needs it to bound its reads) and
// the format from the first bytes, then rewinds.
int Probe(Decoder& d)
{
    if (d.callbacks.seek(d.userData, 0) != 0)
        return Fail(kJ2KErrorRead);
    std::vector<unsigned char> chunk(64 * 1024);
    unsigned char head[sizeof(kJP2Magic)] = {};
    uint64_t length = 0;
    for (;;) {
        const int got = d.callbacks.read(chunk.data(), static_cast<int>(chunk.size()), d.userData);
        if (got <= 0)
            break;
        const size_t count = std::min(static_cast<size_t>(got), chunk.size());
        if (length < sizeof(head)) {
            const size_t take = std::min<size_t>(count, sizeof(head) - length);
            std::memcpy(head + length, chunk.data(), take);
        }
        length += count;
    }
    if (d.callbacks.seek(d.userData, 0) != 0)
        return Fail(kJ2KErrorRead);
    d.length = length;
    d.position = 0;
    if (length >= sizeof(kJP2Magic) && std::memcmp(head, kJP2Magic, sizeof(kJP2Magic)) == 0)
        d.format = OPJ_CODEC_JP2;
    else if (length >= sizeof(kJ2KMagic) && std::memcmp(head, kJ2KMagic, sizeof(kJ2KMagic)) == 0)
        d.format = OPJ_CODEC_J2K;
    else
        return Fail(kJ2KErrorUnknownFormat);
    return kJ2KErrorNone;
}

// ---- a look at the headers before the library reads them: it allocates for
// every tile and every palette channel a header asks for

uint32_t BigEndian16(const unsigned char* p)
{
    return uint32_t(p[0]) << 8 | p[1];
}

uint32_t BigEndian32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Reads up to count bytes at an offset; the number read.
size_t ReadAt(Decoder& d, uint64_t offset, unsigned char* buffer, size_t count)
{
    if (offset > uint64_t(LONG_MAX) || d.callbacks.seek(d.userData, static_cast<long>(offset)) != 0)
        return 0;
    size_t done = 0;
    while (done < count) {
        const int got = d.callbacks.read(buffer + done, static_cast<int>(count - done), d.userData);
        if (got <= 0)
            break;
        done += std::min(static_cast<size_t>(got), count - done);
    }
    return done;
}

struct Box {
    uint32_t type = 0;
    uint64_t dataStart = 0;
    uint64_t end = 0;
};

constexpr uint32_t BoxType(const char (&name)[5])
{
    return uint32_t(uint8_t(name[0])) << 24 | uint32_t(uint8_t(name[1])) << 16 | uint32_t(uint8_t(name[2])) << 8 |
           uint8_t(name[3]);
}

// The JP2 box at an offset, inside [offset, limit); false when there is none.
bool ReadBox(Decoder& d, uint64_t offset, uint64_t limit, Box& box)
{
    unsigned char header[16];
    if (offset + 8 > limit || ReadAt(d, offset, header, 8) != 8)
        return false;
    uint64_t length = BigEndian32(header);
    uint64_t headerSize = 8;
    if (length == 1) {
        if (offset + 16 > limit || ReadAt(d, offset + 8, header + 8, 8) != 8)
            return false;
        length = uint64_t(BigEndian32(header + 8)) << 32 | BigEndian32(header + 12);
        headerSize = 16;
    } else if (length == 0) {
        length = limit - offset;
    }
    if (length < headerSize || length > limit - offset)
        return false;
    box.type = BigEndian32(header + 4);
    box.dataStart = offset + headerSize;
    box.end = offset + length;
    return true;
}

// A palette or channel map of more channels than a pixel holds.
int CheckJP2Header(Decoder& d, const Box& header)
{
    uint64_t offset = header.dataStart;
    Box box;
    for (int count = 0; count < 64 && ReadBox(d, offset, header.end, box); ++count) {
        if (box.type == BoxType("pclr")) {
            unsigned char fields[3];
            if (ReadAt(d, box.dataStart, fields, 3) == 3 && fields[2] > 4)
                return Fail(kJ2KErrorUnsupported);
        } else if (box.type == BoxType("cmap")) {
            if ((box.end - box.dataStart) / 4 > 4)
                return Fail(kJ2KErrorUnsupported);
        }
        offset = box.end;
    }
    return kJ2KErrorNone;
}

// The size fields of the code stream's SIZ marker. Headers this cannot make
// out are left for the library to refuse.
int PreCheck(Decoder& d)
{
    uint64_t codeStream = 0;
    if (d.format == OPJ_CODEC_JP2) {
        bool found = false;
        uint64_t offset = 0;
        Box box;
        for (int count = 0; count < 1024 && ReadBox(d, offset, d.length, box); ++count) {
            if (box.type == BoxType("jp2h")) {
                const int result = CheckJP2Header(d, box);
                if (result != kJ2KErrorNone)
                    return result;
            } else if (box.type == BoxType("jp2c")) {
                codeStream = box.dataStart;
                found = true;
                break;
            }
            offset = box.end;
        }
        if (!found)
            return kJ2KErrorNone;
    }

    // SOC, SIZ, Lsiz, Rsiz, then Xsiz, Ysiz, XOsiz, YOsiz, XTsiz, YTsiz,
    // XTOsiz, YTOsiz (32 bits each) and Csiz (16 bits).
    unsigned char siz[42];
    if (ReadAt(d, codeStream, siz, sizeof siz) != sizeof siz || BigEndian16(siz) != 0xFF4F ||
        BigEndian16(siz + 2) != 0xFF51)
        return kJ2KErrorNone;
    const uint64_t width = BigEndian32(siz + 8);
    const uint64_t height = BigEndian32(siz + 12);
    const uint64_t left = BigEndian32(siz + 16);
    const uint64_t top = BigEndian32(siz + 20);
    const uint64_t tileWidth = BigEndian32(siz + 24);
    const uint64_t tileHeight = BigEndian32(siz + 28);
    const uint64_t tileLeft = BigEndian32(siz + 32);
    const uint64_t tileTop = BigEndian32(siz + 36);
    const uint32_t components = BigEndian16(siz + 40);
    if (width > left && height > top && (width - left) * (height - top) > uint64_t(kJ2KMaxPixels))
        return Fail(kJ2KErrorTooLarge);
    if (tileWidth > 0 && tileHeight > 0 && width > tileLeft && height > tileTop &&
        ((width - tileLeft + tileWidth - 1) / tileWidth) * ((height - tileTop + tileHeight - 1) / tileHeight) >
            kJ2KMaxTiles)
        return Fail(kJ2KErrorTooLarge);
    if (components < 1 || components > 4)
        return Fail(kJ2KErrorUnsupported);
    return kJ2KErrorNone;
}

bool ComponentUsable(const opj_image_comp_t& comp)
{
    return comp.dx >= 1 && comp.dy >= 1 && comp.prec >= 1 && comp.prec <= 31;
}

// Opens the codec at the start of the stream and reads the main header.
int StartDecoder(Decoder& d)
{
    ReleaseCodec(d);
    d.message.clear();
    if (d.callbacks.seek(d.userData, 0) != 0)
        return Fail(kJ2KErrorRead);
    d.position = 0;

    d.stream = opj_stream_create(kStreamBufferSize, OPJ_TRUE);
    d.codec = opj_create_decompress(d.format);
    if (d.stream == nullptr || d.codec == nullptr) {
        ReleaseCodec(d);
        return Fail(kJ2KErrorHeader);
    }
    opj_stream_set_user_data(d.stream, &d, nullptr);
    opj_stream_set_user_data_length(d.stream, d.length);
    opj_stream_set_read_function(d.stream, StreamRead);
    opj_stream_set_skip_function(d.stream, StreamSkip);
    opj_stream_set_seek_function(d.stream, StreamSeek);
    opj_set_error_handler(d.codec, KeepError, &d);

    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    if (!opj_setup_decoder(d.codec, &parameters) || !opj_read_header(d.stream, d.codec, &d.image)) {
        const std::string message = d.message;
        ReleaseCodec(d);
        return Fail(kJ2KErrorHeader, message);
    }

    const opj_image_t& image = *d.image;
    if (image.x1 <= image.x0 || image.y1 <= image.y0 || image.x1 > uint32_t(INT_MAX) || image.y1 > uint32_t(INT_MAX)) {
        ReleaseCodec(d);
        return Fail(kJ2KErrorHeader);
    }
    const int64_t pixels = int64_t(image.x1 - image.x0) * int64_t(image.y1 - image.y0);
    if (pixels > kJ2KMaxPixels) {
        ReleaseCodec(d);
        return Fail(kJ2KErrorTooLarge);
    }
    if (image.numcomps < 1 || image.numcomps > 4 || image.comps == nullptr) {
        ReleaseCodec(d);
        return Fail(kJ2KErrorUnsupported);
    }
    for (uint32_t i = 0; i < image.numcomps; ++i) {
        if (!ComponentUsable(image.comps[i])) {
            ReleaseCodec(d);
            return Fail(kJ2KErrorUnsupported);
        }
    }

    int resolutions = 0;
    bool tooManyTiles = false;
    opj_codestream_info_v2_t* info = opj_get_cstr_info(d.codec);
    if (info != nullptr)
        tooManyTiles = uint64_t(info->tw) * info->th > kJ2KMaxTiles;
    if (info != nullptr && info->m_default_tile_info.tccp_info != nullptr) {
        resolutions = INT_MAX;
        for (uint32_t i = 0; i < info->nbcomps; ++i)
            resolutions = std::min(resolutions, static_cast<int>(info->m_default_tile_info.tccp_info[i].numresolutions));
        if (info->nbcomps == 0)
            resolutions = 0;
    }
    opj_destroy_cstr_info(&info);
    if (tooManyTiles) {
        ReleaseCodec(d);
        return Fail(kJ2KErrorTooLarge);
    }
    if (resolutions < 1) {
        ReleaseCodec(d);
        return Fail(kJ2KErrorHeader);
    }

    d.x0 = image.x0;
    d.y0 = image.y0;
    d.x1 = image.x1;
    d.y1 = image.y1;
    d.components = static_cast<int>(image.numcomps);
    d.resolutions = resolutions;
    d.readyToDecode = true;
    return kJ2KErrorNone;
}

Decoder* Open(void* userData, const J2KStreamCallbacks& callbacks)
{
    Decoder* d = new Decoder;
    d->userData = userData;
    d->callbacks = callbacks;
    if (Probe(*d) != kJ2KErrorNone || PreCheck(*d) != kJ2KErrorNone || StartDecoder(*d) != kJ2KErrorNone) {
        ReleaseCodec(*d);
        delete d;
        return nullptr;
    }
    Succeed();
    return d;
}

uint32_t CeilDiv(uint32_t a, uint32_t b)
{
    return static_cast<uint32_t>((uint64_t(a) + b - 1) / b);
}

uint32_t CeilDivPow2(uint32_t a, int shift)
{
    return static_cast<uint32_t>((uint64_t(a) + (uint64_t(1) << shift) - 1) >> shift);
}

void LevelSize(const Decoder& d, int level, int& width, int& height)
{
    width = static_cast<int>(CeilDivPow2(d.x1, level) - CeilDivPow2(d.x0, level));
    height = static_cast<int>(CeilDivPow2(d.y1, level) - CeilDivPow2(d.y0, level));
}

// Reads "bpp=4,rl=N"; other keys are left to whoever knows them.
bool ParseOptions(const char* options, int& bytesPerPixel, int& level)
{
    bytesPerPixel = 4;
    level = 0;
    if (options == nullptr)
        return true;
    const std::string text(options);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(start, end - start);
        const size_t equals = item.find('=');
        if (equals != std::string::npos) {
            std::string key = item.substr(0, equals);
            key.erase(std::remove(key.begin(), key.end(), ' '), key.end());
            const std::string value = item.substr(equals + 1);
            if (key == "bpp" || key == "rl") {
                char* stop = nullptr;
                const long number = std::strtol(value.c_str(), &stop, 10);
                if (stop == value.c_str() || number < 0 || number > 64)
                    return false;
                (key == "bpp" ? bytesPerPixel : level) = static_cast<int>(number);
            }
        }
        start = end + 1;
    }
    return true;
}

// How one output channel is taken from a component: which sample of the
// row for each output column, and how its value becomes 8 bits.
struct Channel {
    const opj_image_comp_t* comp = nullptr;
    std::vector<uint32_t> column; // sample index of each output column
    int64_t offset = 0;           // added to signed samples
    int64_t maxValue = 255;
    bool plainByte = true;        // unsigned 8-bit: no scaling
};

inline uint32_t ToByte(int32_t sample, const Channel& ch)
{
    int64_t value = int64_t(sample) + ch.offset;
    if (value < 0)
        value = 0;
    if (value > ch.maxValue)
        value = ch.maxValue;
    if (ch.plainByte)
        return static_cast<uint32_t>(value);
    return static_cast<uint32_t>((value * 255 + ch.maxValue / 2) / ch.maxValue);
}

bool SetUpChannel(Channel& ch, const opj_image_comp_t& comp, const Decoder& d, int level, int width)
{
    if (!ComponentUsable(comp) || comp.data == nullptr || comp.w == 0 || comp.h == 0)
        return false;
    ch.comp = &comp;
    ch.offset = comp.sgnd ? (int64_t(1) << (comp.prec - 1)) : 0;
    ch.maxValue = (int64_t(1) << comp.prec) - 1;
    ch.plainByte = comp.prec == 8;
    // Output column x lies at reference position (levelX0 + x) << level; the
    // component's sample there is (levelX0 + x) / dx counted from its origin.
    const uint32_t levelX0 = CeilDivPow2(d.x0, level);
    const uint32_t compX0 = CeilDivPow2(CeilDiv(d.x0, comp.dx), level);
    ch.column.resize(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        const int64_t index = int64_t((uint64_t(levelX0) + x) / comp.dx) - compX0;
        ch.column[x] = static_cast<uint32_t>(std::clamp<int64_t>(index, 0, int64_t(comp.w) - 1));
    }
    return true;
}

uint32_t SampleRow(const Channel& ch, const Decoder& d, int level, int y)
{
    const opj_image_comp_t& comp = *ch.comp;
    const uint32_t levelY0 = CeilDivPow2(d.y0, level);
    const uint32_t compY0 = CeilDivPow2(CeilDiv(d.y0, comp.dy), level);
    const int64_t index = int64_t((uint64_t(levelY0) + y) / comp.dy) - compY0;
    return static_cast<uint32_t>(std::clamp<int64_t>(index, 0, int64_t(comp.h) - 1));
}

// Writes the decoded picture as 0xAARRGGBB words, little-endian.
bool Convert(const Decoder& d, const opj_image_t& image, int level, unsigned char* out, int width, int height, int pitch)
{
    if (image.numcomps < 1 || image.numcomps > 4 || image.comps == nullptr)
        return false;
    const int count = static_cast<int>(image.numcomps);
    Channel channels[4];
    for (int i = 0; i < count; ++i) {
        if (!SetUpChannel(channels[i], image.comps[i], d, level, width))
            return false;
    }
    // Grey, grey + alpha, RGB, RGBA.
    const bool colour = count >= 3;
    const bool hasAlpha = count == 2 || count == 4;
    const Channel& red = channels[0];
    const Channel& green = channels[colour ? 1 : 0];
    const Channel& blue = channels[colour ? 2 : 0];
    const Channel& alpha = channels[hasAlpha ? count - 1 : 0];

    for (int y = 0; y < height; ++y) {
        const OPJ_INT32* redRow = red.comp->data + size_t(SampleRow(red, d, level, y)) * red.comp->w;
        const OPJ_INT32* greenRow = green.comp->data + size_t(SampleRow(green, d, level, y)) * green.comp->w;
        const OPJ_INT32* blueRow = blue.comp->data + size_t(SampleRow(blue, d, level, y)) * blue.comp->w;
        const OPJ_INT32* alphaRow = alpha.comp->data + size_t(SampleRow(alpha, d, level, y)) * alpha.comp->w;
        const uint32_t* redColumn = red.column.data();
        const uint32_t* greenColumn = green.column.data();
        const uint32_t* blueColumn = blue.column.data();
        const uint32_t* alphaColumn = alpha.column.data();
        unsigned char* pixel = out + size_t(y) * size_t(pitch);
        for (int x = 0; x < width; ++x, pixel += 4) {
            pixel[0] = static_cast<unsigned char>(ToByte(blueRow[blueColumn[x]], blue));
            pixel[1] = static_cast<unsigned char>(ToByte(greenRow[greenColumn[x]], green));
            pixel[2] = static_cast<unsigned char>(ToByte(redRow[redColumn[x]], red));
            pixel[3] = hasAlpha ? static_cast<unsigned char>(ToByte(alphaRow[alphaColumn[x]], alpha)) : 0xFF;
        }
    }
    return true;
}

// ---- the disk file of J2KOpenFile

int FileSeek(void* file, long offset)
{
    return std::fseek(static_cast<FILE*>(file), offset, SEEK_SET);
}

int FileRead(void* buffer, int count, void* file)
{
    if (count <= 0)
        return 0;
    return static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(count), static_cast<FILE*>(file)));
}

void FileClose(void* file)
{
    std::fclose(static_cast<FILE*>(file));
}

const J2KStreamCallbacks kFileCallbacks = {FileSeek, FileRead, FileClose};

} // namespace

int J2KGetVersion()
{
    return kJ2KCodecVersion;
}

void* J2KOpenCustom(void* userData, const J2KStreamCallbacks* callbacks)
{
    if (callbacks == nullptr || callbacks->seek == nullptr || callbacks->read == nullptr) {
        Fail(kJ2KErrorBadArgument);
        return nullptr;
    }
    return Open(userData, *callbacks);
}

void* J2KOpenFile(const char* fileName)
{
    if (fileName == nullptr) {
        Fail(kJ2KErrorBadArgument);
        return nullptr;
    }
    FILE* file = GetFileSystem().OpenFile(fileName, "rb");
    if (file == nullptr) {
        Fail(kJ2KErrorOpenFile);
        return nullptr;
    }
    void* handle = Open(file, kFileCallbacks);
    if (handle == nullptr)
        std::fclose(file);
    return handle;
}

void J2KClose(void* handle)
{
    if (handle == nullptr)
        return;
    Decoder* d = static_cast<Decoder*>(handle);
    ReleaseCodec(*d);
    if (d->callbacks.close != nullptr)
        d->callbacks.close(d->userData);
    delete d;
}

int J2KGetInfo(void* handle, int* width, int* height, int* components)
{
    if (handle == nullptr)
        return Fail(kJ2KErrorBadArgument);
    const Decoder& d = *static_cast<Decoder*>(handle);
    if (width != nullptr)
        *width = static_cast<int>(d.x1 - d.x0);
    if (height != nullptr)
        *height = static_cast<int>(d.y1 - d.y0);
    if (components != nullptr)
        *components = d.components;
    return Succeed();
}

int J2KGetResolutionDimensions(void* handle, int level, int* width, int* height)
{
    if (handle == nullptr || width == nullptr || height == nullptr)
        return Fail(kJ2KErrorBadArgument);
    const Decoder& d = *static_cast<Decoder*>(handle);
    if (level < 0 || level >= d.resolutions)
        return Fail(kJ2KErrorBadOption);
    LevelSize(d, level, *width, *height);
    return Succeed();
}

int J2KDecode(void* handle, unsigned char** buffer, int* size, const char* options, int* pitch)
{
    if (handle == nullptr || buffer == nullptr || *buffer == nullptr || size == nullptr || pitch == nullptr)
        return Fail(kJ2KErrorBadArgument);
    Decoder& d = *static_cast<Decoder*>(handle);

    int bytesPerPixel = 0;
    int level = 0;
    if (!ParseOptions(options, bytesPerPixel, level) || bytesPerPixel != 4 || level >= d.resolutions)
        return Fail(kJ2KErrorBadOption);
    int width = 0;
    int height = 0;
    LevelSize(d, level, width, height);
    if (*pitch == 0)
        *pitch = width * 4;
    if (*pitch < width * 4)
        return Fail(kJ2KErrorBadArgument);
    const int64_t needed = int64_t(*pitch) * (height - 1) + int64_t(width) * 4;
    if (*size < 0 || int64_t(*size) < needed)
        return Fail(kJ2KErrorBufferTooSmall);

    // The codec decodes once per header read; a second decode starts over.
    if (!d.readyToDecode) {
        const int result = StartDecoder(d);
        if (result != kJ2KErrorNone)
            return result;
    }
    d.readyToDecode = false;
    d.message.clear();
    if (!opj_set_decoded_resolution_factor(d.codec, static_cast<OPJ_UINT32>(level)) ||
        !opj_decode(d.codec, d.stream, d.image) || !opj_end_decompress(d.codec, d.stream))
        return Fail(kJ2KErrorDecode, d.message);
    if (!Convert(d, *d.image, level, *buffer, width, height, *pitch))
        return Fail(kJ2KErrorUnsupported);
    return Succeed();
}

int J2KGetLastError()
{
    return tLastError;
}

const char* J2KGetErrorStr(int code)
{
    const char* text = "unknown error";
    switch (code) {
    case kJ2KErrorNone: text = "no error"; break;
    case kJ2KErrorBadArgument: text = "invalid argument"; break;
    case kJ2KErrorOpenFile: text = "cannot open the file"; break;
    case kJ2KErrorRead: text = "cannot read the stream"; break;
    case kJ2KErrorUnknownFormat: text = "not a J2K or JP2 file"; break;
    case kJ2KErrorHeader: text = "invalid header"; break;
    case kJ2KErrorUnsupported: text = "unsupported picture"; break;
    case kJ2KErrorTooLarge: text = "picture too large"; break;
    case kJ2KErrorBadOption: text = "invalid option"; break;
    case kJ2KErrorBufferTooSmall: text = "buffer too small"; break;
    case kJ2KErrorDecode: text = "decoding failed"; break;
    default: break;
    }
    if (code == tLastError && code != kJ2KErrorNone && !tLastMessage.empty()) {
        tErrorText = std::string(text) + ": " + tLastMessage;
        return tErrorText.c_str();
    }
    return text;
}

} // namespace Plat
