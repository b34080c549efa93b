// The plug-ins' scrambled pictures and clips, made here with libpng and libvorbisenc.
#include <gtest/gtest.h>
#include <png.h>
#include <vorbis/vorbisenc.h>

#include <array>
#include <cmath>

#include "character/picture_decode.h"
#include "common/scramble.h"
#include "tests/support/failing_allocation.h"
#include "tests/support/pictures_reference.h"
#include "voice/clip_decode.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Scrambled(Bytes bytes) {
    for (uint8_t& b : bytes) {
        b ^= ScrambleKey;
    }
    return bytes;
}

// A scrambled PNG whose pixel (x, y from the top) is f(x, y) as {r, g, b, a} (channels and
// depth as libpng names them; the rows are f's bytes repeated when there are more).
template <class F>
Bytes Png(int width, int height, F f, bool interlaced = false, int type = PNG_COLOR_TYPE_RGBA,
          int depth = 8) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, depth, type,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<Bytes> rows(height, Bytes(width * 8));
    std::vector<png_bytep> pointers;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * 8; ++x) {
            rows[y][x] = f(x / 4, y)[x % 4];
        }
        pointers.push_back(rows[y].data());
    }
    png_set_rows(png, info, pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return Scrambled(out);
}

// A scrambled Ogg Vorbis clip: a quiet sine of the given length.
Bytes Ogg(int channels, long rate, double seconds) {
    Bytes out;
    vorbis_info vi;
    vorbis_info_init(&vi);
    EXPECT_EQ(vorbis_encode_init_vbr(&vi, channels, rate, 0.1f), 0);
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block vb;
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);
    ogg_packet header, comment, code, packet;
    vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
    for (ogg_packet* p : {&header, &comment, &code}) {
        ogg_stream_packetin(&os, p);
    }
    ogg_page page;
    const auto emit = [&] {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
        return ogg_page_eos(&page) != 0;
    };
    while (ogg_stream_flush(&os, &page) != 0) {
        emit();
    }
    const long total = static_cast<long>(seconds * rate);
    for (long done = 0, eos = 0; eos == 0;) {
        const long n = std::max(0L, std::min(1024L, total - done));
        if (n > 0) {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (long i = 0; i < n * channels; ++i) {
                buffer[i % channels][i / channels] = 0.3f * std::sin((done + i / channels) * 0.05f);
            }
            done += n;
        }
        vorbis_analysis_wrote(&vd, static_cast<int>(n));
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            while (vorbis_bitrate_flushpacket(&vd, &packet) != 0) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    eos |= emit();
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return Scrambled(out);
}

using Px = std::array<uint8_t, 4>;

bool Decode(const Bytes& bytes, int w, int h, PixelImage& out) {
    return DecodeScrambledPicture(bytes.data(), bytes.size(), ScrambleKey, w, h, out);
}

uint32_t Get32(const std::vector<uint8_t>& v, size_t at) {
    return v[at] | v[at + 1] << 8 | v[at + 2] << 16 | uint32_t{v[at + 3]} << 24;
}

TEST(Pictures, PremultipliedTopRowLastAndComposedBesideTheBalloon) {
    EXPECT_EQ(PremultiplyPixel(200, 100, 51, 128), 0x80643219u);  // truncated
    for (bool interlaced : {false, true}) {
        PixelImage image;
        ASSERT_TRUE(Decode(Png(
                               3, 4,
                               [](int x, int y) {
                                   return Px{uint8_t(x), uint8_t(y), 7, 255};
                               },
                               interlaced),
                           3, 4, image));
        EXPECT_EQ(image.At(0, 3), 0xFF000007u);  // the picture's top-left
        EXPECT_EQ(image.At(2, 0), 0xFF020307u);
    }
    PixelImage b, p, composed;
    ASSERT_TRUE(Decode(Png(BalloonWidth, 2,
                           [](int, int) {
                               return Px{255, 255, 255, 255};
                           }),
                       BalloonWidth, 2, b));
    ASSERT_TRUE(Decode(Png(kPoseWidth, 2,
                           [](int x, int) {
                               return Px{uint8_t(x), 0, 0, uint8_t(x ? 255 : 0)};
                           }),
                       kPoseWidth, 2, p));
    ASSERT_TRUE(ComposeWithBalloon(b, p, composed));
    EXPECT_EQ(composed.At(244, 1), 0xFFFFFFFFu);
    EXPECT_EQ(composed.At(245, 1), 0u);
    EXPECT_EQ(composed.At(419, 0), 0xFFAE0000u);
}

