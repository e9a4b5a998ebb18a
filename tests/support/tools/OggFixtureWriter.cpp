// Writes an Ogg Vorbis file for the sound tests: a 440 Hz tone on the first
// channel and 660 Hz on the second, at half of full scale. Its own program,
// because the encoder library and the program's integer decoder export the
// same symbol names and must never share a binary.
//
//   lumo_ogg_fixture OUT.ogg CHANNELS RATE FRAMES
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

bool WritePage(FILE* out, const ogg_page& page)
{
    return std::fwrite(page.header, 1, size_t(page.header_len), out) == size_t(page.header_len) &&
           std::fwrite(page.body, 1, size_t(page.body_len), out) == size_t(page.body_len);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s OUT.ogg CHANNELS RATE FRAMES\n", argv[0]);
        return 2;
    }
    const int channels = std::atoi(argv[2]);
    const long rate = std::atol(argv[3]);
    const long frames = std::atol(argv[4]);
    if (channels < 1 || channels > 2 || rate < 8000 || frames < 0)
        return 2;
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr)
        return 1;

    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, 0.6f) != 0)
        return 1;
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1);

    ogg_packet header;
    ogg_packet headerComment;
    ogg_packet headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    bool ok = true;
    while (ogg_stream_flush(&stream, &page) != 0)
        ok = ok && WritePage(out, page);

    const double pi = 3.14159265358979323846;
    long done = 0;
    bool ended = false;
    while (!ended) {
        const long count = frames - done < 1024 ? frames - done : 1024;
        if (count > 0) {
            float** buffer = vorbis_analysis_buffer(&dsp, int(count));
            for (long i = 0; i < count; ++i) {
                const double t = double(done + i) / double(rate);
                buffer[0][i] = float(0.5 * std::sin(2.0 * pi * 440.0 * t));
                if (channels == 2)
                    buffer[1][i] = float(0.5 * std::sin(2.0 * pi * 660.0 * t));
            }
            vorbis_analysis_wrote(&dsp, int(count));
            done += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    ok = ok && WritePage(out, page);
                    if (ogg_page_eos(&page) != 0)
                        ended = true;
                }
            }
        }
    }

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return std::fclose(out) == 0 && ok ? 0 : 1;
}
