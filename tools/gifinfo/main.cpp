// plivora-gifinfo: loads a GIF file into the animated GIF control on a headless host and prints
// what the control made of it as one JSON object.

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "gif_info.h"

namespace {

constexpr const char* kUsage =
    "usage: plivora-gifinfo [--back RRGGBB] [--ticks N] [--out DIR] [--frame-files DIR] FILE\n"
    "\n"
    "Loads FILE into the animated GIF control (LoadGif, then StartTimer), delivers N frame\n"
    "timer ticks (default 0) and prints one JSON object: strGifFileName, NumberofFrames, canvas,\n"
    "records (each with the colour a transparent frame is keyed on, \"key\": \"RRGGBB\" after any\n"
    "recolouring of its transparent entry, null for an opaque frame), intervals (after StartTimer\n"
    "and after each tick) and error (null, or the load's number and description). Ticks stop\n"
    "early when the timer does not run.\n"
    "\n"
    "  --back RRGGBB      the control's background colour (default F0F0F0)\n"
    "  --ticks N          frame timer ticks to deliver, 0 to 100000\n"
    "  --out DIR          writes DIR/frame_000.png ... (each decoded frame, RGB) and\n"
    "                     DIR/canvas_000.png (after the load), canvas_001.png ... (after each "
    "tick)\n"
    "  --frame-files DIR  copies each single-image file the control writes as DIR/frame_000.gif "
    "...\n"
    "\n"
    "Strings in the JSON are UTF-8; a byte of FILE's name that is not well-formed UTF-8 is "
    "written\n"
    "as \\u00XX with its value. Exit status: 0 when the tool ran, whatever FILE held; 1 when an\n"
    "output could not be written; 2 for bad usage.\n";

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& arg : arguments) {
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage;
            return 0;
        }
    }
    std::string problem;
    const auto options = plivora::parseGifInfoArguments(arguments, problem);
    if (!options) {
        std::cerr << "plivora-gifinfo: " << problem << "\n\n" << kUsage;
        return 2;
    }
    try {
        plivora::runGifInfo(*options, std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "plivora-gifinfo: " << error.what() << '\n';
        return 1;
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}
