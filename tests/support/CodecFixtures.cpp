#include "support/CodecFixtures.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <openjpeg.h>

namespace LumoTest {

namespace {

// ---- PNG

int PngChannels(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: return 1;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_PALETTE: return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    default: return 4;
    }
}

void PngWriteToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp)
{
}

// The rows packed as the file stores them.
std::vector<std::vector<uint8_t>> PackRows(const PngFixture& f)
{
    const int channels = PngChannels(f.colorType);
    const size_t rowBits = size_t(f.width) * channels * f.bitDepth;
    std::vector<std::vector<uint8_t>> rows(size_t(f.height), std::vector<uint8_t>((rowBits + 7) / 8));
    for (int y = 0; y < f.height; ++y) {
        std::vector<uint8_t>& row = rows[y];
        for (int i = 0; i < f.width * channels; ++i) {
            const size_t index = size_t(y) * f.width * channels + i;
            const uint16_t sample = index < f.samples.size() ? f.samples[index] : 0;
            if (f.bitDepth == 16) {
                row[i * 2] = uint8_t(sample >> 8);
                row[i * 2 + 1] = uint8_t(sample);
            } else if (f.bitDepth == 8) {
                row[i] = uint8_t(sample);
            } else {
                const size_t bit = size_t(i) * f.bitDepth;
                const int shift = 8 - f.bitDepth - int(bit % 8);
                row[bit / 8] |= uint8_t((sample & ((1 << f.bitDepth) - 1)) << shift);
            }
        }
    }
    return rows;
}

bool PngEncode(const PngFixture& f, png_structp png, png_infop info, std::vector<std::vector<uint8_t>>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, png_uint_32(f.width), png_uint_32(f.height), f.bitDepth, f.colorType,
                 f.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (uint32_t entry : f.palette)
        palette.push_back(png_color{png_byte(entry >> 16), png_byte(entry >> 8), png_byte(entry)});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    std::vector<png_byte> alpha(f.paletteAlpha.begin(), f.paletteAlpha.end());
    if (!alpha.empty())
        png_set_tRNS(png, info, alpha.data(), int(alpha.size()), nullptr);
    if (f.transparentGray >= 0) {
        png_color_16 value {};
        value.gray = png_uint_16(f.transparentGray);
        png_set_tRNS(png, info, nullptr, 0, &value);
    }
    std::vector<png_bytep> pointers;
    for (auto& row : rows)
        pointers.push_back(row.data());
    png_set_rows(png, info, pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

// ---- J2K

struct MemoryStream {
    std::vector<uint8_t> bytes;
    size_t position = 0;
};

OPJ_SIZE_T StreamWrite(void* buffer, OPJ_SIZE_T count, void* data)
{
    auto& s = *static_cast<MemoryStream*>(data);
    if (s.position + count > s.bytes.size())
        s.bytes.resize(s.position + count);
    std::memcpy(s.bytes.data() + s.position, buffer, count);
    s.position += count;
    return count;
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T count, void* data)
{
    auto& s = *static_cast<MemoryStream*>(data);
    s.position = size_t(OPJ_OFF_T(s.position) + count);
    if (s.position > s.bytes.size())
        s.bytes.resize(s.position);
    return count;
}

OPJ_BOOL StreamSeek(OPJ_OFF_T offset, void* data)
{
    auto& s = *static_cast<MemoryStream*>(data);
    s.position = size_t(offset);
    if (s.position > s.bytes.size())
        s.bytes.resize(s.position);
    return OPJ_TRUE;
}

int CeilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

} // namespace

std::vector<uint8_t> CodecFixtures::Png(const PngFixture& fixture)
{
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, PngWriteToVector, PngFlush);
    std::vector<std::vector<uint8_t>> rows = PackRows(fixture);
    const bool ok = PngEncode(fixture, png, info, rows);
    png_destroy_write_struct(&png, &info);
    if (!ok)
        out.clear();
    return out;
}

