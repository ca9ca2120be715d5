// Loading a camera-sized JPEG for the main window's display area (161 x 145 pixels at 96 DPI).
//
// "Plivora" is LoadPicture followed by imageForSize for the area and a smooth fit of those pixels
// into it; "FullDecodeAndFit" is what a loader without reduced decoding does: QtGui's reader
// decodes every pixel and the result is fitted the same way. Both end with the same fitted image.
//
// Usage:
//   bench_picture_display [--jpeg=FILE ...] [benchmark flags]
//       Benchmarks each FILE; without --jpeg, makes a 12 MP and a 24 MP JPEG in a temporary
//       folder first.
//   bench_picture_display --load-once=FILE
//       Loads FILE once for the display area and exits: for timing a whole process and for
//       measuring its peak memory with /usr/bin/time -v.
//   bench_picture_display --idle
//       Exits at once: the peak memory of the process without a picture.

#include <benchmark/benchmark.h>

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "bench_pictures.h"
#include "picture/picture_loader.h"
#include "win/error.h"

namespace {

namespace fs = std::filesystem;
using plivora::Image;

using plivora::bench::fit;
using plivora::bench::fullDecodeAndFit;
using plivora::bench::kAreaHeightPx;
using plivora::bench::kAreaWidthPx;
using plivora::bench::makeJpeg;
using plivora::bench::megapixelName;

QImage wrap(const Image& image) {
    return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                  static_cast<qsizetype>(image.width) * 4, QImage::Format_ARGB32);
}

QImage loadForDisplay(const std::string& path) {
    const plivora::Picture picture = plivora::LoadPicture(path);
    return fit(wrap(picture.imageForSize(kAreaWidthPx, kAreaHeightPx)));
}

void plivoraDisplay(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        QImage shown = loadForDisplay(path);
        benchmark::DoNotOptimize(shown.constBits());
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--idle") {
            return 0;
        }
        if (arg.substr(0, 12) == "--load-once=") {
            try {
                const QImage shown = loadForDisplay(std::string(arg.substr(12)));
                std::printf("%d x %d\n", shown.width(), shown.height());
                return 0;
            } catch (const plivora::Error& error) {
                std::fprintf(stderr, "error %d: %s\n", error.number(), error.description().c_str());
                return 1;
            }
        }
        if (arg.substr(0, 7) == "--jpeg=") {
            files.emplace_back(arg.substr(7));
        } else {
            rest.push_back(argv[i]);
        }
    }

    fs::path generated;
    if (files.empty()) {
        std::string pattern = (fs::temp_directory_path() / "plivora-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            return 1;
        }
        generated = pattern;
        files = {makeJpeg(generated, 4000, 3000), makeJpeg(generated, 6000, 4000)};
    }

    for (const std::string& path : files) {
        const std::string name = megapixelName(path);
        benchmark::RegisterBenchmark(("Plivora/" + name).c_str(), plivoraDisplay, path)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
        benchmark::RegisterBenchmark(("FullDecodeAndFit/" + name).c_str(), fullDecodeAndFit, path)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
    }

    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!generated.empty()) {
        fs::remove_all(generated);
    }
    return 0;
}
