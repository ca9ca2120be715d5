#pragma once

// Test pictures and the reference "decode whole, then fit" measure that the picture benchmarks
// share.

#include <benchmark/benchmark.h>

#include <QImage>

#include <filesystem>
#include <string>

namespace plivora::bench {

// The main window's display area in pixels at 96 DPI.
inline constexpr int kAreaWidthPx = 161;
inline constexpr int kAreaHeightPx = 145;

// The picture fitted into the display area, its aspect ratio kept, smooth-scaled.
QImage fit(const QImage& image);
// Decodes the whole file with QImageReader and fits it, once per iteration.
void fullDecodeAndFit(benchmark::State& state, const std::string& path);
// A photograph-like JPEG (smooth colour fields with fine grain, quality 90) of the given size,
// which compresses about as well as a camera picture; ends the program when it cannot be written.
std::string makeJpeg(const std::filesystem::path& folder, int width, int height);
// "12MP" for a 4000 x 3000 picture file.
std::string megapixelName(const std::string& path);

}  // namespace plivora::bench