std::vector<uint8_t> CodecFixtures::Jpeg(const JpegFixture& f)
{
    jpeg_compress_struct cinfo {};
    jpeg_error_mgr error {};
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(f.width);
    cinfo.image_height = JDIMENSION(f.height);
    cinfo.input_components = f.components;
    cinfo.in_color_space = f.components == 1 ? JCS_GRAYSCALE : f.components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    if (f.components == 4)
        jpeg_set_colorspace(&cinfo, f.storeCmykAsYcck ? JCS_YCCK : JCS_CMYK);
    jpeg_set_quality(&cinfo, f.quality, TRUE);
    if (f.progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> row(size_t(f.width) * f.components);
    while (cinfo.next_scanline < cinfo.image_height) {
        const size_t start = size_t(cinfo.next_scanline) * row.size();
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = start + i < f.samples.size() ? f.samples[start + i] : 0;
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&cinfo, &pointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

std::vector<uint8_t> CodecFixtures::J2K(const J2KFixture& f)
{
    const int count = int(f.components.size());
    std::vector<opj_image_cmptparm_t> parameters(static_cast<size_t>(count));
    int smallest = f.width < f.height ? f.width : f.height;
    for (int i = 0; i < count; ++i) {
        const J2KComponent& c = f.components[i];
        opj_image_cmptparm_t& p = parameters[i];
        std::memset(&p, 0, sizeof p);
        p.dx = OPJ_UINT32(c.dx);
        p.dy = OPJ_UINT32(c.dy);
        p.w = OPJ_UINT32(CeilDiv(f.width, c.dx));
        p.h = OPJ_UINT32(CeilDiv(f.height, c.dy));
        p.prec = OPJ_UINT32(c.precision);
        p.sgnd = c.isSigned ? 1 : 0;
        const int side = int(p.w < p.h ? p.w : p.h);
        if (side < smallest)
            smallest = side;
    }
    const OPJ_COLOR_SPACE space = count >= 3 ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY;
    opj_image_t* image = opj_image_create(OPJ_UINT32(count), parameters.data(), space);
    if (image == nullptr)
        return {};
    image->x0 = 0;
    image->y0 = 0;
    image->x1 = OPJ_UINT32(f.width);
    image->y1 = OPJ_UINT32(f.height);
    for (int i = 0; i < count; ++i) {
        const J2KComponent& c = f.components[i];
        const size_t samples = size_t(parameters[i].w) * parameters[i].h;
        for (size_t k = 0; k < samples; ++k)
            image->comps[i].data[k] = k < c.samples.size() ? c.samples[k] : 0;
    }

    opj_cparameters_t settings;
    opj_set_default_encoder_parameters(&settings);
    settings.tcp_numlayers = 1;
    settings.tcp_rates[0] = 0; // lossless
    settings.cp_disto_alloc = 1;
    settings.irreversible = 0;
    settings.tcp_mct = 0;
    int resolutions = 1;
    while (resolutions < 6 && (1 << resolutions) <= smallest)
        ++resolutions;
    settings.numresolution = f.resolutions > 0 ? f.resolutions : resolutions;
    if (f.tileSize > 0) {
        settings.tile_size_on = OPJ_TRUE;
        settings.cp_tdx = f.tileSize;
        settings.cp_tdy = f.tileSize;
    }

    MemoryStream memory;
    opj_codec_t* codec = opj_create_compress(f.jp2 ? OPJ_CODEC_JP2 : OPJ_CODEC_J2K);
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_FALSE);
    opj_stream_set_user_data(stream, &memory, nullptr);
    opj_stream_set_write_function(stream, StreamWrite);
    opj_stream_set_skip_function(stream, StreamSkip);
    opj_stream_set_seek_function(stream, StreamSeek);
    const bool ok = opj_setup_encoder(codec, &settings, image) && opj_start_compress(codec, image, stream) &&
                    opj_encode(codec, stream) && opj_end_compress(codec, stream);
    opj_stream_destroy(stream);
    opj_destroy_codec(codec);
    opj_image_destroy(image);
    if (!ok)
        return {};
    return memory.bytes;
}

} // namespace LumoTest
