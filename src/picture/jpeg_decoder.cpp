#include "picture/jpeg_decoder.h"

// jpeglib.h uses FILE and size_t without including their headers.
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "picture/color_management.h"
#include "picture/image_scale.h"
#include "picture/picture_loader.h"
#include "win/error.h"

namespace plivora {
namespace {

constexpr std::size_t kSourceBufferBytes = 1 << 16;

[[noreturn]] void invalidJpeg() {
    throw Error(ErrorNumber::InvalidPicture);
}

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// libjpeg's fatal errors come back to the jump set before each call into it.
[[noreturn]] void onFatalError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings are about damage libjpeg decodes past (stray bytes before a marker, a bad restart
// marker): the picture shows what could be decoded. Running out of data is not one of them here:
// the source makes it an error.
void onMessage(j_common_ptr, int) {}

struct Source {
    jpeg_source_mgr base;
    ByteReader* reader;
    JOCTET* buffer;
};

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInputBuffer(j_decompress_ptr info) {
    auto* source = reinterpret_cast<Source*>(info->src);
    const std::size_t got = source->reader->read(source->buffer, kSourceBufferBytes);
    if (got == 0) {
        // libjpeg's own sources go on with a made-up end marker and grey pixels; a file that
        // ends before its end marker is cut short.
        ERREXIT(info, JERR_INPUT_EOF);
    }
    source->base.next_input_byte = source->buffer;
    source->base.bytes_in_buffer = got;
    return TRUE;
}

void skipInputData(j_decompress_ptr info, long count) {
    auto* source = reinterpret_cast<Source*>(info->src);
    while (count > 0) {
        if (source->base.bytes_in_buffer == 0) {
            fillInputBuffer(info);
        }
        const std::size_t step =
            std::min(static_cast<std::size_t>(count), source->base.bytes_in_buffer);
        source->base.next_input_byte += step;
        source->base.bytes_in_buffer -= step;
        count -= static_cast<long>(step);
    }
}

// The orientation tag (0x0112) of the first EXIF segment's first image directory, 1 to 8; 1
// (stored upright) when there is none or it is out of range. Every offset is checked against
// the segment.
int exifOrientation(const jpeg_decompress_struct& info) {
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker; marker = marker->next) {
        if (marker->marker != JPEG_APP0 + 1 || marker->data_length < 6 + 8 ||
            std::memcmp(marker->data, "Exif\0\0", 6) != 0) {
            continue;
        }
        const unsigned char* tiff = marker->data + 6;
        const std::size_t size = marker->data_length - 6;
        const bool little = tiff[0] == 'I' && tiff[1] == 'I';
        if (!little && !(tiff[0] == 'M' && tiff[1] == 'M')) {
            return 1;
        }
        auto u16 = [&](std::size_t at) {
            return little ? unsigned(tiff[at] | (tiff[at + 1] << 8))
                          : unsigned((tiff[at] << 8) | tiff[at + 1]);
        };
        auto u32 = [&](std::size_t at) {
            return little ? (std::uint32_t(u16(at + 2)) << 16) | u16(at)
                          : (std::uint32_t(u16(at)) << 16) | u16(at + 2);
        };
        const std::uint64_t directory = u32(4);
        if (u16(2) != 42 || directory + 2 > size) {
            return 1;
        }
        const unsigned count = u16(static_cast<std::size_t>(directory));
        for (unsigned i = 0; i < count; ++i) {
            const std::uint64_t entry = directory + 2 + 12ull * i;
            if (entry + 12 > size) {
                break;
            }
            const auto at = static_cast<std::size_t>(entry);
            if (u16(at) == 0x0112) {
                const unsigned value = u16(at + 8);
                return u16(at + 2) == 3 && value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
            }
        }
        return 1;
    }
    return 1;
}

// Turns pixels stored the way EXIF orientation `orientation` names into upright ones: the
// upright picture's pixel (x, y) is the stored pixel at base + x * stepX + y * stepY.
Image upright(Image stored, int orientation) {
    if (orientation <= 1) {
        return stored;
    }
    const std::ptrdiff_t w = stored.width;
    const std::ptrdiff_t h = stored.height;
    const std::ptrdiff_t last = h * w - 1;
    struct Walk {
        std::ptrdiff_t base, stepX, stepY;
    };
    const Walk walks[] = {
        {w - 1, -1, w},        // 2: mirrored left to right
        {last, -1, -w},        // 3: turned half round
        {(h - 1) * w, 1, -w},  // 4: mirrored top to bottom
        {0, w, 1},             // 5: mirrored along the main diagonal
        {(h - 1) * w, -w, 1},  // 6: to be turned a quarter clockwise
        {last, -w, -1},        // 7: mirrored along the other diagonal
        {w - 1, w, -1},        // 8: to be turned a quarter anticlockwise
    };
    const Walk& walk = walks[orientation - 2];
    const bool turned = orientation >= 5;
    Image result(turned ? stored.height : stored.width, turned ? stored.width : stored.height);
    std::uint32_t* out = result.pixels.data();
    for (int y = 0; y < result.height; ++y) {
        std::ptrdiff_t from = walk.base + y * walk.stepY;
        for (int x = 0; x < result.width; ++x, from += walk.stepX) {
            *out++ = stored.pixels[static_cast<std::size_t>(from)];
        }
    }
    return result;
}

struct Size {
    int width = 0;
    int height = 0;
};

// One pass over the data through libjpeg. Each call into libjpeg goes through guarded(), which
// sets the jump its errors come back to; nothing with a destructor lives between that jump and
// libjpeg.
class Decompressor {
public:
    explicit Decompressor(const PictureInput& input)
        : m_reader(input.open()), m_buffer(kSourceBufferBytes) {
        m_info.err = jpeg_std_error(&m_error.base);
        m_error.base.error_exit = onFatalError;
        m_error.base.emit_message = onMessage;
        if (!guarded([this] { jpeg_create_decompress(&m_info); })) {
            throw std::bad_alloc();
        }
        try {
            readHeader();
        } catch (...) {
            jpeg_destroy_decompress(&m_info);
            throw;
        }
    }
    ~Decompressor() { jpeg_destroy_decompress(&m_info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    Size stored() const {
        return {static_cast<int>(m_info.image_width), static_cast<int>(m_info.image_height)};
    }
    int orientation() const { return exifOrientation(m_info); }

    // The ICC profile of the APP2 "ICC_PROFILE" segments, its chunks joined in the order their
    // sequence numbers give; empty when there is none or the chunks do not add up to one.
    std::string iccProfile() {
        JOCTET* data = nullptr;
        unsigned int length = 0;
        const bool read = guarded([&] {
            if (!jpeg_read_icc_profile(&m_info, &data, &length)) {
                length = 0;
            }
        });
        std::string profile;
        if (read && data) {
            profile.assign(reinterpret_cast<const char*>(data), length);
        }
        std::free(data);
        return profile;
    }

    bool cmyk() const {
        return m_info.jpeg_color_space == JCS_CMYK || m_info.jpeg_color_space == JCS_YCCK;
    }
    // How decode() lays out the pixels: CMYK as stored, which is inverted when Adobe's segment
    // names the file's colours (Adobe's writers store it so, and the libraries that write the
    // segment follow them).
    PixelLayout layout() const {
        return !cmyk()                   ? PixelLayout::Rgb
               : m_info.saw_Adobe_marker ? PixelLayout::InvertedCmyk
                                         : PixelLayout::Cmyk;
    }

    // Decodes the pixels at 1/2^shift of the stored size, as stored, laid out as layout() says.
    Image decode(int shift) {
        const bool cmyk = this->cmyk();
        // BGRA bytes are Image's 0xAARRGGBB words on a little-endian machine, alpha 0xFF.
        m_info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
        m_info.scale_num = 1;
        m_info.scale_denom = 1u << shift;
        if (!guarded([this] { jpeg_calc_output_dimensions(&m_info); })) {
            invalidJpeg();
        }
        Image image(static_cast<int>(m_info.output_width), static_cast<int>(m_info.output_height));
        const bool decoded = guarded([&] {
            jpeg_start_decompress(&m_info);
            if (m_info.output_width != static_cast<JDIMENSION>(image.width) ||
                m_info.output_height != static_cast<JDIMENSION>(image.height) ||
                m_info.output_components != 4) {
                ERREXIT(&m_info, JERR_BAD_LENGTH);
            }
            while (m_info.output_scanline < m_info.output_height) {
                std::uint32_t* row = image.pixels.data() +
                                     std::size_t(m_info.output_scanline) * std::size_t(image.width);
                JSAMPROW target = reinterpret_cast<JSAMPROW>(row);
                jpeg_read_scanlines(&m_info, &target, 1);
            }
            jpeg_finish_decompress(&m_info);
        });
        if (!decoded) {
            invalidJpeg();
        }
        return image;
    }

private:
    void readHeader() {
        m_source.base.init_source = initSource;
        m_source.base.fill_input_buffer = fillInputBuffer;
        m_source.base.skip_input_data = skipInputData;
        m_source.base.resync_to_restart = jpeg_resync_to_restart;
        m_source.base.term_source = termSource;
        m_source.reader = m_reader.get();
        m_source.buffer = m_buffer.data();
        m_info.src = &m_source.base;
        if (!guarded([this] {
                jpeg_save_markers(&m_info, JPEG_APP0 + 1, 0xFFFF);
                jpeg_save_markers(&m_info, JPEG_APP0 + 2, 0xFFFF);
                jpeg_read_header(&m_info, TRUE);
            })) {
            invalidJpeg();
        }
        checkPictureSize(m_info.image_width, m_info.image_height);
    }

    template <typename Step>
    bool guarded(Step step) {
        if (setjmp(m_error.jump) != 0) {
            return false;
        }
        step();
        return true;
    }

    std::unique_ptr<ByteReader> m_reader;
    std::vector<JOCTET> m_buffer;
    ErrorManager m_error{};
    Source m_source{};
    jpeg_decompress_struct m_info{};
};

// The upright pixels at 1/2^shift of the stored size in the display's colours: the one way every
// set of a JPEG's pixels is made. The profile is read before the decode, whose end frees the saved
// segments.
Image displayPixels(Decompressor& decompressor, int shift, int orientation) {
    const std::string profile = decompressor.iccProfile();
    const PixelLayout layout = decompressor.layout();
    Image image = decompressor.decode(shift);
    toDisplayColors(image, profile, layout);
    return upright(std::move(image), orientation);
}

// How many halvings (0 to 3, libjpeg's 1/2, 1/4 and 1/8) the load-time decode of a picture of
// this size takes while its longer side stays at least kReducedMinLongSidePx.
int reductionShift(Size size) {
    const int longSide = std::max(size.width, size.height);
    int shift = 0;
    while (shift < 3 && (longSide >> (shift + 1)) >= kReducedMinLongSidePx) {
        ++shift;
    }
    return shift;
}

// A JPEG: its upright natural size, its upright pixels at a reduced scale when it was decoded
// that way, and its full pixels once decoded.
class JpegPictureSource : public PictureSource {
public:
    JpegPictureSource(PictureInput input, Size stored, int orientation, Image reduced, Image full)
        : m_input(std::move(input)),
          m_stored(stored),
          m_orientation(orientation),
          m_reduced(std::move(reduced)),
          m_full(std::move(full)) {}

    int width() const override { return m_orientation >= 5 ? m_stored.height : m_stored.width; }
    int height() const override { return m_orientation >= 5 ? m_stored.width : m_stored.height; }

    const Image& fullImage() override {
        if (m_full.isNull() && !m_fullAttempted) {
            m_fullAttempted = true;
            m_full = decodeFullOrStandIn();
        }
        return m_full.isNull() ? m_reduced : m_full;
    }

    const Image& imageForSize(int widthPx, int heightPx) override {
        if (!m_reduced.isNull() && m_reduced.width >= widthPx && m_reduced.height >= heightPx) {
            return m_reduced;
        }
        return fullImage();
    }

    std::size_t heldBytes() const override { return pixelBytes(m_reduced) + pixelBytes(m_full); }

private:
    Image decodeFullOrStandIn() {
        try {
            Decompressor decompressor(m_input);
            const Size size = decompressor.stored();
            if (size.width != m_stored.width || size.height != m_stored.height) {
                throw Error(ErrorNumber::InvalidPicture);
            }
            return displayPixels(decompressor, 0, m_orientation);
        } catch (const Error&) {
            // The file vanished, changed, or no longer decodes.
        } catch (const std::bad_alloc&) {
        }
        try {
            return scaleImage(m_reduced, width(), height());
        } catch (const std::bad_alloc&) {
            // Not even the stand-in's memory could be had; the reduced pixels serve.
        }
        return Image();
    }

    PictureInput m_input;
    Size m_stored;
    int m_orientation;
    Image m_reduced;
    Image m_full;
    bool m_fullAttempted = false;
};

}  // namespace

std::shared_ptr<PictureSource> decodeJpeg(const PictureInput& input, LoadScale scale) {
    Decompressor decompressor(input);
    const Size stored = decompressor.stored();
    const int orientation = decompressor.orientation();
    const int shift = scale == LoadScale::Reduced ? reductionShift(stored) : 0;
    Image pixels = displayPixels(decompressor, shift, orientation);
    if (shift > 0) {
        return std::make_shared<JpegPictureSource>(input, stored, orientation, std::move(pixels),
                                                   Image());
    }
    return std::make_shared<JpegPictureSource>(input, stored, orientation, Image(),
                                               std::move(pixels));
}

PixelSize jpegNaturalSize(const PictureInput& input) {
    const Decompressor decompressor(input);
    const Size stored = decompressor.stored();
    return decompressor.orientation() >= 5 ? PixelSize{stored.height, stored.width}
                                           : PixelSize{stored.width, stored.height};
}

namespace {

class JpegDecoder : public PictureDecoder {
public:
    bool sniff(std::span<const unsigned char> head) const override {
        return hasSignature(head, {0xFF, 0xD8, 0xFF});
    }
    PixelSize naturalSize(const PictureInput& input) const override {
        return jpegNaturalSize(input);
    }
    // libjpeg scales by itself, and the picture decodes its larger pixels itself; it turns each
    // set into the display's colours with the file's colour layout.
    Picture load(const PictureInput& input, LoadScale scale) const override {
        return Picture(decodeJpeg(input, scale));
    }
};

}  // namespace

const PictureDecoder& jpegDecoder() {
    static const JpegDecoder decoder;
    return decoder;
}

}  // namespace plivora
