// Choosing a camera-sized JPEG in the main window's file list: File1_Click on the headless host,
// from the click until the labels describe the picture.
//
// "File1_ClickAhead" is the same click on a host that allows background work as the Qt host
// does: before each timed click, untimed, the entry beside the file is clicked and its
// neighbours (the file among them) are decoded ahead; the timed click then shows the picture
// decoded ahead. The benchmark fails unless every timed click was such a one.
//
// "File1_Click" selects the file with File1.setListIndex, which raises the click: the picture is
// loaded into the thumbnail window's imgShadow (a large JPEG is decoded at load at a reduced
// scale only), the animated GIF control is asked to load it (it is no GIF), the display area is
// fitted and the dimension, file size and caption are set. "FullDecodeAndFit" is what a loader
// without reduced decoding does: QtGui's reader decodes every pixel and the result is
// smooth-fitted into the 161 x 145 pixel display area.
//
// Usage:
//   bench_picture_display_click [--jpeg=FILE ...] [benchmark flags]
//       Benchmarks each FILE; without --jpeg, makes a 12 MP and a 24 MP JPEG in a temporary
//       folder first. Each FILE is benchmarked again as a copy with a camera's colour profile
//       (Adobe RGB) embedded ("/CameraProfile"), all copies in one temporary folder: the profile's
//       transform against the same click without one.
//   bench_picture_display_click --click-once=FILE
//       Starts the program in FILE's folder, clicks FILE once, prints the labels and exits: for
//       timing a whole process and for its peak memory with /usr/bin/time -v.
//   bench_picture_display_click --click-once-ahead=FILE
//       The same after a click on the entry beside FILE, with browsing ahead: the peak memory
//       with the pictures decoded ahead held.
//   bench_picture_display_click --idle=FOLDER
//       Starts the program in FOLDER and exits without a click: the peak memory of the program
//       without a picture on show.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"
#include "app/program.h"
#include "bench_pictures.h"
#include "camera_profile.h"
#include "headless/headless_host.h"
#include "picture/browse_ahead.h"

