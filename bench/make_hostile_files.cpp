// Writes the hostile and large pictures that bench/hostile_files.py opens, row by row so that
// none of them is ever whole in memory here:
//   recording.gif  1600 x 1200, 120 frames: a desktop with a window whose text changes in every
//                  frame, each later frame the whole picture with the unchanged pixels
//                  transparent, about 2 MB, as a screen recording is
//   big30.gif      4000 x 3000, 30 whole-picture frames: a square moving over a pattern
//   huge.gif       20000 x 20000, one frame of broad bands: a few hundred KB
//   claims.bmp     about 1 KB of run-length BMP whose header claims 20000 x 20000 pixels
//   photo400.jpg   23094 x 17320 pixels (400 MP, just inside the cap of 400 million pixels)
//   small.jpg      64 x 48 pixels, the neighbour of the others
//
//   bench_make_hostile_files FOLDER
#include <gif_lib.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

// The same pseudo-random numbers on every run.
class Random {
public:
    std::uint32_t next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }

private:
    std::uint32_t m_state = 12345;
};

// Every later frame of a recording covers the whole picture, as many recorders write them: the
// pixels that did not change are transparent.
constexpr GifPixelType kTransparent = 15;

void check(int result, GifFileType* gif, const char* what) {
    if (result != GIF_OK) {
        throw std::runtime_error(std::string(what) + ": " + GifErrorString(gif->Error));
    }
}

// A GIF writer: the screen and a looping NETSCAPE block, then frames of rows.
class GifWriter {
public:
    GifWriter(const std::string& path, int width, int height,
              const std::vector<GifColorType>& colours, bool loops) {
        int error = 0;
        m_gif = EGifOpenFileName(path.c_str(), false, &error);
        if (m_gif == nullptr) {
            throw std::runtime_error(path + ": " + GifErrorString(error));
        }
        EGifSetGifVersion(m_gif, true);
        ColorMapObject* map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
        check(EGifPutScreenDesc(m_gif, width, height, 8, 0, map), m_gif, "screen");
        GifFreeMapObject(map);
        if (loops) {
            check(EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE), m_gif, "loop");
            check(EGifPutExtensionBlock(m_gif, 11, "NETSCAPE2.0"), m_gif, "loop");
            const unsigned char forever[] = {1, 0, 0};
            check(EGifPutExtensionBlock(m_gif, 3, forever), m_gif, "loop");
            check(EGifPutExtensionTrailer(m_gif), m_gif, "loop");
        }
    }
    ~GifWriter() {
        int error = 0;
        EGifCloseFile(m_gif, &error);
    }
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // A frame at (left, top) of width x height shown for `delay` hundredths, drawn over the
    // frame before; row(y, line) fills the frame's row y. In a frame that is `transparent`,
    // kTransparent leaves the pixel below as it was.
    template <typename Row>
    void frame(int left, int top, int width, int height, int delay, bool transparent, Row row) {
        const unsigned char control[] = {
            static_cast<unsigned char>(transparent ? 0x05 : 0x04),
            static_cast<unsigned char>(delay & 0xff), static_cast<unsigned char>(delay >> 8),
            static_cast<unsigned char>(transparent ? kTransparent : 0)};
        check(EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, 4, control), m_gif, "control");
        check(EGifPutImageDesc(m_gif, left, top, width, height, false, nullptr), m_gif, "frame");
        std::vector<GifPixelType> line(static_cast<std::size_t>(width));
        for (int y = 0; y < height; ++y) {
            row(y, line.data());
            check(EGifPutLine(m_gif, line.data(), width), m_gif, "row");
        }
    }

private:
    GifFileType* m_gif = nullptr;
};

std::vector<GifColorType> palette16() {
    std::vector<GifColorType> colours;
    for (int i = 0; i < 16; ++i) {
        colours.push_back({static_cast<GifByteType>(40 + i * 13),
                           static_cast<GifByteType>(200 - i * 11),
                           static_cast<GifByteType>((i * 67) % 256)});
    }
    colours[0] = {236, 236, 236};  // the window's background
    colours[1] = {20, 20, 20};     // its text
    return colours;
}

void writeRecording(const std::string& path) {
    constexpr int kWidth = 1600, kHeight = 1200;
    GifWriter gif(path, kWidth, kHeight, palette16(), true);
    // The desktop: broad coloured panels, a light window over them.
    gif.frame(0, 0, kWidth, kHeight, 10, false, [](int y, GifPixelType* line) {
        for (int x = 0; x < kWidth; ++x) {
            const bool window = x >= 300 && x < 1300 && y >= 200 && y < 1000;
            line[x] = window ? 0 : static_cast<GifPixelType>(2 + (x / 200 + y / 150) % 13);
        }
    });
    // Each later frame: a block of "text" typed in the window, a few lines further down.
    Random random;
    for (int f = 1; f < 120; ++f) {
        const int top = 220 + (f * 40) % 680;
        gif.frame(0, 0, kWidth, kHeight, 10, true, [&](int y, GifPixelType* line) {
            std::memset(line, kTransparent, kWidth);
            if (y < top || y >= top + 64) {
                return;
            }
            for (int x = 320; x < 1280; ++x) {
                const std::uint32_t ink = random.next();
                line[x] = static_cast<GifPixelType>(ink % 3 == 0 ? 1 + (ink >> 4) % 3 : 0);
            }
        });
    }
}

