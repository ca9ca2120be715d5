#include "gif_info.h"

#include <QImage>
#include <QString>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>

#include "forms/form.h"
#include "gifctl/animated_gif_ctl.h"
#include "headless/headless_host.h"
#include "json_text.h"
#include "picture/picture_loader.h"
#include "win/error.h"

namespace plivora {

namespace {

namespace fs = std::filesystem;

// The form the control sits on: 10 x 10 pixels of control at the headless host's 15 twips per
// pixel. The inspection looks at the canvas, not at the control's own surface.
class GifInfoForm : public Form {
public:
    explicit GifInfoForm(Host& host) : Form(host, "GifInfoForm") {
        AnimatedGifCtl1.move(0, 0, 150, 150);
    }
    AnimatedGifCtl AnimatedGifCtl1{*this, "AnimatedGifCtl1"};
};

std::string numberedName(const char* stem, int number, const char* extension) {
    char name[64];
    std::snprintf(name, sizeof name, "%s_%03d.%s", stem, number, extension);
    return name;
}

void makeFolder(const std::string& folder) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder)) {
        throw std::runtime_error("cannot make the folder " + folder);
    }
}

// Writes the colour of every pixel, without alpha: the transparent entry of a frame shows the
// colour of its table entry, as the frame bitmap holds it.
void writeRgbPng(const Image& image, const std::string& path) {
    QImage rgb(image.width, image.height, QImage::Format_RGB888);
    for (int y = 0; y < image.height; ++y) {
        uchar* row = rgb.scanLine(y);
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t argb = image.pixel(x, y);
            row[3 * x] = static_cast<uchar>(argb >> 16);
            row[3 * x + 1] = static_cast<uchar>(argb >> 8);
            row[3 * x + 2] = static_cast<uchar>(argb);
        }
    }
    if (!rgb.save(QString::fromStdString(path), "PNG")) {
        throw std::runtime_error("cannot write " + path);
    }
}

void copyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
    if (error) {
        throw std::runtime_error("cannot copy the frame file to " + to);
    }
}

const char* jsonBool(bool value) {
    return value ? "true" : "false";
}

// The colour a transparent frame is keyed on, as the table its file carries holds it (after any
// recolouring), written "RRGGBB"; null for an opaque frame.
std::string keyColourJson(const GifStream& stream, int frame) {
    if (!stream.records[static_cast<std::size_t>(frame)].hasTransparency) {
        return "null";
    }
    const COLORREF key = transparentKeyColour(stream, frame);
    char text[16];
    std::snprintf(text, sizeof text, "\"%02X%02X%02X\"", key & 0xFF, (key >> 8) & 0xFF,
                  (key >> 16) & 0xFF);
    return text;
}

void writeRecords(const GifStream& stream, std::ostream& json) {
    // The walk may open one record more than it finds images for; only frames are listed.
    const std::size_t count =
        std::min(stream.records.size(), static_cast<std::size_t>(stream.frameCount()));
    json << '[';
    for (std::size_t i = 0; i < count; ++i) {
        const GifFrameRecord& r = stream.records[i];
        json << (i ? ", " : "") << "{\"left\": " << r.left << ", \"top\": " << r.top
             << ", \"width\": " << r.width << ", \"height\": " << r.height
             << ", \"delay\": " << r.delay << ", \"disposal\": " << int(r.disposalMethod)
             << ", \"transparent\": " << jsonBool(r.hasTransparency)
             << ", \"transparentIndex\": " << int(r.transparentIndex)
             << ", \"key\": " << keyColourJson(stream, static_cast<int>(i))
             << ", \"localTable\": " << jsonBool(r.hasLocalTable) << '}';
    }
    json << ']';
}

// ---- The stages of a run ----

void makeOutputFolders(const GifInfoOptions& options) {
    if (!options.outFolder.empty()) {
        makeFolder(options.outFolder);
    }
    if (!options.frameFilesFolder.empty()) {
        makeFolder(options.frameFilesFolder);
    }
}

// The control on its form on a headless host, watched as the options ask: its warnings go to the
// warnings stream, each frame file it writes is copied and each frame it decodes and the canvas
// after the load and after each tick are written as PNGs, and the frame timer's ticks are counted.
class GifInspection {
public:
    GifInspection(const GifInfoOptions& options, std::ostream& warnings)
        : m_options(options), m_warnings(warnings) {
        m_gif.Warning = [this](const std::string& message) {
            m_warnings << "warning: " << message << '\n';
        };
        // The frame files come to the loader in frame order; each is copied, as written, before
        // it is decoded, so a frame the loader refuses can still be looked at.
        m_gif.engine().setPictureLoader(
            [this](const std::string& path) { return loadFrame(path); });
        auto tick = m_gif.Timer1.Timer;
        m_gif.Timer1.Timer = [this, tick] {
            tick();
            ++m_ticksSeen;
        };
    }
    GifInspection(const GifInspection&) = delete;
    GifInspection& operator=(const GifInspection&) = delete;

    const AnimatedGifCtl& control() const { return m_gif; }

