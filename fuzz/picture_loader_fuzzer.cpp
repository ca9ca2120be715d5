// Fuzz target of the picture loader: the input is a file handed to LoadPicture, whose full pixels
// and a small view of them are then taken, the way the program shows a picture, and compared with
// the pixels the same bytes give from memory. Errors are the
// expected outcome for most inputs; a crash, a sanitizer report, a hang, a temporary file left
// behind or an allocation beyond libFuzzer's limit is a finding.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz_folder.h"
#include "picture/picture_loader.h"
#include "win/error.h"

namespace plivora {
namespace {

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void loadFile(const std::string& path) {
    Picture picture;
    try {
        picture = LoadPicture(path);
    } catch (const Error&) {
        return;
    }
    const Image& full = picture.fullImage();
    // The full pixels come at the natural size: the file does not change while it is fuzzed,
    // so a picture that loaded decodes again, and memory runs out only past libFuzzer's limit.
    if (full.width != picture.width() || full.height != picture.height() ||
        full.pixels.size() != static_cast<std::size_t>(full.width) * full.height) {
        std::fprintf(stderr, "fuzz: picture of %dx%d gave %dx%d full pixels (%zu)\n",
                     picture.width(), picture.height(), full.width, full.height,
                     full.pixels.size());
        std::abort();
    }
    picture.imageForSize(60, 60);
    // The same bytes from memory give the same pixels: the file and memory readers seek and
    // end alike, and no pixel depends on what the memory held before. Only for pictures of up to
    // 16 megapixels, so that two copies of a picture a few bytes may claim (an RLE bitmap that
    // skips everything) never exceed libFuzzer's memory limit.
    constexpr std::size_t kComparedPixels = 4096 * 4096;
    if (full.pixels.size() > kComparedPixels) {
        return;
    }
    const Picture fromBytes = loadPictureFromBytes(readWholeFile(path));
    if (fromBytes.fullImage().pixels != full.pixels) {
        std::fprintf(stderr, "fuzz: the file and its bytes in memory gave different pixels\n");
        std::abort();
    }
}

}  // namespace
}  // namespace plivora

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    plivora::fuzz::FuzzFolder& folder = plivora::fuzz::FuzzFolder::instance();
    plivora::loadFile(folder.writeInput(data, size));
    folder.expectOnlyInput();
    return 0;
}
