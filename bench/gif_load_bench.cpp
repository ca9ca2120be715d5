// Loading an animated GIF into the animated GIF control, against giflib decoding every frame of
// the same file, and the cost of one frame of the animation.
//
// "LoadGif" is AnimatedGifCtl::LoadGif on the headless host: the file read and walked, one
// single-image file per frame written, decoded by the picture loader into a frame bitmap and
// deleted, the canvas made and frame 0 drawn. "DGifSlurp" is giflib reading the whole file and
// decoding every frame to colour indexes, with nothing converted or drawn. "RenderGif" draws one
// frame onto the canvas and copies the canvas to the control's surface: what one tick costs.
// The load benchmarks report process CPU time beside wall time and the page faults per load:
// the control keeps every frame as 32-bit pixels where giflib keeps one byte per pixel, so the
// load is more sensitive than giflib to other work on the machine.
//
// Usage: bench_gif_load [benchmark flags]
//   The GIF files are made in a temporary folder first: 100 frames of 480 x 360 and 300 frames of
//   200 x 200, with global and local colour tables, transparent and opaque frames, and varied
//   content that LZW compresses about as well as a screen recording.

#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "forms/form.h"
#include "gifctl/animated_gif_ctl.h"
#include "headless/headless_host.h"

namespace {

namespace fs = std::filesystem;
using plivora::AnimatedGifCtl;

class BenchForm : public plivora::Form {
public:
    explicit BenchForm(plivora::Host& host) : Form(host, "BenchForm") {
        gif.move(0, 0, 7200, 5400);  // 480 x 360 pixels
    }
    AnimatedGifCtl gif{*this, "AnimatedGifCtl1"};
};

// A small deterministic generator for the grain in the pictures.
struct Lcg {
    std::uint32_t state = 12345;
    std::uint32_t next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

ColorMapObject* makeTable(int count, int seed) {
    ColorMapObject* table = GifMakeMapObject(count, nullptr);
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / count;
        table->Colors[i].Red = GifByteType(127 + 120 * std::sin(6.283 * t + seed));
        table->Colors[i].Green = GifByteType(127 + 120 * std::sin(6.283 * t * 2 + seed * 0.5));
        table->Colors[i].Blue = GifByteType(127 + 120 * std::cos(6.283 * t * 3 + seed * 0.3));
    }
    return table;
}

[[noreturn]] void failGif(const char* what, int error) {
    std::fprintf(stderr, "%s: %s\n", what, GifErrorString(error));
    std::exit(1);
}

// Writes `frames` frames on a width x height screen with a 256-entry global table. Even frames
// cover the whole screen with the global table and no transparency: bands that move from frame
// to frame, with grain. Odd frames cover a moving rectangle of about half the screen with a
// 128-entry local table; entry 0 is transparent and fills everything outside a moving disc.
// Every fifth frame restores the background first (disposal 2), the others are kept.
std::string writeGif(const fs::path& folder, int width, int height, int frames) {
    const fs::path path = folder / (std::to_string(width) + "x" + std::to_string(height) + "x" +
                                    std::to_string(frames) + ".gif");
    int error = 0;
    GifFileType* gif = EGifOpenFileName(path.c_str(), false, &error);
    if (!gif) {
        failGif("EGifOpenFileName", error);
    }
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = makeTable(256, 1);
    if (EGifPutScreenDesc(gif, width, height, 8, 0, global) == GIF_ERROR) {
        failGif("EGifPutScreenDesc", gif->Error);
    }
    Lcg random;
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (int f = 0; f < frames; ++f) {
        const bool full = f % 2 == 0;
        GraphicsControlBlock control{};
        control.DisposalMode = f % 5 == 4 ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
        control.DelayTime = 4 + f % 3;
        control.TransparentColor = full ? NO_TRANSPARENT_COLOR : 0;
        GifByteType block[4];
        EGifGCBToExtension(&control, block);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block) == GIF_ERROR) {
            failGif("EGifPutExtension", gif->Error);
        }

