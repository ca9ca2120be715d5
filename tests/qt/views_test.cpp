#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QWindow>

#include "forms/command_button.h"
#include "forms/form.h"
#include "forms/image_control.h"
#include "forms/image_list.h"
#include "forms/label.h"
#include "forms/list_view.h"
#include "forms/user_control.h"
#include "qt/conversions.h"
#include "qt/icon_list_view.h"
#include "qt/qt_host.h"

namespace plivora {
namespace {

class TestForm : public Form {
public:
    explicit TestForm(Host& host) : Form(host, "TestForm") {
        setClientSize(3000, 3000);
        button.move(0, 0, 900, 300);
        button.setCaption("Go");
        image.move(0, 600, 600, 600);
        images.setImageWidth(16);
        images.setImageHeight(16);
        icons.move(1200, 0, 1500, 1500);
        surface.move(0, 1500, 600, 600);
        surface.setBorderStyle(1);
    }

    CommandButton button{*this, "button"};
    ImageControl image{*this, "image"};
    ImageList images{*this, "images"};
    ListView icons{*this, "icons"};
    UserControl surface{*this, "surface"};
};

Picture solidPicture(int width, int height, std::uint32_t argb) {
    return Picture(Image(width, height, argb));
}

// One form of every view kind not on the main window, shown on the Qt host; events are logged.
class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TestForm>(host);
        form->show();
    }

    void TearDown() override { form.reset(); }

    Control::MouseHandler logMouse(const std::string& what) {
        return [this, what](int button, int, float x, float y) {
            log.push_back(what + " " + std::to_string(button) + " " +
                          std::to_string(static_cast<int>(x)) + "," +
                          std::to_string(static_cast<int>(y)));
        };
    }

    // The icon list's Qt view once it holds an item of each name, with the size line "4 x 4" and
    // a red icon.
    QListWidget* iconListWith(const std::vector<std::string>& names) {
        form->images.add("red", solidPicture(4, 4, 0xFFFF0000u));
        form->icons.setIcons(&form->images);
        for (const std::string& name : names) {
            form->icons.addItem(name + "\r\n4 x 4", "red");
        }
        return dynamic_cast<QListWidget*>(host.widgetOf(form->icons));
    }

    QtHost host;
    std::unique_ptr<TestForm> form;
    std::vector<std::string> log;
};

TEST_F(ViewsTest, ImageRaisesMouseEventsInTwipsThenClick) {
    form->image.MouseDown = logMouse("down");
    form->image.MouseUp = logMouse("up");
    form->image.Click = [this] { log.push_back("click"); };
    QWidget* view = host.widgetOf(form->image);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->geometry(), QRect(0, 40, 40, 40));
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(2, 3));
    EXPECT_EQ(log, (std::vector<std::string>{"down 1 30,45", "up 1 30,45", "click"}));
}

TEST_F(ViewsTest, ButtonClickComesBeforeMouseUp) {
    form->button.MouseDown = logMouse("down");
    form->button.MouseUp = logMouse("up");
    form->button.Click = [this] { log.push_back("click"); };
    auto* view = dynamic_cast<QPushButton*>(host.widgetOf(form->button));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->text(), QStringLiteral("Go"));
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(log, (std::vector<std::string>{"down 1 60,60", "click", "up 1 60,60"}));
}

TEST_F(ViewsTest, IconListShowsItemsAndLeavesTheSelectionToTheModel) {
    QListWidget* view = iconListWith({"a.gif", "b.gif"});
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->count(), 2);
    EXPECT_EQ(view->item(1)->text(), QStringLiteral("b.gif\n4 x 4"));
    EXPECT_FALSE(view->item(0)->icon().isNull());
    EXPECT_EQ(view->iconSize(), QSize(16, 16));

    form->icons.MouseDown = logMouse("down");
    form->icons.ItemClick = [this](int position) {
        log.push_back("item " + std::to_string(position));
    };
    QTest::mousePress(view->viewport(), Qt::RightButton, {},
                      view->visualItemRect(view->item(1)).center());
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].substr(0, 6), "down 2");
    EXPECT_EQ(log[1], "item 1");
    EXPECT_TRUE(view->item(1)->isSelected());
    EXPECT_FALSE(view->item(0)->isSelected());

    form->icons.clearItems();
    EXPECT_EQ(view->count(), 0);
}

