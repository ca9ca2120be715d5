// The animation's lifetime, its properties and the load: reading a GIF file, splitting it into
// frame files and loading them as frame bitmaps.

#include "gifctl/gif_animation.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "gifctl/frame_files.h"
#include "win/error.h"
#include "win/file_io.h"
#include "win/picture_loader.h"
#include "win/temp_files.h"

namespace plivora {

namespace {

// The largest GIF file read into memory. Positions in the file are 32-bit, and an animation
// larger than this is far beyond what the control is for.
constexpr std::int64_t kMaxGifFileBytes = 256LL * 1024 * 1024;
// The most pixels all frame bitmaps of one file may hold together (1 GiB of colour pixels).
constexpr std::int64_t kMaxFramePixelsTotal = 256LL * 1024 * 1024;

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

// Removes a frame file when the load of it is over, whether it succeeded or not.
class FrameFileRemover {
public:
    explicit FrameFileRemover(std::string path) : m_path(std::move(path)) {}
    ~FrameFileRemover() { deleteFile(m_path); }
    FrameFileRemover(const FrameFileRemover&) = delete;
    FrameFileRemover& operator=(const FrameFileRemover&) = delete;

private:
    std::string m_path;
};

}  // namespace

GifAnimation::GifAnimation(GdiContext& gdi, HDC ownDc, GifAnimationHost& host)
    : m_gdi(gdi), m_host(host), m_loader(loadPictureAtNaturalSize), m_ownDc(ownDc), m_hdc(ownDc) {
    m_canvasDc = m_gdi.CreateCompatibleDC(m_ownDc);
}

GifAnimation::~GifAnimation() {
    for (HBITMAP& picture : m_framePictures) {
        m_gdi.DeleteObject(picture);
    }
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
    for (HBITMAP& picture : m_framePictures) {
        if (picture) {
            m_gdi.DeleteObject(picture);
            picture = HBITMAP{};
        }
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
    m_framePictures.clear();
    // The walk reads everything it needs before any frame file is written, so a truncated file
    // fails here and leaves nothing in the temporary folder.
    m_stream = walkGifStream(std::move(*bytes), m_changeTransparentColor);
    // A file without an image has no frames: the index of the last one is -1.
    m_numberofFrames = m_stream.frameCount() - 1;
    loadFramePictures();
    CreateCanvas();
}

void GifAnimation::loadFramePictures() {
    std::int64_t totalPixels = 0;
    for (m_frameCounter = 0; m_frameCounter <= m_numberofFrames; ++m_frameCounter) {
        const int k = m_frameCounter;
        const GifFrameRecord& record = m_stream.records[static_cast<std::size_t>(k)];
        // The loader decodes the frame at its descriptor's size; refuse before anything is
        // written or decoded when that is more than the frames may take.
        std::int64_t pixels = static_cast<std::int64_t>(record.width) * record.height;
        totalPixels += pixels;
        if (pixels > kMaxBitmapPixels || totalPixels > kMaxFramePixelsTotal) {
            throw Error(ErrorNumber::OutOfMemory);
        }

        const auto parts = frameFileParts(m_stream, k);
        std::string name = writeFrameFile(GetTempPathA(), k, parts);
        HBITMAP bitmap;
        {
            FrameFileRemover remover(name);
            Picture picture = m_loader(name);
            // The decoder may read a frame file differently from the walk (at another size);
            // what it decoded is held to the same limits as what the walk read.
            if (!picture.isNull()) {
                const std::int64_t decoded =
                    static_cast<std::int64_t>(picture.width()) * picture.height();
                totalPixels += decoded - pixels;
                if (decoded > kMaxBitmapPixels || totalPixels > kMaxFramePixelsTotal) {
                    throw Error(ErrorNumber::OutOfMemory);
                }
            }
            // A picture may decode lazily; take its pixels while the file is still there. The
            // picture is not needed afterwards, so its pixels become the bitmap's without a copy.
            if (!picture.isNull()) {
                bitmap = m_gdi.createBitmapFromImage(std::move(picture).takeFullImage());
            }
        }
        if (!bitmap) {
            throw Error(ErrorNumber::InvalidPicture);
        }
        m_framePictures.push_back(bitmap);
    }
}

}  // namespace plivora
