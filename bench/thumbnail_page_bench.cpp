// Building the first thumbnail page of a folder of 60 camera-sized JPEGs: "View All"
// (Form1::cmdViewAll_Click) on the headless host, from the click until the page's 60 thumbnails of
// 60 x 60 pixels are in the thumbnail window's lists.
//
// "ViewAll/OneCore" runs on the plain headless host, which allows no background work: each picture
// is decoded when its turn comes. "ViewAll/DecodeAhead" runs on a host that allows it, as the Qt
// host does: the next pictures are decoded on two threads of their own while this one places each
// item in list order, running events while it waits. Both hosts record when the event loop was
// served (DoEvents): the counter longest_gap_ms is the longest stretch without it, counted from
// the click to the first DoEvents, between two of them and from the last one to the end of the
// click, over every timed page; on a machine that other work shares it includes the time this
// thread waited for a core.
// gui_thread_cpu_ms is the CPU time of the clicking thread per page: all of the work in the first
// mode, what is left to the window's thread in the second.
// "ViewAll/DecodeAheadColdCache" and "ViewAll/DecodeAheadWarmCache" decode ahead as the second
// does, with the pictures taken through a thumbnail cache in a temporary folder: emptied before
// each page (untimed), so that every picture is decoded and its entry written, or kept from the
// first page, so that every thumbnail comes from the cache.
// "LoadPicture" is the loader alone, reading the 60 files at the scale it keeps at load and taking
// the pixels that a 60 x 60 thumbnail uses, without the windows.
//
// Usage:
//   bench_thumbnail_page [--folder=DIR] [benchmark flags]
//       DIR holds the pictures (only they: every file in it is listed). Without --folder, 60
//       JPEGs of 4000 x 3000 pixels are made in a temporary folder first. Every benchmark runs
//       again ("/CameraProfile") on copies of the pictures with a camera's colour profile (Adobe
//       RGB) embedded, in a temporary folder: the profile's transform against the same page
//       without one.
//   bench_thumbnail_page --page-once=DIR [--ahead] [--cache=CACHE]
//       Starts the program in DIR, builds the first page once (decoding ahead with --ahead,
//       through the thumbnail cache in the folder CACHE with --cache), prints the page's time and
//       the longest time without DoEvents in ms, and exits: for timing whole processes in turn
//       with other tools.

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <time.h>

#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "app/program.h"
#include "camera_profile.h"
#include "headless/headless_host.h"
#include "picture/picture_loader.h"
#include "thumbs/form2.h"
#include "win/error.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPagePictures = 60;
constexpr int kThumbnailPixels = 60;

std::string makeTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "plivora-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

// CPU time of the calling thread.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// The headless host, with or without background work, noting the longest time during which the
// event loop was not served.
class TimedHost : public plivora::HeadlessHost {
public:
    explicit TimedHost(bool background) { setBackgroundWork(background); }

    void doEvents() override {
        mark();
        HeadlessHost::doEvents();
    }

    // A timed click starts: the stretch until the first DoEvents counts from here.
    void startClick() {
        m_timing = true;
        m_last = Clock::now();
    }
    // The timed click ended: the stretch since the last DoEvents counts too.
    void endClick() {
        mark();
        m_timing = false;
    }
    double longestGapMs() const {
        return std::chrono::duration<double, std::milli>(m_longest).count();
    }

private:
    void mark() {
        if (!m_timing) {
            return;
        }
        const Clock::time_point now = Clock::now();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    bool m_timing = false;
    Clock::time_point m_last = Clock::now();
    Clock::duration m_longest{};
};

// The program on a TimedHost, started in `folder` with a program folder of its own (for the
// settings file), as the real program starts.
class ProgramInFolder {
public:
    ProgramInFolder(const std::string& folder, bool background, const std::string& cache = "")
        : m_host(background), m_appFolder(makeTempFolder()) {
        m_host.setDrives({{"/", "/"}});
        m_program = std::make_unique<plivora::Program>(
            m_host, plivora::ProgramPaths{folder, m_appFolder, ",", "", cache});
        m_program->start();
    }
    ~ProgramInFolder() {
        m_program.reset();
        std::error_code ignored;
        fs::remove_all(m_appFolder, ignored);
    }
    ProgramInFolder(const ProgramInFolder&) = delete;
    ProgramInFolder& operator=(const ProgramInFolder&) = delete;