namespace {

namespace fs = std::filesystem;

using plivora::bench::fullDecodeAndFit;
using plivora::bench::makeJpeg;
using plivora::bench::megapixelName;

std::string makeTempFolder() {
    std::string pattern = (fs::temp_directory_path() / "plivora-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

// The program on the headless host, started in `folder` with a program folder of its own (for
// the settings file), as the real program starts.
class ProgramInFolder {
public:
    explicit ProgramInFolder(const std::string& folder, bool ahead = false)
        : m_appFolder(makeTempFolder()) {
        m_host.setDrives({{"/", "/"}});
        m_host.setBackgroundWork(ahead);
        m_program = std::make_unique<plivora::Program>(
            m_host, plivora::ProgramPaths{folder, m_appFolder, ","});
        m_program->start();
    }
    ~ProgramInFolder() {
        m_program.reset();
        std::error_code ignored;
        fs::remove_all(m_appFolder, ignored);
    }
    ProgramInFolder(const ProgramInFolder&) = delete;
    ProgramInFolder& operator=(const ProgramInFolder&) = delete;

    plivora::Form1& form1() { return m_program->form1(); }

    // The entry beside `index`: the one before it, or after it for the first.
    int neighbour(int index) { return index > 0 ? index - 1 : index + 1; }

    // The index of `name` in File1; -1 when it is not listed.
    int listIndex(const std::string& name) {
        plivora::FileListBox& list = form1().File1;
        for (int i = 0; i < list.listCount(); ++i) {
            if (list.list(i) == name) {
                return i;
            }
        }
        return -1;
    }

private:
    plivora::HeadlessHost m_host;
    std::string m_appFolder;
    std::unique_ptr<plivora::Program> m_program;
};

void fileClick(benchmark::State& state, const std::string& path) {
    const fs::path file(path);
    ProgramInFolder program(file.parent_path().string());
    plivora::Form1& form = program.form1();
    const int index = program.listIndex(file.filename().string());
    if (index < 0) {
        state.SkipWithError("the file is not in the file list");
        return;
    }
    for (auto _ : state) {
        form.File1.setListIndex(index);
        benchmark::DoNotOptimize(form.lblDimension.caption().data());
    }
    if (form.lblErrorMessage.isVisible() || form.lblDimension.caption().empty()) {
        state.SkipWithError("the click did not show the picture");
    }
}

void fileClickAhead(benchmark::State& state, const std::string& path) {
    const fs::path file(path);
    ProgramInFolder program(file.parent_path().string(), true);
    plivora::Form1& form = program.form1();
    const int index = program.listIndex(file.filename().string());
    if (index < 0 || form.File1.listCount() < 2) {
        state.SkipWithError("the file and another are not in the file list");
        return;
    }
    plivora::BrowseAhead& ahead = form.browseAhead();
    std::int64_t timedHits = 0;
    for (auto _ : state) {
        state.PauseTiming();
        form.File1.setListIndex(program.neighbour(index));
        ahead.waitUntilIdle();
        const int hitsBefore = ahead.hits();
        state.ResumeTiming();
        form.File1.setListIndex(index);
        benchmark::DoNotOptimize(form.lblDimension.caption().data());
        state.PauseTiming();
        timedHits += ahead.hits() - hitsBefore;
        ahead.waitUntilIdle();  // the click's own neighbours, so that no decode overlaps the next
        state.ResumeTiming();
    }
    if (timedHits != static_cast<std::int64_t>(state.iterations())) {
        state.SkipWithError("a timed click decoded its picture");
    }
    if (form.lblErrorMessage.isVisible() || form.lblDimension.caption().empty()) {
        state.SkipWithError("the click did not show the picture");
    }
}

int clickOnce(const std::string& path, bool ahead) {
    const fs::path file(path);
    ProgramInFolder program(file.parent_path().string(), ahead);
    plivora::Form1& form = program.form1();
    const int index = program.listIndex(file.filename().string());
    if (index < 0) {
        std::fprintf(stderr, "%s is not in the file list\n", path.c_str());
        return 1;
    }
    if (ahead) {
        form.File1.setListIndex(program.neighbour(index));
        form.browseAhead().waitUntilIdle();
    }
    form.File1.setListIndex(index);
    form.browseAhead().waitUntilIdle();
    if (ahead && form.browseAhead().hits() != 1) {
        std::fprintf(stderr, "%s was not decoded ahead\n", path.c_str());
        return 1;
    }
    if (form.lblErrorMessage.isVisible()) {
        std::fprintf(stderr, "%s\n", form.lblErrorMessage.caption().c_str());
        return 1;
    }
    std::printf("%s | %s | %s\n", form.lblDimension.caption().c_str(),
                form.lblRatio.caption().c_str(), form.lblFileSize.caption().c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> files;
    std::vector<char*> rest;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.substr(0, 7) == "--idle=") {
            ProgramInFolder program{std::string(arg.substr(7))};
            return 0;
        }
        if (arg.substr(0, 13) == "--click-once=") {
            return clickOnce(std::string(arg.substr(13)), false);
        }
        if (arg.substr(0, 19) == "--click-once-ahead=") {
            return clickOnce(std::string(arg.substr(19)), true);
        }
        if (arg.substr(0, 7) == "--jpeg=") {
            files.emplace_back(arg.substr(7));
        } else {
            rest.push_back(argv[i]);
        }
    }

    fs::path generated;
    if (files.empty()) {
        generated = makeTempFolder();
        files = {makeJpeg(generated, 4000, 3000), makeJpeg(generated, 6000, 4000)};
    }

    // The same pictures with the camera's profile embedded, under the same names in a folder of
    // their own.
    const fs::path profiled = makeTempFolder();
    const std::string profile = plivora::bench::cameraProfile();
    const std::size_t plainCount = files.size();
    for (std::size_t i = 0; i < plainCount; ++i) {
        const std::string copy = (profiled / fs::path(files[i]).filename()).string();
        plivora::bench::writeWithProfile(files[i], copy, profile);
        files.push_back(copy);
    }

    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        const std::string name = megapixelName(path) + (i >= plainCount ? "/CameraProfile" : "");
        benchmark::RegisterBenchmark(("File1_Click/" + name).c_str(), fileClick, path)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
        // A fixed number of clicks: each waits, untimed, for decodes on a thread that yields to
        // everything else, which on a busy machine takes far longer than the click itself.
        benchmark::RegisterBenchmark(("File1_ClickAhead/" + name).c_str(), fileClickAhead, path)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->Iterations(15);
        benchmark::RegisterBenchmark(("FullDecodeAndFit/" + name).c_str(), fullDecodeAndFit, path)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(2.0);
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
