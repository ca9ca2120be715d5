#include "picture/color_management.h"

#include <lcms2.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string_view>
#include <utility>

namespace plivora {
namespace {

// Image's 0xAARRGGBB words are the bytes B, G, R, A on the little-endian machines the program
// runs on. Alpha is an extra channel the transforms leave where it is.
constexpr cmsUInt32Number kOutputFormat = TYPE_BGRA_8;
// A greyscale profile reads the blue byte of each word; the three colour bytes of a grey picture
// are equal.
constexpr cmsUInt32Number kGreyInBgraFormat =
    COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(3);

// A folder of photos from a few cameras needs a few transforms; more are made again when needed.
constexpr std::size_t kMaxTransforms = 16;

enum class Direction { ToDisplay, DisplayToSrgb };

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

struct TransformDeleter {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using Transform = std::shared_ptr<void>;

// An empty byte string is sRGB. A profile that does not parse gives null.
Profile openProfile(const std::string& bytes) {
    if (bytes.empty()) {
        return Profile(cmsCreate_sRGBProfile());
    }
    return Profile(cmsOpenProfileFromMem(bytes.data(), static_cast<cmsUInt32Number>(bytes.size())));
}

// The input format that reads pixels of `layout` as described by a profile of `space`; 0 when the
// profile cannot describe such pixels.
cmsUInt32Number inputFormat(cmsColorSpaceSignature space, PixelLayout layout) {
    switch (layout) {
        case PixelLayout::Rgb:
            return space == cmsSigRgbData    ? kOutputFormat
                   : space == cmsSigGrayData ? kGreyInBgraFormat
                                             : 0;
        case PixelLayout::Cmyk:
            return space == cmsSigCmykData ? cmsUInt32Number(TYPE_CMYK_8) : 0;
        case PixelLayout::InvertedCmyk:
            return space == cmsSigCmykData ? cmsUInt32Number(TYPE_CMYK_8_REV) : 0;
    }
    return 0;
}

// A transform from `from` to `to`; null when either profile is unusable for it.
Transform makeTransform(const std::string& from, PixelLayout layout, const std::string& to) {
    const Profile input = openProfile(from);
    const Profile output = openProfile(to);
    if (!input || !output || cmsGetColorSpace(output.get()) != cmsSigRgbData) {
        return nullptr;
    }
    const cmsUInt32Number format = inputFormat(cmsGetColorSpace(input.get()), layout);
    if (format == 0) {
        return nullptr;
    }
    cmsHTRANSFORM transform =
        cmsCreateTransform(input.get(), format, output.get(), kOutputFormat, INTENT_PERCEPTUAL, 0);
    return transform ? Transform(transform, TransformDeleter()) : nullptr;
}

// The transforms made so far, the most recently used first, and the display's profile. Decoding
// runs on the prefetcher's and the read-ahead's threads too, so every use takes the lock; the
// transforms themselves may run on several threads at once (each call keeps its own state).
class TransformCache {
public:
    static TransformCache& instance() {
        static TransformCache cache;
        return cache;
    }

    bool hasDisplayProfile() const { return m_hasDisplayProfile.load(std::memory_order_acquire); }

    void setDisplayProfile(std::string profile) {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
        // A display profile that cannot take sRGB pixels is no display profile: the display is
        // then taken as sRGB, as when it publishes none.
        if (!profile.empty() && !makeTransform(std::string(), PixelLayout::Rgb, profile)) {
            profile.clear();
        }
        m_displayProfile = std::move(profile);
        m_hasDisplayProfile.store(!m_displayProfile.empty(), std::memory_order_release);
    }

    // The transform for pixels of `layout` described by `profile` (empty: sRGB) in `direction`;
    // null when the profile is unusable for them, and null too when nothing needs doing.
    Transform find(const std::string& profile, PixelLayout layout, Direction direction) {
        const std::size_t hash = std::hash<std::string_view>()(profile);
        std::lock_guard lock(m_mutex);
        for (auto entry = m_entries.begin(); entry != m_entries.end(); ++entry) {
            if (entry->hash == hash && entry->layout == layout && entry->direction == direction &&
                entry->profile == profile) {
                m_entries.splice(m_entries.begin(), m_entries, entry);
                return entry->transform;
            }
        }
        Transform transform =
            direction == Direction::ToDisplay
                ? makeTransform(profile, layout, m_displayProfile)
                : makeTransform(m_displayProfile, PixelLayout::Rgb, std::string());
        // An unusable profile is remembered too: a folder of files with the same damaged profile
        // parses it once.
        m_entries.push_front({hash, profile, layout, direction, transform});
        if (m_entries.size() > kMaxTransforms) {
            m_entries.pop_back();
        }
        return transform;
    }

private:
    struct Entry {
        std::size_t hash;
        std::string profile;
        PixelLayout layout;
        Direction direction;
        Transform transform;
    };

    std::mutex m_mutex;
    std::list<Entry> m_entries;
    std::string m_displayProfile;
    std::atomic<bool> m_hasDisplayProfile{false};
};

void run(const Transform& transform, Image& image) {
    cmsDoTransform(transform.get(), image.pixels.data(), image.pixels.data(),
                   static_cast<cmsUInt32Number>(image.pixels.size()));
}

// CMYK without a profile that describes it: each colour channel is what its ink and the black
// ink leave of white.
void cmykToRgb(Image& image, bool inverted) {
    for (std::uint32_t& word : image.pixels) {
        std::uint32_t c = word & 0xFF, m = (word >> 8) & 0xFF, y = (word >> 16) & 0xFF,
                      k = word >> 24;
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        word = 0xFF000000u | ((c * k / 255) << 16) | ((m * k / 255) << 8) | (y * k / 255);
    }
}

}  // namespace

void toDisplayColors(Image& image, const std::string& profile, PixelLayout layout) {
    TransformCache& cache = TransformCache::instance();
    if (layout == PixelLayout::Rgb && profile.empty() && !cache.hasDisplayProfile()) {
        return;  // sRGB shown on an sRGB display
    }
    if (layout != PixelLayout::Rgb) {
        if (Transform transform =
                profile.empty() ? nullptr : cache.find(profile, layout, Direction::ToDisplay)) {
            run(transform, image);
            // The output's alpha byte still holds the black ink; a CMYK picture is opaque.
            for (std::uint32_t& word : image.pixels) {
                word |= 0xFF000000u;
            }
            return;
        }
        // A missing or unusable profile is an ordinary outcome: the arithmetic gives sRGB.
        cmykToRgb(image, layout == PixelLayout::InvertedCmyk);
        toDisplayColors(image, std::string(), PixelLayout::Rgb);
        return;
    }
    if (Transform transform = cache.find(profile, layout, Direction::ToDisplay)) {
        run(transform, image);
    } else if (!profile.empty()) {
        // A damaged or unsupported profile is ignored, as the picture's own fault that the user
        // need not hear of: its pixels are taken as sRGB.
        toDisplayColors(image, std::string(), PixelLayout::Rgb);
    }
}

void displayToSrgb(Image& image) {
    TransformCache& cache = TransformCache::instance();
    if (!cache.hasDisplayProfile()) {
        return;
    }
    if (Transform transform =
            cache.find(std::string(), PixelLayout::Rgb, Direction::DisplayToSrgb)) {
        run(transform, image);
    }
}

void setDisplayProfile(std::string profile) {
    TransformCache::instance().setDisplayProfile(std::move(profile));
}

bool hasDisplayProfile() {
    return TransformCache::instance().hasDisplayProfile();
}

}  // namespace plivora