void writeBig30(const std::string& path) {
    constexpr int kWidth = 4000, kHeight = 3000;
    GifWriter gif(path, kWidth, kHeight, palette16(), true);
    gif.frame(0, 0, kWidth, kHeight, 10, false, [](int y, GifPixelType* line) {
        for (int x = 0; x < kWidth; ++x) {
            line[x] = static_cast<GifPixelType>((x / 250 + y / 250) % 15);
        }
    });
    // A square moving across, in whole-picture frames.
    for (int f = 1; f < 30; ++f) {
        gif.frame(0, 0, kWidth, kHeight, 10, true, [f](int y, GifPixelType* line) {
            std::memset(line, kTransparent, kWidth);
            const int left = f * 100, top = f * 70;
            if (y < top || y >= top + 500) {
                return;
            }
            for (int x = left; x < left + 500; ++x) {
                line[x] = static_cast<GifPixelType>((f + x / 50 + y / 50) % 15);
            }
        });
    }
}

void writeHuge(const std::string& path) {
    constexpr int kSide = 20000;
    GifWriter gif(path, kSide, kSide, palette16(), false);
    gif.frame(0, 0, kSide, kSide, 0, false, [](int y, GifPixelType* line) {
        std::memset(line, 2 + (y / 2500) % 8, kSide);
        // A few darker columns so that the bands are not all one run.
        for (int x = 0; x < kSide; x += 5000) {
            line[x] = 1;
        }
    });
}

void put16(std::vector<unsigned char>& out, unsigned value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void put32(std::vector<unsigned char>& out, std::uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

// A legal BI_RLE8 bitmap: 16 palette entries, 240 rows of a 255-pixel run, then the end of the
// bitmap; the pixels it leaves out are the first palette colour.
void writeClaims(const std::string& path) {
    std::vector<unsigned char> rle;
    for (int row = 0; row < 240; ++row) {
        rle.insert(rle.end(), {255, static_cast<unsigned char>(1 + row % 15), 0, 0});
    }
    rle.insert(rle.end(), {0, 1});
    const std::uint32_t offset = 14 + 40 + 16 * 4;
    std::vector<unsigned char> out = {'B', 'M'};
    put32(out, offset + static_cast<std::uint32_t>(rle.size()));
    put32(out, 0);
    put32(out, offset);
    put32(out, 40);
    put32(out, 20000);
    put32(out, 20000);
    put16(out, 1);
    put16(out, 8);
    put32(out, 1);  // BI_RLE8
    put32(out, static_cast<std::uint32_t>(rle.size()));
    put32(out, 3780);
    put32(out, 3780);
    put32(out, 16);
    put32(out, 0);
    for (const GifColorType& colour : palette16()) {
        out.insert(out.end(), {colour.Blue, colour.Green, colour.Red, 0});
    }
    out.insert(out.end(), rle.begin(), rle.end());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || std::fwrite(out.data(), 1, out.size(), file) != out.size() ||
        std::fclose(file) != 0) {
        throw std::runtime_error(path + ": cannot write");
    }
}

// Smooth colour fields with a fine ripple, written row by row.
void writeJpeg(const std::string& path, int width, int height) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        throw std::runtime_error(path + ": cannot write");
    }
    jpeg_compress_struct jpeg{};
    jpeg_error_mgr errors{};
    jpeg.err = jpeg_std_error(&errors);
    jpeg_create_compress(&jpeg);
    jpeg_stdio_dest(&jpeg, file);
    jpeg.image_width = static_cast<JDIMENSION>(width);
    jpeg.image_height = static_cast<JDIMENSION>(height);
    jpeg.input_components = 3;
    jpeg.in_color_space = JCS_RGB;
    jpeg_set_defaults(&jpeg);
    jpeg_set_quality(&jpeg, 80, true);
    jpeg.dct_method = JDCT_IFAST;
    jpeg_start_compress(&jpeg, true);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
    while (jpeg.next_scanline < jpeg.image_height) {
        const int y = static_cast<int>(jpeg.next_scanline);
        for (int x = 0; x < width; ++x) {
            JSAMPLE* pixel = &row[static_cast<std::size_t>(x) * 3];
            pixel[0] = static_cast<JSAMPLE>(x * 255 / width);
            pixel[1] = static_cast<JSAMPLE>(y * 255 / height);
            pixel[2] = static_cast<JSAMPLE>(128 + ((x ^ y) & 31));
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&jpeg, rows, 1);
    }
    jpeg_finish_compress(&jpeg);
    jpeg_destroy_compress(&jpeg);
    if (std::fclose(file) != 0) {
        throw std::runtime_error(path + ": cannot write");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    try {
        writeRecording(folder + "recording.gif");
        writeBig30(folder + "big30.gif");
        writeHuge(folder + "huge.gif");
        writeClaims(folder + "claims.bmp");
        writeJpeg(folder + "photo400.jpg", 23094, 17320);
        writeJpeg(folder + "small.jpg", 64, 48);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
