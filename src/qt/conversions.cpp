#include "qt/conversions.h"

#include <algorithm>
#include <cmath>

#include <QFile>
#include <QMimeData>

#include "forms/control.h"
#include "forms/form.h"
#include "forms/host.h"
#include "picture/picture.h"

namespace plivora {

int twipsToPixels(float twips, float twipsPerPixel) {
    return roundHalfEven(static_cast<double>(twips) / static_cast<double>(twipsPerPixel));
}

float pixelsToTwips(double pixels, float twipsPerPixel) {
    return static_cast<float>(pixels * static_cast<double>(twipsPerPixel));
}

QRect controlPixelRect(const Control& control) {
    const Form& form = *control.form();
    const Host& host = form.host();
    const float toTwipsX = form.unitsToTwipsX();
    const float toTwipsY = form.unitsToTwipsY();
    const float tx = host.twipsPerPixelX();
    const float ty = host.twipsPerPixelY();
    return QRect(twipsToPixels(control.left() * toTwipsX, tx),
                 twipsToPixels(control.top() * toTwipsY, ty),
                 std::max(0, twipsToPixels(control.width() * toTwipsX, tx)),
                 std::max(0, twipsToPixels(control.height() * toTwipsY, ty)));
}

QRect formOuterPixelRect(const Form& form) {
    const Host& host = form.host();
    const float tx = host.twipsPerPixelX();
    const float ty = host.twipsPerPixelY();
    return QRect(twipsToPixels(form.left(), tx), twipsToPixels(form.top(), ty),
                 std::max(0, twipsToPixels(form.width(), tx)),
                 std::max(0, twipsToPixels(form.height(), ty)));
}

FrameMetrics frameMetricsFromPixels(const QMargins& frame, const Host& host) {
    const float tx = host.twipsPerPixelX();
    const float ty = host.twipsPerPixelY();
    return {pixelsToTwips(frame.left(), tx), pixelsToTwips(frame.top(), ty),
            pixelsToTwips(frame.right(), tx), pixelsToTwips(frame.bottom(), ty)};
}

PixelRect toPixelRect(const QRect& rect) {
    return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

QString toQString(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toStdString(const QString& text) {
    return text.toStdString();
}

QString fileNameToQString(const std::string& name) {
    return QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

QUrl fileUrl(const std::string& path) {
    // Every byte but the unreserved ones and the separators is percent-encoded, so the URL holds
    // the name whatever its encoding. QUrl::fromLocalFile would take a QString, which cannot
    // hold a byte that is not UTF-8.
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    return QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

std::string localFilePath(const QUrl& url) {
    // The fully encoded path keeps each byte a sender percent-encoded (a file manager encodes a
    // Latin-1 "é" as %E9), where QUrl::toLocalFile decodes it into a QString and loses it.
    std::string path;
    if (!url.host().isEmpty()) {
        path = "//" + toStdString(url.host());
    }
    path += QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
    return path;
}

QString captionToQString(const std::string& caption) {
    QString text = toQString(caption);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QColor toQColor(OleColor color, const Host& host) {
    // A system colour comes from the raster layer's table, which the GIF control draws with too.
    const COLORREF value = host.gdi().systemColors().resolve(color);
    return QColor(GetRValue(value), GetGValue(value), GetBValue(value));
}

OleColor fromQColor(const QColor& color) {
    return rgb(color.red(), color.green(), color.blue());
}

QImage wrapImage(const Image& image) {
    if (image.isNull()) {
        return {};
    }
    // 0xAARRGGBB words, not premultiplied, rows without padding: Format_ARGB32 exactly.
    return QImage(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
                  static_cast<qsizetype>(image.width) * 4, QImage::Format_ARGB32);
}

Image fromQImage(const QImage& source) {
    if (source.isNull()) {
        return {};
    }
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    Image image(argb.width(), argb.height());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y));
        std::copy(row, row + argb.width(),
                  image.pixels.begin() + static_cast<std::ptrdiff_t>(y) * argb.width());
    }
    return image;
}

QPixmap pictureToPixmap(const Picture& picture) {
    if (picture.isNull()) {
        return {};
    }
    return QPixmap::fromImage(wrapImage(picture.fullImage()));
}

QPixmap pictureToPixmap(const Picture& picture, QSize size, double devicePixelRatio) {
    if (picture.isNull() || size.isEmpty()) {
        return {};
    }
    const double ratio = std::max(1.0, devicePixelRatio);
    const QSize device(static_cast<int>(std::lround(size.width() * ratio)),
                       static_cast<int>(std::lround(size.height() * ratio)));
    QPixmap pixmap;
    if (device == QSize(picture.width(), picture.height())) {
        pixmap = pictureToPixmap(picture);
    } else {
        const QImage source = wrapImage(picture.imageForSize(device.width(), device.height()));
        if (source.isNull()) {
            return {};
        }
        // scaled() makes its own pixels, so the result outlives the wrapped buffer.
        pixmap = QPixmap::fromImage(
            source.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QFont toQFont(const Font& font) {
    QFont result;
    const bool bitmapFace = font.name == "MS Sans Serif" || font.name == "Small Fonts" ||
                            font.name == "System" || font.name.empty();
    if (bitmapFace) {
        result.setFamily(QStringLiteral("Sans Serif"));
    } else {
        result.setFamily(toQString(font.name));
    }
    result.setStyleHint(QFont::SansSerif);
    result.setPointSizeF(static_cast<double>(std::max(font.sizePoints, kMinimumPointSize)));
    result.setBold(font.bold);
    return result;
}

int toMouseButton(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return MouseButton::Left;
        case Qt::RightButton:
            return MouseButton::Right;
        case Qt::MiddleButton:
            return MouseButton::Middle;
        default:
            return 0;
    }
}

int toMouseButtons(Qt::MouseButtons buttons) {
    int result = 0;
    if (buttons.testFlag(Qt::LeftButton)) {
        result |= MouseButton::Left;
    }
    if (buttons.testFlag(Qt::RightButton)) {
        result |= MouseButton::Right;
    }
    if (buttons.testFlag(Qt::MiddleButton)) {
        result |= MouseButton::Middle;
    }
    return result;
}

int toShiftState(Qt::KeyboardModifiers modifiers) {
    int result = 0;
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        result |= 1;
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        result |= 2;
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        result |= 4;
    }
    return result;
}

DropData toDropData(const QMimeData& mime) {
    if (!mime.hasUrls()) {
        return DropData{std::nullopt};
    }
    std::vector<std::string> files;
    for (const QUrl& url : mime.urls()) {
        // Remote URLs (a web page's link) name no file this program can open.
        if (url.isLocalFile()) {
            files.push_back(localFilePath(url));
        }
    }
    if (files.empty()) {
        return DropData{std::nullopt};
    }
    return DropData{std::move(files)};
}

}  // namespace plivora