    // Sets the control's BackColor and loads the file; a failing load is part of the result.
    std::optional<Error> load() {
        m_gif.setBackColor(m_options.backColor);
        std::optional<Error> loadError;
        try {
            m_gif.LoadGif(true, m_options.file);
        } catch (const Error& error) {
            loadError = error;
        }
        writeCanvas(0);
        return loadError;
    }

    // Starts the frame timer and delivers the ticks while it runs; gives the timer's interval
    // after the start and after each tick.
    std::vector<int> play() {
        m_gif.StartTimer();
        std::vector<int> intervals{m_gif.Timer1.interval()};
        for (int n = 1; n <= m_options.ticks && m_gif.Timer1.isRunning(); ++n) {
            m_host.advance(m_gif.Timer1.interval());
            if (m_ticksSeen != n) {
                throw std::logic_error("the frame timer did not tick once per interval");
            }
            intervals.push_back(m_gif.Timer1.interval());
            writeCanvas(n);
        }
        return intervals;
    }

private:
    Picture loadFrame(const std::string& path) {
        const int k = m_framesLoaded++;
        if (!m_options.frameFilesFolder.empty()) {
            copyFile(path, m_options.frameFilesFolder + "/" + numberedName("frame", k, "gif"));
        }
        Picture picture = LoadPicture(path);
        if (!m_options.outFolder.empty()) {
            writeRgbPng(picture.fullImage(),
                        m_options.outFolder + "/" + numberedName("frame", k, "png"));
        }
        return picture;
    }

    void writeCanvas(int number) {
        if (m_options.outFolder.empty()) {
            return;
        }
        const Image canvas = m_host.gdi().bitmapPixels(m_gif.engine().canvasBitmap());
        if (!canvas.isNull()) {
            writeRgbPng(canvas, m_options.outFolder + "/" + numberedName("canvas", number, "png"));
        }
    }

    const GifInfoOptions& m_options;
    std::ostream& m_warnings;
    HeadlessHost m_host;
    GifInfoForm m_form{m_host};
    AnimatedGifCtl& m_gif = m_form.AnimatedGifCtl1;
    int m_framesLoaded = 0;
    int m_ticksSeen = 0;
};

void writeJson(const AnimatedGifCtl& gif, const std::vector<int>& intervals,
               const std::optional<Error>& loadError, std::ostream& json) {
    const GifAnimation& engine = gif.engine();
    json << "{\"strGifFileName\": " << jsonString(gif.strGifFileName())
         << ", \"NumberofFrames\": " << gif.NumberofFrames()
         << ", \"canvas\": {\"width\": " << engine.canvasWidth()
         << ", \"height\": " << engine.canvasHeight() << "}, \"records\": ";
    writeRecords(engine.stream(), json);
    json << ", \"intervals\": [";
    for (std::size_t i = 0; i < intervals.size(); ++i) {
        json << (i ? ", " : "") << intervals[i];
    }
    json << "], \"error\": ";
    if (loadError) {
        json << "{\"number\": " << loadError->number()
             << ", \"description\": " << jsonString(loadError->description()) << '}';
    } else {
        json << "null";
    }
    json << "}\n";
}

}  // namespace

std::optional<GifInfoOptions> parseGifInfoArguments(const std::vector<std::string>& arguments,
                                                    std::string& problem) {
    GifInfoOptions options;
    bool haveFile = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        const bool takesValue =
            arg == "--back" || arg == "--ticks" || arg == "--out" || arg == "--frame-files";
        if (takesValue && i + 1 >= arguments.size()) {
            problem = arg + " needs a value";
            return std::nullopt;
        }
        if (arg == "--back") {
            const std::string& value = arguments[++i];
            if (value.size() != 6 ||
                value.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
                problem = "--back takes six hex digits RRGGBB, not '" + value + "'";
                return std::nullopt;
            }
            const auto rgb = static_cast<std::uint32_t>(std::stoul(value, nullptr, 16));
            options.backColor = (rgb >> 16) + 256 * ((rgb >> 8) & 0xFF) + 65536 * (rgb & 0xFF);
        } else if (arg == "--ticks") {
            const std::string& value = arguments[++i];
            if (value.empty() || value.size() > 6 ||
                value.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(value) > kMaxGifInfoTicks) {
                problem = "--ticks takes a whole number from 0 to " +
                          std::to_string(kMaxGifInfoTicks) + ", not '" + value + "'";
                return std::nullopt;
            }
            options.ticks = std::stoi(value);
        } else if (arg == "--out") {
            options.outFolder = arguments[++i];
        } else if (arg == "--frame-files") {
            options.frameFilesFolder = arguments[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            problem = "unknown option " + arg;
            return std::nullopt;
        } else if (haveFile) {
            problem = "only one FILE can be inspected";
            return std::nullopt;
        } else {
            options.file = arg;
            haveFile = true;
        }
    }
    if (!haveFile || options.file.empty()) {
        problem = "no FILE given";
        return std::nullopt;
    }
    return options;
}

void runGifInfo(const GifInfoOptions& options, std::ostream& json, std::ostream& warnings) {
    makeOutputFolders(options);
    GifInspection inspection(options, warnings);
    const std::optional<Error> loadError = inspection.load();
    const std::vector<int> intervals = inspection.play();
    writeJson(inspection.control(), intervals, loadError, json);
}

}  // namespace plivora
