#include "bench_pictures.h"

#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace plivora::bench {

QImage fit(const QImage& image) {
    return image.scaled(QSize(kAreaWidthPx, kAreaHeightPx), Qt::KeepAspectRatio,
                        Qt::SmoothTransformation);
}

void fullDecodeAndFit(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        QImageReader reader(QString::fromStdString(path));
        QImage shown = fit(reader.read());
        if (shown.isNull()) {
            state.SkipWithError("QImageReader could not read the file");
            return;
        }
        benchmark::DoNotOptimize(shown.constBits());
    }
}

// A photograph-like test picture: smooth colour fields with fine grain, which compresses about
// as well as a camera picture does.
std::string makeJpeg(const std::filesystem::path& folder, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(12345);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const int grain = int(random.bounded(24)) - 12;
            const int r = int(128 + 100 * std::sin(6.0 * u + 2.0 * v)) + grain;
            const int g = int(128 + 100 * std::sin(4.0 * v - 3.0 * u)) + grain;
            const int b = int(128 + 100 * std::cos(5.0 * (u + v))) + grain;
            row[x] = qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
        }
    }
    const std::filesystem::path path =
        folder / (std::to_string(width * height / 1000000) + "mp.jpg");
    QImageWriter writer(QString::fromStdString(path.string()), "jpeg");
    writer.setQuality(90);
    if (!writer.write(image)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    return path.string();
}

std::string megapixelName(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    const QSize size = reader.size();
    char name[32];
    std::snprintf(name, sizeof name, "%.0fMP", double(size.width()) * size.height() / 1e6);
    return name;
}

}  // namespace plivora::bench
