// The animation's lifetime, its properties and the load: reading a GIF file, splitting it into
// frame files and loading them as frame bitmaps.

#include "gifctl/gif_animation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "gifctl/frame_files.h"
#include "win/error.h"
#include "win/picture_loader.h"
#include "win/temp_files.h"

namespace plivora {

namespace {

// The largest GIF file read into memory. Positions in the file are 32-bit, and an animation
// larger than this is far beyond what the control is for.
constexpr std::int64_t kMaxGifFileBytes = 256LL * 1024 * 1024;
// The most pixels all frame bitmaps of one file may hold together (1 GiB of colour pixels).
constexpr std::int64_t kMaxFramePixelsTotal = 256LL * 1024 * 1024;

// Reads a whole file in one go. Error 53 when it does not exist, 75 when it cannot be opened or
// read as a file, 7 when it is too large.
std::vector<std::uint8_t> readWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw Error(errno == ENOENT || errno == ENOTDIR ? ErrorNumber::FileNotFound
                                                        : ErrorNumber::PathFileAccessError);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw Error(ErrorNumber::PathFileAccessError);
    }
    if (info.st_size > kMaxGifFileBytes) {
        ::close(fd);
        throw Error(ErrorNumber::OutOfMemory);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ::close(fd);
            throw Error(ErrorNumber::DeviceIoError);
        }
        if (n == 0) {
            bytes.resize(done);  // the file shrank while it was read
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
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
    : m_gdi(gdi), m_host(host), m_loader(LoadPicture), m_ownDc(ownDc), m_hdc(ownDc) {
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
    std::vector<std::uint8_t> bytes = readWholeFile(m_strGifFileName);
    if (!hasGifSignature(bytes)) {
        m_strGifFileName.clear();
        return;
    }
    m_framePictures.clear();
    // The walk reads everything it needs before any frame file is written, so a truncated file
    // fails here and leaves nothing in the temporary folder.
    m_stream = walkGifStream(std::move(bytes), m_changeTransparentColor);
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
            // A picture may decode lazily; take its pixels while the file is still there.
            if (!picture.isNull()) {
                bitmap = m_gdi.createBitmapFromImage(picture.fullImage());
            }
        }
        if (!bitmap) {
            throw Error(ErrorNumber::InvalidPicture);
        }
        m_framePictures.push_back(bitmap);
    }
}

}  // namespace plivora