        const int w = full ? width : width * 3 / 4;
        const int h = full ? height : height * 2 / 3;
        const int left = full ? 0 : (f * 7) % (width - w + 1);
        const int top = full ? 0 : (f * 5) % (height - h + 1);
        ColorMapObject* local = full ? nullptr : makeTable(128, f);
        if (EGifPutImageDesc(gif, left, top, w, h, false, local) == GIF_ERROR) {
            failGif("EGifPutImageDesc", gif->Error);
        }
        const double cx = w * (0.5 + 0.3 * std::sin(f * 0.2));
        const double cy = h * (0.5 + 0.3 * std::cos(f * 0.3));
        const double r2 = (w * h) / 6.0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t grain = random.next() % 8 == 0 ? random.next() % 4 : 0;
                if (full) {
                    line[x] = GifPixelType(((x + 3 * f) / 6 + (y + f) / 9 + grain) & 0xFF);
                } else {
                    const double dx = x - cx, dy = y - cy;
                    line[x] = dx * dx + dy * dy > r2
                                  ? 0
                                  : GifPixelType(1 + ((x / 5 + y / 7 + f + grain) % 127));
                }
            }
            if (EGifPutLine(gif, line.data(), w) == GIF_ERROR) {
                failGif("EGifPutLine", gif->Error);
            }
        }
        if (local) {
            GifFreeMapObject(local);
        }
    }
    GifFreeMapObject(global);
    if (EGifCloseFile(gif, &error) == GIF_ERROR) {
        failGif("EGifCloseFile", error);
    }
    return path.string();
}

// Minor page faults of the process so far: each is a fresh page of memory touched for the first
// time, which costs far more under a loaded host than the copy that touches it.
long pageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

void loadGif(benchmark::State& state, const std::string& path) {
    plivora::HeadlessHost host;
    BenchForm form(host);
    const long faults = pageFaults();
    for (auto _ : state) {
        form.gif.LoadGif(true, path);
        benchmark::DoNotOptimize(form.gif.NumberofFrames());
    }
    state.counters["frames"] = form.gif.NumberofFrames() + 1;
    state.counters["faults"] =
        benchmark::Counter(double(pageFaults() - faults), benchmark::Counter::kAvgIterations);
}

void giflibSlurp(benchmark::State& state, const std::string& path) {
    int frames = 0;
    const long faults = pageFaults();
    for (auto _ : state) {
        int error = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
        if (!gif || DGifSlurp(gif) == GIF_ERROR) {
            state.SkipWithError("giflib could not read the file");
            return;
        }
        frames = gif->ImageCount;
        benchmark::DoNotOptimize(gif->SavedImages[frames - 1].RasterBits);
        DGifCloseFile(gif, &error);
    }
    state.counters["frames"] = frames;
    state.counters["faults"] =
        benchmark::Counter(double(pageFaults() - faults), benchmark::Counter::kAvgIterations);
}

// One tick's drawing of frame `frame` (0: opaque, the whole screen; 1: transparent, a part).
void renderGif(benchmark::State& state, const std::string& path, int frame) {
    plivora::HeadlessHost host;
    BenchForm form(host);
    form.gif.LoadGif(true, path);
    form.gif.setStopRender(false);
    for (auto _ : state) {
        form.gif.RenderGif(frame);
    }
    benchmark::DoNotOptimize(form.gif.surface().pixels.data());
}

}  // namespace

int main(int argc, char** argv) {
    std::string pattern = (fs::temp_directory_path() / "plivora-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path folder = pattern;
    const std::string files[] = {writeGif(folder, 480, 360, 100), writeGif(folder, 200, 200, 300)};
    const char* names[] = {"480x360x100", "200x200x300"};

    for (int i = 0; i < 2; ++i) {
        const std::string name = names[i];
        benchmark::RegisterBenchmark(("LoadGif/" + name).c_str(), loadGif, files[i])
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
        benchmark::RegisterBenchmark(("DGifSlurp/" + name).c_str(), giflibSlurp, files[i])
            ->Unit(benchmark::kMillisecond)
            ->MeasureProcessCPUTime()
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("RenderGif/opaque/480x360", renderGif, files[0], 0)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("RenderGif/transparent/360x240", renderGif, files[0], 1)
        ->Unit(benchmark::kMicrosecond);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return 0;
}
