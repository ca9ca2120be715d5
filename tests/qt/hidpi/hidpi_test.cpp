// Pictures on a screen with two device pixels per logical pixel, on the offscreen platform.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <QApplication>
#include <QImage>
#include <QImageWriter>
#include <QWidget>

#include "forms/form.h"
#include "forms/image_control.h"
#include "forms/image_list.h"
#include "picture/picture_loader.h"
#include "qt/conversions.h"
#include "qt/qt_host.h"
#include "support/temp_folder.h"

namespace plivora {
namespace {

class DoubledScreen : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_SCALE_FACTOR", "2");
        m_application = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_application.reset(); }

private:
    int m_argc = 1;
    char m_name[14] = "test_qt_hidpi";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_application;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new DoubledScreen);

class PictureForm : public Form {
public:
    explicit PictureForm(Host& host) : Form(host, "PictureForm") {
        setClientSize(3000, 3000);
        fitted.move(0, 0, 1200, 900);  // 80 x 60 logical pixels
        fitted.setStretch(true);
        natural.move(0, 1200, 600, 600);
        icons.setImageWidth(16);
        icons.setImageHeight(16);
    }
    ImageControl fitted{*this, "fitted"};
    ImageControl natural{*this, "natural"};
    ImageList icons{*this, "icons"};
};

int channelDistance(QRgb a, QRgb b) {
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                     std::abs(qBlue(a) - qBlue(b))});
}

TEST(HiDpi, PicturesAreDrawnFromDevicePixelsAndSizesStayLogical) {
    QtHost host;
    ASSERT_EQ(qApp->devicePixelRatio(), 2.0);
    EXPECT_EQ(host.twipsPerPixelX(), 15.0f);
    EXPECT_EQ(host.twipsPerPixelY(), 15.0f);

    // Black and white stripes 8 pixels wide in a 1280 x 960 JPEG: at the fitted display's device
    // size (160 x 120) each device column is one stripe, while at its logical size two stripes
    // would blend into grey.
    const TempFolder folder;
    const std::string path = folder.path() + "/stripes.jpg";
    QImage stripes(1280, 960, QImage::Format_RGB32);
    for (int x = 0; x < stripes.width(); ++x) {
        for (int y = 0; y < stripes.height(); ++y) {
            stripes.setPixel(x, y, (x / 8) % 2 == 0 ? 0xFF000000u : 0xFFFFFFFFu);
        }
    }
    QImageWriter writer(QString::fromStdString(path), "jpeg");
    writer.setQuality(100);
    ASSERT_TRUE(writer.write(stripes));

    PictureForm form(host);
    form.show();
    const Picture picture = LoadPicture(path);
    form.fitted.setPicture(picture);
    const QImage shot =
        host.widgetOf(form.fitted)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), QSize(160, 120));
    // The reference: the reduced decode for the device size, shrunk to it.
    const QImage reference = wrapImage(picture.imageForSize(160, 120))
                                 .scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    int contrast = 0;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x) {
            worst = std::max(worst, channelDistance(shot.pixel(x, y), reference.pixel(x, y)));
        }
    }
    for (int x = 1; x < 159; ++x) {
        contrast = std::max(contrast, channelDistance(shot.pixel(x, 60), shot.pixel(x + 1, 60)));
    }
    EXPECT_LE(worst, 2);
    EXPECT_GE(contrast, 200) << "neighbouring device columns are separate stripes";

    // A picture at its natural size: each pixel becomes two by two device pixels of its colour.
    Image small(4, 3);
    for (int i = 0; i < 12; ++i) {
        small.pixels[static_cast<std::size_t>(i)] =
            0xFF000000u | static_cast<std::uint32_t>(i * 0x150A05);
    }
    form.natural.setPicture(Picture(small));
    const QImage blocks =
        host.widgetOf(form.natural)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            EXPECT_EQ(blocks.pixel(x, y), small.pixel(x / 2, y / 2));
        }
    }

    // Thumbnails are made at the device size of the list's logical image size.
    form.icons.add("stripes", picture);
    EXPECT_EQ(form.icons.find("stripes")->image.width, 32);
    EXPECT_EQ(form.icons.find("stripes")->image.height, 32);
}

}  // namespace
}  // namespace plivora