TEST_F(ViewsTest, IconListAddsANewItemAloneAndMakesItselfAnewAfterTheIconsWereCleared) {
    auto* view = dynamic_cast<IconListView*>(iconListWith({"a.gif", "b.gif"}));
    ASSERT_NE(view, nullptr);
    const int made = view->itemsMade();
    QListWidgetItem* first = view->item(0);

    // As a page fill does: a picture, the image list attached again, one more item.
    form->images.add("green", solidPicture(4, 4, 0xFF00FF00u));
    form->icons.setIcons(&form->images);
    form->icons.addItem("c.gif\r\n4 x 4", "green");
    EXPECT_EQ(view->itemsMade(), made + 1);
    ASSERT_EQ(view->count(), 3);
    EXPECT_EQ(view->item(0), first);
    EXPECT_EQ(view->item(2)->icon().pixmap(16, 16).toImage().pixel(8, 8), 0xFF00FF00u);

    // A key may name another picture once the image list was cleared: every item is made again.
    form->images.clear();
    form->images.add("red", solidPicture(4, 4, 0xFF0000FFu));
    form->images.add("green", solidPicture(4, 4, 0xFF0000FFu));
    form->icons.setSelected(0, true);
    EXPECT_EQ(view->itemsMade(), made + 1 + 3);
    EXPECT_EQ(view->item(0)->icon().pixmap(16, 16).toImage().pixel(8, 8), 0xFF0000FFu);
    EXPECT_TRUE(view->item(0)->isSelected());
}

TEST_F(ViewsTest, IconListRepaintsAnItemInItsNewLook) {
    QListWidget* view = iconListWith({"a.gif"});
    ASSERT_NE(view, nullptr);
    const auto look = [&] { return view->viewport()->grab().toImage(); };
    const QImage plain = look();

    // The items are painted once and kept; a selection and a new palette are new looks.
    form->icons.setSelected(0, true);
    EXPECT_NE(look(), plain);
    form->icons.setSelected(0, false);
    EXPECT_EQ(look(), plain);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, QColor(0x12, 0x34, 0x56));
    view->setPalette(palette);
    // A point of the first cell that neither the icon nor the text covers.
    const QPoint blank = view->visualItemRect(view->item(0)).bottomLeft() + QPoint(1, -1);
    const auto colourAt = [&] { return look().pixel(blank); };
    EXPECT_EQ(colourAt(), QColor(0x12, 0x34, 0x56).rgb());
}

// The parts of a widget that were painted since the last look.
class PaintedParts : public QObject {
public:
    explicit PaintedParts(QWidget& widget) { widget.installEventFilter(this); }
    QRegion take() {
        QCoreApplication::processEvents();
        return std::exchange(m_painted, QRegion());
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            m_painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }

private:
    QRegion m_painted;
};

TEST_F(ViewsTest, IconListPaintsTheCellOfAnItemAddedAtItsEndAlone) {
    // Beside the other controls, with room for three cells without a scroll bar.
    form->setClientSize(6000, 3000);
    form->icons.move(3000, 0, 3000, 3000);
    QListWidget* view = iconListWith({"a.gif", "b.gif"});
    ASSERT_NE(view, nullptr);
    PaintedParts painted(*view->viewport());
    painted.take();

    // A page fill adds one thumbnail after another: the others stay as they were painted.
    form->icons.addItem("c.gif\r\n4 x 4", "red");
    const QRegion added = painted.take();
    EXPECT_TRUE(QRegion(view->visualItemRect(view->item(2))).subtracted(added).isEmpty());
    EXPECT_FALSE(added.intersects(view->visualItemRect(view->item(0))));

    // Made anew with fewer items, the list is painted whole: the cells of the items that went are
    // blank again.
    form->icons.clearItems();
    form->icons.addItem("a.gif\r\n4 x 4", "red");
    EXPECT_EQ(painted.take(), QRegion(view->viewport()->rect()));
}