    TimedHost& host() { return m_host; }
    plivora::Program& program() { return *m_program; }

private:
    TimedHost m_host;
    std::string m_appFolder;
    std::unique_ptr<plivora::Program> m_program;
};

// The page holds a 60 x 60 thumbnail for each of the folder's first 60 files. (Whether each one is
// the picture and not the stand-in for one that failed to load is checked once in main, by loading
// every file.)
bool pageComplete(plivora::Program& program) {
    plivora::Form2& thumbs = program.form2();
    if (thumbs.lvMain.items().size() != kPagePictures || thumbs.ilNormal.count() != kPagePictures) {
        return false;
    }
    for (int i = 0; i < kPagePictures; ++i) {
        const plivora::ImageList::Entry* entry =
            thumbs.ilNormal.find(program.form1().File1.list(i));
        if (entry == nullptr || entry->image.width != kThumbnailPixels ||
            entry->image.height != kThumbnailPixels) {
            return false;
        }
    }
    return true;
}

enum class Cache { None, Cold, Warm };

void viewAll(benchmark::State& state, const std::string& folder, bool background, Cache cache) {
    const std::string cacheFolder = cache == Cache::None ? "" : makeTempFolder();
    ProgramInFolder run(folder, background, cacheFolder);
    plivora::Form1& form = run.program().form1();
    if (form.File1.listCount() < kPagePictures) {
        state.SkipWithError("the folder holds fewer than 60 files");
        return;
    }
    // One page first, untimed: the thumbnail window is created on the first click, and the files
    // come into the page cache.
    form.cmdViewAll_Click();
    double guiThreadCpuMs = 0;
    for (auto _ : state) {
        if (cache == Cache::Cold) {
            state.PauseTiming();
            fs::remove_all(cacheFolder);
            state.ResumeTiming();
        }
        const double cpuBefore = threadCpuMs();
        run.host().startClick();
        form.cmdViewAll_Click();
        run.host().endClick();
        guiThreadCpuMs += threadCpuMs() - cpuBefore;
    }
    if (!pageComplete(run.program())) {
        state.SkipWithError("the page does not hold 60 thumbnails of its pictures");
        return;
    }
    const auto pictures = static_cast<double>(state.iterations()) * kPagePictures;
    state.SetItemsProcessed(static_cast<std::int64_t>(pictures));
    state.counters["longest_gap_ms"] = run.host().longestGapMs();
    state.counters["gui_thread_cpu_ms"] = guiThreadCpuMs / static_cast<double>(state.iterations());
    state.counters["pictures"] = kPagePictures;
    if (!cacheFolder.empty()) {
        fs::remove_all(cacheFolder);
    }
}

void loadPicture(benchmark::State& state, const std::vector<std::string>& paths) {
    for (auto _ : state) {
        for (const std::string& path : paths) {
            const plivora::Picture picture = plivora::LoadPicture(path);
            benchmark::DoNotOptimize(
                picture.imageForSize(kThumbnailPixels, kThumbnailPixels).pixels.data());
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(paths.size()));
    state.counters["pictures"] = static_cast<double>(paths.size());
}

// A photograph-like test picture: smooth colour fields with fine grain, varied by `variant`.
QImage makePicture(int width, int height, int variant) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(12345 + variant);
    const double phase = variant * 0.7;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const int grain = int(random.bounded(24)) - 12;
            const int r = int(128 + 100 * std::sin(6.0 * u + 2.0 * v + phase)) + grain;
            const int g = int(128 + 100 * std::sin(4.0 * v - 3.0 * u - phase)) + grain;
            const int b = int(128 + 100 * std::cos(5.0 * (u + v) + phase)) + grain;
            row[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    return image;
}

// 60 JPEGs of 4000 x 3000 pixels at quality 90: a few distinct pictures, then copies of them under
// the other names, since making every one afresh takes long.
void makeFolder(const fs::path& folder) {
    constexpr int kDistinct = 4;
    auto nameOf = [&](int number) {
        char name[32];
        std::snprintf(name, sizeof name, "pic%02d.jpg", number);
        return folder / name;
    };
    for (int i = 1; i <= kPagePictures; ++i) {
        const fs::path path = nameOf(i);
        if (i > kDistinct) {
            fs::copy_file(nameOf((i - 1) % kDistinct + 1), path,
                          fs::copy_options::overwrite_existing);
            continue;
        }
        QImageWriter writer(QString::fromStdString(path.string()), "jpeg");
        writer.setQuality(90);
        if (!writer.write(makePicture(4000, 3000, i))) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::exit(1);
        }
    }
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.') {
            files.push_back(entry.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    if (files.size() > kPagePictures) {
        files.resize(kPagePictures);
    }
    return files;
}

// Starts the program in `folder`, builds the first page once and prints the page's time and the
// longest time without DoEvents, in ms.
int buildPageOnce(const std::string& folder, bool background, const std::string& cache) {
    ProgramInFolder run(folder, background, cache);
    plivora::Form1& form = run.program().form1();
    const Clock::time_point start = Clock::now();
    run.host().startClick();
    form.cmdViewAll_Click();
    run.host().endClick();
    const double pageMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (!pageComplete(run.program())) {
        std::fprintf(stderr, "the page does not hold 60 thumbnails of its pictures\n");
        return 1;
    }
    std::printf("%.1f %.1f\n", pageMs, run.host().longestGapMs());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder;
    std::string pageOnce;
    std::string cache;
    bool ahead = false;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, 9) == "--folder=") {
            folder = std::string(arg.substr(9));
        } else if (arg.substr(0, 12) == "--page-once=") {
            pageOnce = std::string(arg.substr(12));
        } else if (arg.substr(0, 8) == "--cache=") {
            cache = std::string(arg.substr(8));
        } else if (arg == "--ahead") {
            ahead = true;
        } else {
            rest.push_back(argv[i]);
        }
    }

    if (!pageOnce.empty()) {
        return buildPageOnce(pageOnce, ahead, cache);
    }

    fs::path generated;
    if (folder.empty()) {
        generated = makeTempFolder();
        std::fprintf(stderr, "Making 60 JPEGs of 4000 x 3000 pixels in %s...\n", generated.c_str());
        makeFolder(generated);
        folder = generated.string();
    }
    const std::vector<std::string> files = filesIn(folder);
    const fs::path profiled = makeTempFolder();
    const std::string profile = plivora::bench::cameraProfile();
    std::vector<std::string> profiledFiles;
    for (const std::string& path : files) {
        try {
            plivora::LoadPicture(path);
        } catch (const plivora::Error& error) {
            std::fprintf(stderr, "%s does not load: error %d\n", path.c_str(), error.number());
            return 1;
        }
        profiledFiles.push_back((profiled / fs::path(path).filename()).string());
        plivora::bench::writeWithProfile(path, profiledFiles.back(), profile);
    }

    const struct {
        const char* name;
        bool background;
        Cache cache;
    } pages[] = {{"ViewAll/OneCore", false, Cache::None},
                 {"ViewAll/DecodeAhead", true, Cache::None},
                 {"ViewAll/DecodeAheadColdCache", true, Cache::Cold},
                 {"ViewAll/DecodeAheadWarmCache", true, Cache::Warm}};
    const struct {
        const char* suffix;
        std::string folder;
        const std::vector<std::string>& files;
    } variants[] = {{"", folder, files}, {"/CameraProfile", profiled.string(), profiledFiles}};
    for (const auto& variant : variants) {
        for (const auto& page : pages) {
            benchmark::RegisterBenchmark((page.name + std::string(variant.suffix)).c_str(), viewAll,
                                         variant.folder, page.background, page.cache)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MeasureProcessCPUTime()
                ->MinTime(3.0);
        }
        benchmark::RegisterBenchmark(("LoadPicture" + std::string(variant.suffix)).c_str(),
                                     loadPicture, variant.files)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MeasureProcessCPUTime()
            ->MinTime(3.0);
    }

    int restCount = static_cast<int>(rest.size());
    benchmark::Initialize(&restCount, rest.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    if (!generated.empty()) {
        fs::remove_all(generated, ignored);
    }
    fs::remove_all(profiled, ignored);
    return 0;
}