TEST(Pictures, AnythingButTheExpectedRgbaPictureIsRefused) {
    const auto f = [](int, int) { return Px{1, 2, 3, 4}; };
    const Bytes good = Png(4, 4, f);
    PixelImage image;
    ASSERT_TRUE(Decode(good, 4, 4, image));
    EXPECT_FALSE(Decode(Scrambled(good), 4, 4, image)) << "not scrambled";
    EXPECT_FALSE(Decode(good, 4, 5, image));
    EXPECT_FALSE(Decode(Png(4, 4, f, false, PNG_COLOR_TYPE_RGB), 4, 4, image));
    EXPECT_FALSE(Decode(Png(4, 4, f, false, PNG_COLOR_TYPE_RGBA, 16), 4, 4, image));
    EXPECT_FALSE(Decode(Bytes(good.begin(), good.begin() + 40), 4, 4, image));
    EXPECT_TRUE(image.pixels.empty());
}

TEST(Clips, AScrambledClipBecomesAWaveImageOfItsLength) {
    for (auto [channels, rate] : {std::pair{1, 22050L}, std::pair{2, 44100L}}) {
        const Bytes ogg = Ogg(channels, rate, 0.5);
        VoiceBuffers buffers;
        std::vector<uint8_t> wave;
        ASSERT_TRUE(DecodeClipToWave(ogg.data(), ogg.size(), ScrambleKey, buffers, wave));
        const uint32_t bytes = static_cast<uint32_t>(rate / 2) * 2 * channels;
        EXPECT_EQ(wave.size(), 44 + bytes);
        EXPECT_EQ(Get32(wave, 28), static_cast<uint32_t>(rate * 2 * channels));
        EXPECT_EQ(Get32(wave, 40), bytes);
        EXPECT_FALSE(DecodeClipToWave(ogg.data(), ogg.size(), ScrambleKey ^ 1, buffers, wave));
    }
}

TEST(Clips, BuffersThatCannotBeHadMakeASilentClipAndALongClipIsCut) {
    const Bytes ogg = Ogg(2, 44100, 120.0);  // about 116 s fit
    VoiceBuffers buffers;
    std::vector<uint8_t> wave{1, 2, 3};
    {
        FailingAllocations noBigBlocks(VoiceBufferSize);
        EXPECT_FALSE(DecodeClipToWave(ogg.data(), ogg.size(), ScrambleKey, buffers, wave));
    }
    EXPECT_TRUE(wave.empty());
    ASSERT_TRUE(DecodeClipToWave(ogg.data(), ogg.size(), ScrambleKey, buffers, wave));
    EXPECT_GT(Get32(wave, 40), VoiceBufferSize - 4096);
}

TEST(Clips, TheSourceCallbacksReadWholeElementsAndSeekInRange) {
    const uint8_t data[5] = {1 ^ 0x5A, 2 ^ 0x5A, 3 ^ 0x5A, 4 ^ 0x5A, 5 ^ 0x5A};
    VoiceSource s{data, 5, 0, 0x5A};
    uint8_t out[8] = {};
    EXPECT_EQ(ReadVoiceBytes(out, 2, 10, &s), 2u);  // 4 of 5 bytes: whole elements only
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(SeekVoice(&s, -6, 1), -1);
    EXPECT_EQ(SeekVoice(&s, 25, 0), 0);  // past the end is allowed
    EXPECT_EQ(ReadVoiceBytes(out, 1, 4, &s), 0u);
    EXPECT_EQ(SeekVoice(&s, 0x100000002LL, 0), 0);  // the low 32 bits count
    EXPECT_EQ(TellVoice(&s), 2);
    EXPECT_EQ(SeekVoice(&s, -1, 2), 0);
    EXPECT_EQ(TellVoice(&s), 4);
}

}  // namespace