TEST_F(ViewsTest, IconListBreaksALongNameIntoLinesThatFitItsCell) {
    struct Case {
        std::string name;
        bool shortened;  // longer than two lines: the middle of the second goes
    };
    const Case cases[] = {{"b.gif", false},
                          {"mountainside.gif", false},
                          {"averyveryverylongnamewithoutanyspacesatall.gif", true}};
    std::vector<std::string> names;
    for (const Case& c : cases) {
        names.push_back(c.name);
    }
    QListWidget* view = iconListWith(names);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->count(), 3);
    const QFontMetrics metrics = view->fontMetrics();
    const int textMargin =
        view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const int textWidth = view->gridSize().width() - 2 * textMargin;
    for (int row = 0; row < 3; ++row) {
        const Case& c = cases[row];
        SCOPED_TRACE(c.name);
        // Each item has the whole cell for its text, whatever the first item's text is.
        EXPECT_EQ(view->visualItemRect(view->item(row)).size(), view->gridSize());
        const QString name = QString::fromStdString(c.name);
        const QStringList lines = view->item(row)->text().split(QLatin1Char('\n'));
        EXPECT_EQ(lines.last(), QStringLiteral("4 x 4"));
        for (const QString& line : lines) {
            EXPECT_LE(metrics.horizontalAdvance(line), textWidth) << line.toStdString();
        }
        if (metrics.horizontalAdvance(name) <= textWidth) {
            EXPECT_EQ(lines, (QStringList{name, QStringLiteral("4 x 4")}));
            continue;
        }
        ASSERT_EQ(lines.size(), 3);
        EXPECT_TRUE(name.startsWith(lines[0]));
        EXPECT_TRUE(lines[1].endsWith(QStringLiteral(".gif")));
        if (c.shortened) {
            EXPECT_TRUE(lines[1].contains(QChar(0x2026)));  // the ellipsis
        } else {
            EXPECT_EQ(lines[0] + lines[1], name);
        }
    }
    // "mountainside.gif" is wider than a cell in any usual font: the case above did break it.
    EXPECT_EQ(view->item(1)->text().count(QLatin1Char('\n')), 2);
}

TEST_F(ViewsTest, UserControlShowsItsSurfaceInsideItsBorder) {
    form->surface.ownSurface() = Image(4, 4, 0xFF00FF00u);
    form->surface.surfaceChanged();
    QWidget* view = host.widgetOf(form->surface);
    ASSERT_NE(view, nullptr);
    const QImage shot = view->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(Qt::black));  // the single-line border
    EXPECT_EQ(shot.pixelColor(1, 1), QColor(0, 255, 0));
    EXPECT_EQ(shot.pixelColor(4, 4), QColor(0, 255, 0));
    EXPECT_NE(shot.pixelColor(5, 5), QColor(0, 255, 0));
}

TEST_F(ViewsTest, EndingTheProgramStopsTheRunningHandler) {
    form->button.Click = [this] {
        log.push_back("before");
        host.quit();
        host.doEvents();  // the program has ended: the handler goes no further
        log.push_back("after");
    };
    form->button.MouseUp = logMouse("up");
    QTest::mouseClick(host.widgetOf(form->button), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(log, std::vector<std::string>{"before"});
    EXPECT_TRUE(host.isQuitting());
    EXPECT_FALSE(host.widgetOf(*form)->isVisible());
}

TEST_F(ViewsTest, ImageStretchesItsPicture) {
    form->image.setStretch(true);
    Image picture(2, 1, 0xFF0000FFu);
    picture.setPixel(1, 0, 0xFFFF0000u);
    form->image.setPicture(Picture(picture));
    const QImage shot = host.widgetOf(form->image)->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(40, 40));
    EXPECT_EQ(shot.pixelColor(2, 20), QColor(0, 0, 255));
    EXPECT_EQ(shot.pixelColor(37, 20), QColor(255, 0, 0));
}

TEST_F(ViewsTest, ControlDestroyedBeforeItsWindowIsLeftAlone) {
    auto label = std::make_unique<Label>(*form, "late");
    // A control made after the window shows nothing; one destroyed under a live view detaches it.
    form->image.MouseDown = logMouse("down");
    QWidget* view = host.widgetOf(form->image);
    ASSERT_NE(view, nullptr);
    label.reset();
    form->image.~ImageControl();
    new (&form->image) ImageControl(*form, "image");
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(host.widgetOf(form->image), nullptr);
}

TEST_F(ViewsTest, UnloadedFormLosesItsWindow) {
    QPointer<QWidget> window = host.widgetOf(*form);
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(form->unload());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(host.widgetOf(*form), nullptr);
    form->setCaption("after unload");  // no view to reach
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
}

