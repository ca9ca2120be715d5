#include <gtest/gtest.h>

#include <string>

#include "picture/picture_input.h"
#include "picture/picture_loader.h"
#include "picture_test_data.h"
#include "win/error.h"

namespace plivora {
namespace {

// The directory's image count (the header's last word) set to `count`.
std::string withImageCount(std::string bytes, int count) {
    bytes[4] = static_cast<char>(count & 0xFF);
    bytes[5] = static_cast<char>((count >> 8) & 0xFF);
    return bytes;
}

template <typename Action>
int errorOf(Action action) {
    try {
        action();
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

// Whether the directory check passes a file is what decides whether QtGui's reader gets to
// walk its entries; the loader gives the same error either way, so both are checked.
TEST(IconDirectory, FileShorterThanItsDirectoryIsCutShort) {
    // Each file holds one complete 8 x 8 image; only the count in its directory differs.
    const std::string icon = testdata::iconFile(1, {{8, 8, 0xFF00FF00}});
    const std::string cursor = testdata::iconFile(2, {{8, 8, 0xFF00FF00}});
    const struct {
        const char* name;
        std::string bytes;
        int error;
    } cases[] = {
        {"icon as written", icon, 0},
        {"cursor as written", cursor, 0},
        {"icon counting 65281 images", withImageCount(icon, 0xFF01), ErrorNumber::InvalidPicture},
        {"cursor counting 30 images", withImageCount(cursor, 30), ErrorNumber::InvalidPicture},
        {"icon counting none", withImageCount(icon, 0), ErrorNumber::InvalidPicture},
        {"directory header cut", icon.substr(0, 5), ErrorNumber::InvalidPicture},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PictureInput input = PictureInput::fromBytes(c.bytes);
        EXPECT_EQ(errorOf([&] { checkIconDirectory(input); }), c.error);
        EXPECT_EQ(errorOf([&] { loadPictureFromBytes(c.bytes); }), c.error);
    }
}

}  // namespace
}  // namespace plivora
