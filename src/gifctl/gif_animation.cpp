// The animation's lifetime, its properties and the load: reading a GIF file, splitting it into
// frame files and loading them as kept frames.

#include "gifctl/gif_animation.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "gifctl/frame_files.h"
#include "picture/picture_loader.h"
#include "win/error.h"
#include "win/file_io.h"
#include "win/temp_files.h"

namespace plivora {

namespace {

// The largest GIF file read into memory. Positions in the file are 32-bit, and an animation
// larger than this is far beyond what the control is for.
constexpr std::int64_t kMaxGifFileBytes = 256LL * 1024 * 1024;
// The most memory the kept frames of one file may take together: 1 GiB, a billion pixels at one
// byte a pixel.
constexpr std::int64_t kMaxFrameStoreBytes = 1024LL * 1024 * 1024;

// Reads a GIF file whole, in one go after its signature. The signature is read first: every
// picture the main window shows passes through here, and a file that is not a GIF (a photograph
// of many megabytes) is left after its first four bytes rather than copied into memory only to
// be dropped. Empty when the file is not a GIF. Error 53 when it does not exist, 75 when it
// cannot be opened or read as a file, 9 when it is shorter than a signature, 7 when a GIF is too
// large.
std::optional<std::vector<std::uint8_t>> readGifFile(const std::string& path) {
    ReadableFile file(path);
    std::vector<std::uint8_t> bytes(4);
    bytes.resize(file.read(bytes.data(), bytes.size()));
    if (!hasGifSignature(bytes)) {
        return std::nullopt;
    }
    file.readRest(bytes, kMaxGifFileBytes);
    return bytes;
}

}  // namespace

GifAnimation::GifAnimation(GdiContext& gdi, HDC ownDc, GifAnimationHost& host)
    : m_gdi(gdi), m_host(host), m_loader(loadPictureAtNaturalSize), m_ownDc(ownDc), m_hdc(ownDc) {
    m_canvasDc = m_gdi.CreateCompatibleDC(m_ownDc);
}

GifAnimation::~GifAnimation() {
    if (m_canvasMade) {
        m_gdi.SelectObject(m_canvasDc, m_canvasFirstBitmap);
        m_gdi.DeleteDC(m_canvasDc);
        m_gdi.DeleteObject(m_canvasBitmap);
    } else {
        m_gdi.DeleteDC(m_canvasDc);
    }
}

void GifAnimation::setPictureLoader(PictureLoader loader) {
    m_loader = std::move(loader);
}

void GifAnimation::setUserDelay(int lngDelay) {
    m_userDelay = std::clamp(lngDelay, 1, 1000);
}

void GifAnimation::ClearFrames() {
    for (GifFrame& frame : m_frames) {
        frame = GifFrame();
    }
    m_stream.records.clear();
    m_currentFrame = 0;
}

void GifAnimation::ReadGifFrames() {
    ClearFrames();
    if (m_strGifFileName.empty()) {
        return;
    }
    std::optional<std::vector<std::uint8_t>> bytes = readGifFile(m_strGifFileName);
    if (!bytes) {
        m_strGifFileName.clear();
        return;
    }
    m_frames.clear();
    // The walk reads everything it needs before any frame file is written, so a truncated file
    // fails here and leaves nothing in the temporary folder.
    m_stream = walkGifStream(std::move(*bytes), m_changeTransparentColor);
    // A file without an image has no frames: the index of the last one is -1.
    m_numberofFrames = m_stream.frameCount() - 1;
    loadFramePictures();
    CreateCanvas();
}

void GifAnimation::loadFramePictures() {
    // The frames are kept only as far as they can be seen: the canvas this file gets.
    const GifFrameRect canvas = canvasRect();
    std::int64_t storeBytes = 0;
    for (m_frameCounter = 0; m_frameCounter <= m_numberofFrames; ++m_frameCounter) {
        const int k = m_frameCounter;
        const GifFrameRecord& record = m_stream.records[static_cast<std::size_t>(k)];
        // The loader decodes the whole frame at its descriptor's size, of which the visible part
        // is kept at one byte a pixel or more; refuse before anything is written or decoded when
        // either is more than may be taken.
        const std::int64_t pixels = static_cast<std::int64_t>(record.width) * record.height;
        const GifFrameRect visible =
            visiblePart(GifFrameRect{record.left, record.top, record.width, record.height},
                        canvas.width, canvas.height);
        if (pixels > kMaxBitmapPixels ||
            storeBytes + static_cast<std::int64_t>(visible.width) * visible.height >
                kMaxFrameStoreBytes) {
            throw Error(ErrorNumber::OutOfMemory);
        }

        GifFrame frame;
        {
            const auto file =
                std::make_shared<const FrameFile>(GetTempPathA(), k, frameFileParts(m_stream, k));
            Picture picture = m_host.loadFrame(m_loader, file->path(), file);
            // The decoder may read a frame file differently from the walk (at another size);
            // what it decoded is held to the same limit as what the walk read.
            if (!picture.isNull() &&
                static_cast<std::int64_t>(picture.width()) * picture.height() > kMaxBitmapPixels) {
                throw Error(ErrorNumber::OutOfMemory);
            }
            // A picture may decode lazily; take its pixels while the file is still open. The
            // picture is not needed afterwards, so its pixels are handed over without a copy.
            if (!picture.isNull()) {
                Image image = std::move(picture).takeFullImage();
                if (!image.isNull()) {
                    frame = GifFrame::fromImage(std::move(image), visible.width, visible.height);
                }
            }
        }
        if (frame.isNull()) {
            throw Error(ErrorNumber::InvalidPicture);
        }
        storeBytes += static_cast<std::int64_t>(frame.byteCount());
        if (storeBytes > kMaxFrameStoreBytes) {
            throw Error(ErrorNumber::OutOfMemory);
        }
        m_frames.push_back(std::move(frame));
    }
}

std::size_t GifAnimation::frameStoreBytes() const {
    std::size_t bytes = 0;
    for (const GifFrame& frame : m_frames) {
        bytes += frame.byteCount();
    }
    return bytes;
}

}  // namespace plivora
