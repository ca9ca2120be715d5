#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace plivora {

// What one run of plivora-gifinfo does.
struct GifInfoOptions {
    // The control's BackColor: red + 256 * green + 65536 * blue.
    std::uint32_t backColor = 0xF0F0F0;
    int ticks = 0;
    std::string outFolder;         // PNGs of the frames and of the canvas; none when empty
    std::string frameFilesFolder;  // copies of the single-image files; none when empty
    std::string file;
};

// The most ticks one run delivers; more would only spin the virtual clock.
inline constexpr int kMaxGifInfoTicks = 100000;

// Reads the command line (without the program name). An empty optional and a reason in `problem`
// when it is not a valid call.
std::optional<GifInfoOptions> parseGifInfoArguments(const std::vector<std::string>& arguments,
                                                    std::string& problem);

// Puts an AnimatedGifCtl on a small form of a headless host, sets its BackColor, loads the file
// with LoadGif(true, file), starts the frame timer and delivers the ticks through the virtual
// clock, each tick after the timer's interval of the moment. Writes one JSON object with the
// control's name and frame count, the canvas size, the per-frame records, the timer intervals and
// the load error to `json`, and the control's warnings to `warnings`. A failing load is part of
// the result: the frame timer is still started, as the program's play button would, and the JSON
// holds what the control knows. Ticks stop early when the timer is not running, since no further
// tick would come. Throws std::runtime_error when an output folder or file cannot be written.
void runGifInfo(const GifInfoOptions& options, std::ostream& json, std::ostream& warnings);

}  // namespace plivora
