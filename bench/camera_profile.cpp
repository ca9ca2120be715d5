#include "camera_profile.h"

#include <lcms2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace plivora::bench {

std::string cameraProfile() {
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(gamma);
    cmsUInt32Number size = 0;
    std::string bytes;
    if (profile && cmsSaveProfileToMem(profile, nullptr, &size)) {
        bytes.resize(size);
        cmsSaveProfileToMem(profile, bytes.data(), &size);
    }
    cmsCloseProfile(profile);
    if (bytes.empty()) {
        std::fprintf(stderr, "cannot make the camera profile\n");
        std::exit(1);
    }
    return bytes;
}

void writeWithProfile(const std::string& from, const std::string& to, const std::string& profile) {
    std::ifstream in(from, std::ios::binary);
    const std::string jpeg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (jpeg.size() < 2 || jpeg.compare(0, 2, "\xFF\xD8") != 0) {
        std::fprintf(stderr, "%s is no JPEG\n", from.c_str());
        std::exit(1);
    }
    // Each segment holds the signature, its number from 1 and the count, then up to 65519 bytes.
    constexpr std::size_t kChunk = 65519;
    const std::size_t count = (profile.size() + kChunk - 1) / kChunk;
    std::string segments;
    for (std::size_t i = 0; i < count; ++i) {
        const std::string chunk = profile.substr(i * kChunk, kChunk);
        const std::size_t length = 2 + 12 + 2 + chunk.size();
        segments += "\xFF\xE2";
        segments += static_cast<char>(length >> 8);
        segments += static_cast<char>(length & 0xFF);
        segments += std::string("ICC_PROFILE\0", 12);
        segments += static_cast<char>(i + 1);
        segments += static_cast<char>(count);
        segments += chunk;
    }
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    out << jpeg.substr(0, 2) << segments << jpeg.substr(2);
    if (!out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", to.c_str());
        std::exit(1);
    }
}

}  // namespace plivora::bench