TEST_F(ViewsTest, CaptureAndProgramCursor) {
    host.setCapture(&form->image);
    EXPECT_EQ(host.capture(), &form->image);
    EXPECT_EQ(QWidget::mouseGrabber(), host.widgetOf(form->image));
    host.releaseCapture();
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(host.capture(), nullptr);

    const Picture cursor = solidPicture(20, 10, 0xFF000000u);
    host.setProgramCursor(&cursor);
    host.setProgramCursor(&cursor);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(10, 5));
    const Picture magnifier = solidPicture(32, 32, 0xFF000000u);
    host.setProgramCursor(&magnifier);
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(12, 12));
    host.setProgramCursor(nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ViewsTest, WindowStateAndUserMovesReachTheModel) {
    QWidget* window = host.widgetOf(*form);
    ASSERT_NE(window, nullptr);
    form->setWindowState(WindowState::Minimized);
    EXPECT_TRUE(window->isMinimized());
    form->setWindowState(WindowState::Normal);
    EXPECT_FALSE(window->isMinimized());

    window->move(100, 50);  // as the window manager moves it for the user
    if (window->windowHandle()->frameMargins().isNull()) {
        GTEST_SKIP() << "this platform reports no window frame";
    }
    EXPECT_EQ(form->left(), 1500.0f);
    EXPECT_EQ(form->top(), 750.0f);
}

TEST_F(ViewsTest, OuterTwipsPlaceTheFrameAndTheClientGetsTheRest) {
    QWidget* window = host.widgetOf(*form);
    const QMargins frame = host.frameMarginsPixels(*form);
    const FrameMetrics metrics = host.frameMetrics(*form);
    EXPECT_EQ(metrics.top, static_cast<float>(frame.top()) * 15.0f);
    form->move(1500, 750, 6000, 4500);
    EXPECT_EQ(window->frameGeometry(), QRect(100, 50, 400, 300));
    EXPECT_EQ(window->size(),
              QSize(400 - frame.left() - frame.right(), 300 - frame.top() - frame.bottom()));
    EXPECT_EQ(formOuterPixelRect(*form), window->frameGeometry());
}

TEST_F(ViewsTest, CustomScaleMapsControlUnitsOntoTheClientArea) {
    form->setScaleWidth(100);
    form->setScaleHeight(100);
    form->button.move(50, 25, 50, 10);
    form->setClientSize(6000, 6000);  // 400 x 400 pixels: the button keeps its share
    EXPECT_EQ(host.widgetOf(form->button)->geometry(), QRect(200, 100, 200, 40));
}

TEST_F(ViewsTest, BorderStylesAndTaskbarChooseTheWindowKind) {
    struct Case {
        BorderStyle style;
        bool inTaskbar;
        Qt::WindowType type;
        bool frameless;
        bool fixedSize;
    };
    for (const Case& c : {Case{BorderStyle::Sizable, true, Qt::Window, false, false},
                          Case{BorderStyle::FixedSingle, true, Qt::Window, false, true},
                          Case{BorderStyle::FixedDialog, true, Qt::Dialog, false, true},
                          Case{BorderStyle::None, false, Qt::Tool, true, true}}) {
        SCOPED_TRACE(static_cast<int>(c.style));
        TestForm other(host);
        other.setBorderStyle(c.style);
        other.setShowInTaskbar(c.inTaskbar);
        other.setClientSize(3000, 3000);
        other.show();
        QWidget* window = host.widgetOf(other);
        EXPECT_EQ(window->windowType(), c.type);
        EXPECT_EQ(window->windowFlags().testFlag(Qt::FramelessWindowHint), c.frameless);
        EXPECT_EQ(window->minimumSize() == window->maximumSize(), c.fixedSize);
        if (c.frameless) {
            EXPECT_EQ(host.frameMetrics(other).top, 0.0f);
            EXPECT_EQ(window->size(), QSize(200, 200));  // the whole outer size is client area
        }
    }
}

TEST_F(ViewsTest, CloseButtonAsksTheFormWhichMayRefuse) {
    int queries = 0;
    form->QueryUnload = [&queries](int& cancel, int unloadMode) {
        ++queries;
        EXPECT_EQ(unloadMode, Form::kFormControlMenu);
        cancel = 1;
    };
    QCloseEvent close;
    QCoreApplication::sendEvent(host.widgetOf(*form), &close);
    EXPECT_EQ(queries, 1);
    EXPECT_FALSE(close.isAccepted());
    EXPECT_TRUE(form->isLoaded());
    EXPECT_TRUE(host.widgetOf(*form)->isVisible());
}

TEST_F(ViewsTest, PaintsOfTheWindowRaisePaint) {
    int paints = 0;
    form->Paint = [&paints] { ++paints; };
    host.widgetOf(*form)->grab();  // renders the window as a paint by the window system does
    EXPECT_EQ(paints, 1);
}

}  // namespace
}  // namespace plivora
