#pragma once
// Pictures and clips made by the tests themselves: PNG files written with libpng, Ogg Vorbis
// clips encoded with libvorbisenc, both scrambled like the plug-ins' resources.
#include <png.h>
#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace media {

using Bytes = std::vector<uint8_t>;

inline void Scramble(Bytes& bytes, uint8_t key) {
    for (uint8_t& b : bytes)
        b ^= key;
}

// A PNG of the given rows (each width * channels bytes); colorType and bitDepth as libpng
// names them. Interlaced when asked.
inline Bytes MakePng(int width, int height, const std::vector<Bytes>& rows,
                     int colorType = PNG_COLOR_TYPE_RGBA, int bitDepth = 8,
                     bool interlaced = false) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, bitDepth, colorType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_bytep> pointers;
    for (const Bytes& row : rows)
        pointers.push_back(const_cast<png_bytep>(row.data()));
    png_set_rows(png, info, pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// An RGBA picture whose pixel (x, y from the top) is f(x, y) as {r, g, b, a}.
template <class F>
Bytes MakeRgbaPng(int width, int height, F f, bool interlaced = false) {
    std::vector<Bytes> rows(height, Bytes(width * 4));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            auto px = f(x, y);
            for (int c = 0; c < 4; ++c)
                rows[y][4 * x + c] = px[c];
        }
    }
    return MakePng(width, height, rows, PNG_COLOR_TYPE_RGBA, 8, interlaced);
}

// An Ogg Vorbis clip: a quiet sine of the given length.
inline Bytes MakeOgg(int channels, long rate, double seconds) {
    Bytes out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.1f) != 0) {
        vorbis_info_clear(&vi);
        return out;
    }
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    ogg_packet header, comment, code;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comment);
    ogg_stream_packetin(&os, &code);
    ogg_page page;
    auto emit = [&] {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    while (ogg_stream_flush(&os, &page) != 0)
        emit();
    const long total = static_cast<long>(seconds * rate);
    long done = 0;
    bool eos = false;
    while (!eos) {
        const long n = std::min(1024L, total - done);
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (long i = 0; i < n; ++i) {
                for (int c = 0; c < channels; ++c) {
                    buffer[c][i] = 0.3f * static_cast<float>(std::sin((done + i) * 0.05));
                }
            }
            done += n;
        }
        vorbis_analysis_wrote(&vd, n > 0 ? static_cast<int>(n) : 0);
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet) != 0) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    emit();
                    if (ogg_page_eos(&page))
                        eos = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

}  // namespace media
