// Fuzz target of the animated GIF control: the input is a file that the control loads on a form
// of the headless host and then plays for a few frames. Errors thrown by the load are the
// expected outcome for most inputs; a crash, a sanitizer report, a hang, a frame file left in the
// temporary folder or an allocation beyond libFuzzer's limit is a finding.

#include <cstddef>
#include <cstdint>
#include <string>

#include "forms/form.h"
#include "fuzz_folder.h"
#include "gifctl/animated_gif_ctl.h"
#include "headless/headless_host.h"
#include "win/error.h"

namespace plivora {
namespace {

// How many frame clock ticks each input gets, and the longest stretch of virtual time the
// clock is moved on before them (the 250 ms start interval and any frame's interval fit in it).
constexpr int kTicks = 6;
constexpr std::int64_t kLongestWaitMs = 10'000;

class FuzzForm : public Form {
public:
    explicit FuzzForm(Host& host) : Form(host, "FuzzForm") {
        gif.move(0, 0, 1500, 1500);  // 100 x 100 pixels at 15 twips per pixel
    }
    AnimatedGifCtl gif{*this, "AnimatedGifCtl1"};
};

void playFile(const std::string& path) {
    // A fresh host, form and control per input, so that no state carries over between inputs.
    HeadlessHost host;
    FuzzForm form(host);
    try {
        form.gif.LoadGif(true, path);
    } catch (const Error&) {
        // The control keeps the file name after a failed load, so a later paint or start still
        // reaches the frames loaded so far; they are played below as after a good load.
    }
    form.gif.Refresh();
    form.gif.StartTimer();
    for (int tick = 0; tick < kTicks && form.gif.Timer1.isRunning(); ++tick) {
        const int interval = form.gif.Timer1.interval();
        host.advance(interval < kLongestWaitMs ? interval : kLongestWaitMs);
    }
    form.gif.StopGif();
}

}  // namespace
}  // namespace plivora

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    plivora::fuzz::FuzzFolder& folder = plivora::fuzz::FuzzFolder::instance();
    plivora::playFile(folder.writeInput(data, size));
    folder.expectOnlyInput();
    return 0;
}
