// JPEG files through libjpeg: a source manager over the pak layer, an error
// exit that returns to the reader, and the conversion of grey, RGB and CMYK
// scan lines into 0xAARRGGBB words.
#include "framework/graphics/ImageLib.h"

#include "framework/core/PakClient.h"

#include <csetjmp>
#include <cstdio>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace ImageLib {

namespace {

constexpr size_t kJpegBufferSize = 4096;

// Largest picture read, in pixels: bigger headers are refused before the
// library allocates anything for the picture.
constexpr uint64_t kMaxJpegPixels = uint64_t(1) << 26;

} // namespace

// The source manager record: the library's fields, then ours.
struct JpegPakSource {
    jpeg_source_mgr pub;
    PakFile* file;
    JOCTET* buffer;
    bool startOfFile;
};

// The standard error manager with the jump buffer of the error return.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

namespace {

// What a read needs after the error return, kept out of the frame that
// calls setjmp so no local is clobbered.
struct JpegReadState {
    jpeg_decompress_struct cinfo {};
    JpegErrorManager error {};
    PakFile* file = nullptr;
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

inline uint32_t MulDiv255(uint32_t a, uint32_t b)
{
    return (a * b + 127) / 255;
}

} // namespace

static void JpegErrorExit(j_common_ptr cinfo)
{
    (*cinfo->err->output_message)(cinfo);
    JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    longjmp(manager->jump, 1);
}

static void JpegInitSource(j_decompress_ptr cinfo)
{
    JpegPakSource* source = reinterpret_cast<JpegPakSource*>(cinfo->src);
    source->startOfFile = true;
}

static boolean JpegFillInputBuffer(j_decompress_ptr cinfo)
{
    JpegPakSource* source = reinterpret_cast<JpegPakSource*>(cinfo->src);
    size_t count = Lumo::PakRead(source->buffer, 1, kJpegBufferSize, source->file);
    if (count == 0) {
        if (source->startOfFile)
            ERREXIT(cinfo, JERR_INPUT_EMPTY);
        // A file cut short ends as if its end-of-image marker were there.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        count = 2;
    }
    source->pub.next_input_byte = source->buffer;
    source->pub.bytes_in_buffer = count;
    source->startOfFile = false;
    return TRUE;
}

static void JpegSkipInputData(j_decompress_ptr cinfo, long count)
{
    if (count <= 0)
        return;
    JpegPakSource* source = reinterpret_cast<JpegPakSource*>(cinfo->src);
    while (count > static_cast<long>(source->pub.bytes_in_buffer)) {
        count -= static_cast<long>(source->pub.bytes_in_buffer);
        JpegFillInputBuffer(cinfo);
    }
    source->pub.next_input_byte += count;
    source->pub.bytes_in_buffer -= static_cast<size_t>(count);
}

static void JpegTermSource(j_decompress_ptr)
{
}

static void JpegSetPakSource(j_decompress_ptr cinfo, PakFile* file)
{
    if (cinfo->src == nullptr) {
        cinfo->src = static_cast<jpeg_source_mgr*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegPakSource)));
        JpegPakSource* source = reinterpret_cast<JpegPakSource*>(cinfo->src);
        source->buffer = static_cast<JOCTET*>(
            (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kJpegBufferSize));
    }
    JpegPakSource* source = reinterpret_cast<JpegPakSource*>(cinfo->src);
    source->pub.init_source = JpegInitSource;
    source->pub.fill_input_buffer = JpegFillInputBuffer;
    source->pub.skip_input_data = JpegSkipInputData;
    source->pub.resync_to_restart = jpeg_resync_to_restart;
    source->pub.term_source = JpegTermSource;
    source->file = file;
    source->startOfFile = true;
    source->pub.bytes_in_buffer = 0;
    source->pub.next_input_byte = nullptr;
}

namespace {

// Decodes into state.pixels; false on any library error (which comes back
// to the setjmp here) or a picture this reader cannot convert.
bool JpegDecode(JpegReadState& state)
{
    jpeg_decompress_struct* cinfo = &state.cinfo;
    if (setjmp(state.error.jump))
        return false;

    jpeg_create_decompress(cinfo);
    JpegSetPakSource(cinfo, state.file);
    jpeg_read_header(cinfo, TRUE);
    if (uint64_t(cinfo->image_width) * cinfo->image_height > kMaxJpegPixels)
        return false;
    // Four-component files come out as CMYK and are turned into RGB below.
    if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK)
        cinfo->out_color_space = JCS_CMYK;
    jpeg_start_decompress(cinfo);

    const int components = cinfo->output_components;
    const bool cmyk = cinfo->out_color_space == JCS_CMYK;
    if (!(components == 1 || components == 3 || (components == 4 && cmyk)))
        return false;
    // Adobe's CMYK files hold the samples inverted.
    const bool inverted = cmyk && cinfo->saw_Adobe_marker;

    const JDIMENSION width = cinfo->output_width;
    const JDIMENSION height = cinfo->output_height;
    JSAMPARRAY line = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                                  width * static_cast<JDIMENSION>(components), 1);
    state.width = static_cast<int>(width);
    state.height = static_cast<int>(height);
    state.pixels = new (std::nothrow) uint32_t[size_t(width) * height];
    if (state.pixels == nullptr)
        return false;

    while (cinfo->output_scanline < height) {
        uint32_t* out = state.pixels + size_t(cinfo->output_scanline) * width;
        if (jpeg_read_scanlines(cinfo, line, 1) != 1)
            return false;
        const JSAMPLE* in = line[0];
        if (components == 1) {
            for (JDIMENSION x = 0; x < width; ++x) {
                const uint32_t g = in[x];
                out[x] = 0xFF000000 | (g << 16) | (g << 8) | g;
            }
        } else if (components == 3) {
            for (JDIMENSION x = 0; x < width; ++x, in += 3)
                out[x] = 0xFF000000 | (uint32_t(in[0]) << 16) | (uint32_t(in[1]) << 8) | in[2];
        } else {
            for (JDIMENSION x = 0; x < width; ++x, in += 4) {
                uint32_t c = in[0], m = in[1], y = in[2], k = in[3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    y = 255 - y;
                    k = 255 - k;
                }
                // Stored inverted, each channel is (255 - ink) and the ink
                // scales by the key: red = C' * K' / 255.
                out[x] = 0xFF000000 | (MulDiv255(c, k) << 16) | (MulDiv255(m, k) << 8) | MulDiv255(y, k);
            }
        }
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

} // namespace

Image* GetJPEGImage(const std::string& fileName)
{
    JpegReadState state;
    state.file = Lumo::PakOpen(fileName.c_str(), "rb");
    if (state.file == nullptr)
        return nullptr;
    state.cinfo.err = jpeg_std_error(&state.error.pub);
    state.error.pub.error_exit = JpegErrorExit;

    const bool ok = JpegDecode(state);
    jpeg_destroy_decompress(&state.cinfo);
    Lumo::PakClose(state.file);
    if (!ok) {
        delete[] state.pixels;
        return nullptr;
    }
    return new Image(state.width, state.height, state.pixels);
}

} // namespace ImageLib
