#pragma once

#include <string>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMargins>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QUrl>

#include "forms/file_list_box.h"
#include "forms/host.h"
#include "forms/types.h"
#include "win/image.h"

class QMimeData;

namespace plivora {

class Control;
class Form;
class Host;
class Picture;

// Every conversion between Qt's types and ours lives here: twips and pixels, our pixel buffers
// and QImage, our strings and QString, colours, fonts, mouse state and drop data.

// Twips to whole pixels: the nearest pixel, halves to the even neighbour.
int twipsToPixels(float twips, float twipsPerPixel);
float pixelsToTwips(double pixels, float twipsPerPixel);

// A control's rectangle in pixels, relative to its container (the form's client area or the
// frame that holds it). Its geometry is in the form's scale units.
QRect controlPixelRect(const Control& control);
// A form's outer rectangle (frame included) in screen pixels.
QRect formOuterPixelRect(const Form& form);
// The frame metrics in twips of a frame measured in pixels.
FrameMetrics frameMetricsFromPixels(const QMargins& frame, const Host& host);
PixelRect toPixelRect(const QRect& rect);

// Text of the model (UTF-8).
QString toQString(const std::string& text);
std::string toStdString(const QString& text);
// File names are the file system's bytes, which need not be UTF-8 (a Latin-1 name from an old
// archive). A name is decoded only to be shown, an undecodable byte as the replacement
// character; the result is no way back to the file. Where Qt carries a path as data it goes as a
// file URL whose path percent-encodes the bytes, and comes back from one byte for byte.
QString fileNameToQString(const std::string& name);
QUrl fileUrl(const std::string& path);
// The path of a local file URL (QUrl::isLocalFile), as bytes; a host gives "//host/path" as
// QUrl::toLocalFile does.
std::string localFilePath(const QUrl& url);
// A caption as a label or button shows it: a carriage return, a line feed or both break the line.
QString captionToQString(const std::string& caption);

// A colour value; a system colour is resolved through the host.
QColor toQColor(OleColor color, const Host& host);
OleColor fromQColor(const QColor& color);

// Wraps our pixels without copying: the QImage is valid only while the Image lives unchanged.
QImage wrapImage(const Image& image);
Image fromQImage(const QImage& image);
// A picture at its natural size, or scaled smoothly to the given size; a null pixmap for a null
// picture or an empty size. At a device pixel ratio above 1 the scaled pixmap is made from pixels
// decoded for the device size (size x ratio) and carries the ratio, so that it is drawn at the
// logical size without being scaled up again.
QPixmap pictureToPixmap(const Picture& picture);
QPixmap pictureToPixmap(const Picture& picture, QSize size, double devicePixelRatio = 1.0);

// A font of the designed platform as a font of this one. Its bitmap fonts become the desktop's
// sans-serif face, and sizes below kMinimumPointSize are raised to it: the bitmap faces stayed
// legible at 3 points, scalable faces do not.
inline constexpr float kMinimumPointSize = 6.0f;
QFont toQFont(const Font& font);

// Mouse state as the mouse events report it: one button (1 left, 2 right, 4 middle), the buttons
// held, and the shift state (1 shift, 2 control, 4 alt).
int toMouseButton(Qt::MouseButton button);
int toMouseButtons(Qt::MouseButtons buttons);
int toShiftState(Qt::KeyboardModifiers modifiers);

// What a drop carries: the local files of a URL list, their paths byte for byte as the URLs
// percent-encode them, or nothing a file list understands.
DropData toDropData(const QMimeData& mime);

}  // namespace plivora
