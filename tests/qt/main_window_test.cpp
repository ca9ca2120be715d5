#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPalette>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/form1.h"
#include "app/form5.h"
#include "app/program.h"
#include "arrange/form3.h"
#include "picture/picture.h"
#include "qt/conversions.h"
#include "qt/qt_host.h"
#include "support/bmp_file.h"
#include "support/files.h"
#include "support/gif_bytes.h"
#include "support/temp_folder.h"
#include "win/error.h"
#include "win/gdi.h"

namespace plivora {
namespace {

// A 1 x 1 GIF: header, logical screen with a two-entry colour table (`color`, white), one image
// of entry 0, trailer.
std::string tinyGif(std::uint32_t color) {
    using namespace gif_bytes;
    return asString(join({header(), screen(1, 1, 0x80), colorTable({color, 0xFFFFFF}),
                          descriptor(0, 0, 1, 1), imageData(2, {0}), kTrailer}));
}

// A black pixel, and one of (0x20, 0x40, 0xA0).
const std::string kTinyGif = tinyGif(0x000000);
const std::string kBlueGif = tinyGif(0x2040A0);

// The program's host, noting which override cursor is in force each time a control sets its
// pointer.
class CursorNotingHost : public QtHost {
public:
    void setMousePointer(int mousePointer) override {
        QtHost::setMousePointer(mousePointer);
        const QCursor* cursor = QGuiApplication::overrideCursor();
        cursors.push_back(cursor != nullptr ? cursor->shape() : Qt::ArrowCursor);
    }

    std::vector<Qt::CursorShape> cursors;
};

// Sets the application's palette for one test and puts the one before back.
class PaletteForTest {
public:
    explicit PaletteForTest(const QPalette& palette) { QApplication::setPalette(palette); }
    ~PaletteForTest() { QApplication::setPalette(m_before); }
    PaletteForTest(const PaletteForTest&) = delete;
    PaletteForTest& operator=(const PaletteForTest&) = delete;

private:
    QPalette m_before = QApplication::palette();
};

// The real program on the Qt host, with a folder of pictures of its own.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        appDir = root + "/app";
        picturesDir = root + "/pictures";
        std::filesystem::create_directories(appDir);
        std::filesystem::create_directories(picturesDir + "/sub");
        testdata::writeFile(picturesDir + "/b.gif", kTinyGif);
        testdata::writeFile(picturesDir + "/A.jpg", "not decoded by these tests");
        testdata::writeFile(picturesDir + "/notes.txt", "text");
        testdata::writeFile(picturesDir + "/.hidden.gif", kTinyGif);
        testdata::writeFile(picturesDir + "/sub/x.gif", kTinyGif);
        host = std::make_unique<CursorNotingHost>();
        program = std::make_unique<Program>(*host, ProgramPaths{picturesDir, appDir, ",", appDir});
        program->start();
    }

    void TearDown() override {
        program.reset();
        host.reset();
    }

    Form1& form1() { return program->form1(); }
    QWidget* window() { return host->widgetOf(form1()); }
    template <typename W>
    W* widget(const Control& control) {
        return dynamic_cast<W*>(host->widgetOf(control));
    }
    QListWidget* fileList() { return widget<QListWidget>(form1().File1); }

    static QStringList texts(const QListWidget& list) {
        QStringList result;
        for (int row = 0; row < list.count(); ++row) {
            result.push_back(list.item(row)->text());
        }
        return result;
    }

    // A drag that enters the widget and is dropped there, as a file manager's drag arrives.
    static void drop(QWidget& target, const QMimeData& mime) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&target, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&target, &event);
        EXPECT_TRUE(event.isAccepted());
    }

    TempFolder tempFolder;
    const std::string root = tempFolder.path();
    std::string appDir;
    std::string picturesDir;
    std::unique_ptr<CursorNotingHost> host;
    std::unique_ptr<Program> program;
};

// In tiny mode the floating panel is the one window on screen: a minimise that the window
// manager offers anyway is refused, as the panel has no minimise button.
TEST_F(MainWindowTest, TheFloatingPanelRefusesAMinimise) {
    form1().cmdTiny.raiseClick();
    QWidget* panel = host->widgetOf(program->form3());
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->isVisible());
    panel->showMinimized();
    EXPECT_FALSE(panel->isMinimized());
    EXPECT_EQ(program->form3().windowState(), WindowState::Normal);
}

TEST_F(MainWindowTest, WindowIsShownOnTopWithItsCaptionAndButtons) {
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(window()->windowTitle(), QStringLiteral("Plivora - Image Viewer"));
    const Qt::WindowFlags flags = window()->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(window()->windowIcon().isNull());
    // The designed client area, 5928 x 3300 twips at 15 twips per pixel.
    EXPECT_EQ(host->twipsPerPixelX(), 15.0f);
    EXPECT_EQ(window()->size(), QSize(395, 220));
}

TEST_F(MainWindowTest, TopmostFollowsTheModel) {
    form1().setTopmost(false);
    EXPECT_FALSE(window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window()->isVisible());
    form1().setTopmost(true);
    EXPECT_TRUE(window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MainWindowTest, ControlsStandAtTheirDesignedPixelPlaces) {
    Form1& f = form1();
    struct Case {
        const Control& control;
        QRect pixels;
    };
    const Case cases[] = {
        {f.cmdShape, QRect(16, 0, 41, 17)},      // 240, 0, 612, 252
        {f.cmdViewAll, QRect(80, 16, 57, 17)},   // 1200, 240, 852, 252
        {f.File1, QRect(176, 40, 97, 141)},      // 2640, 600, 1452, 2112
        {f.Dir1, QRect(280, 72, 105, 106)},      // 4200, 1080, 1572, 1584
        {f.Drive1, QRect(280, 40, 105, 18)},     // 4200, 600, 1572, 276
        {f.Frame1, QRect(0, 192, 393, 25)},      // 0, 2880, 5892, 372
        {f.lblDimension, QRect(8, 8, 105, 17)},  // 120, 120, 1572, 252 inside Frame1
        {f.imgQel, QRect(328, 8, 57, 22)},       // 4920, 120, 852, 336
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control.name());
        QWidget* view = host->widgetOf(c.control);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->geometry(), c.pixels);
    }
    EXPECT_EQ(host->widgetOf(f.lblDimension)->parentWidget(), host->widgetOf(f.Frame1));
    EXPECT_FALSE(host->widgetOf(f.imgStick)->isVisible());
    EXPECT_FALSE(host->widgetOf(f.lblErrorMessage)->isVisible());
    EXPECT_EQ(host->widgetOf(f.Timer1), nullptr);
    EXPECT_EQ(widget<QPushButton>(f.cmdShape)->text(), QStringLiteral("Shape"));
    EXPECT_EQ(widget<QPushButton>(f.cmdStick)->toolTip(),
              QStringLiteral("Always show panel on top or in normal"));
}

TEST_F(MainWindowTest, ListsShowTheStartFolder) {
    ASSERT_NE(fileList(), nullptr);
    EXPECT_EQ(texts(*fileList()), (QStringList{QStringLiteral("A.jpg"), QStringLiteral("b.gif")}));
    auto* folders = widget<QListWidget>(form1().Dir1);
    ASSERT_NE(folders, nullptr);
    EXPECT_EQ(folders->count(), static_cast<int>(form1().Dir1.entries().size()));
    EXPECT_EQ(folders->item(folders->count() - 1)->text(), QStringLiteral("sub"));
    auto* drives = widget<QComboBox>(form1().Drive1);
    ASSERT_NE(drives, nullptr);
    EXPECT_EQ(drives->currentIndex(), form1().Drive1.listIndex());
}

TEST_F(MainWindowTest, ChoosingAFileByMouseAndKeysShowsIt) {
    QListWidget& list = *fileList();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualItemRect(list.item(1)).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(form1().File1.listIndex(), 1);
    EXPECT_EQ(window()->windowTitle(), fileNameToQString(picturesDir + "/b.gif"));

    QTest::keyClick(&list, Qt::Key_Up);
    QCoreApplication::processEvents();
    EXPECT_EQ(form1().File1.listIndex(), 0);
    EXPECT_EQ(list.currentRow(), 0);
}

TEST_F(MainWindowTest, KeysThatArriveWhileAPictureIsShownMoveOnFromTheLastOne) {
    for (int i = 0; i < 8; ++i) {
        testdata::writeFile(picturesDir + "/c" + std::to_string(i) + ".gif", kTinyGif);
    }
    form1().File1.refresh();
    QListWidget& list = *fileList();
    ASSERT_EQ(list.count(), 10);
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    // Queued as auto-repeat queues them: they are read while the first picture loads.
    for (int i = 0; i < 6; ++i) {
        QCoreApplication::postEvent(&list, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, {}));
    }
    for (int round = 0; round < 20; ++round) {
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(form1().File1.listIndex(), 6);
    EXPECT_EQ(list.currentRow(), 6);
    EXPECT_EQ(window()->windowTitle(),
              fileNameToQString(picturesDir + "/" + form1().File1.list(6)));
}

// The keyboard works from the first second: the file list has the focus when the window first
// shows, with or without a file named on the command line, so the arrow keys browse at once; Tab
// walks every command; Enter and Space press the focused button, and the logo opens the About box.
TEST_F(MainWindowTest, TheKeyboardDrivesTheWindowFromTheStart) {
    EXPECT_EQ(window()->focusWidget(), fileList());
    // The window becomes active and the list takes the keyboard: the first Down chooses the
    // first file.
    QFocusEvent focusIn(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
    QCoreApplication::sendEvent(fileList(), &focusIn);
    QTest::keyClick(fileList(), Qt::Key_Down);
    QCoreApplication::processEvents();
    EXPECT_EQ(form1().File1.listIndex(), 0);

    program.reset();
    program = std::make_unique<Program>(
        *host, ProgramPaths{picturesDir, appDir, ",", appDir, "", picturesDir + "/b.gif"});
    program->start();
    ASSERT_EQ(form1().File1.listIndex(), 1);
    EXPECT_EQ(window()->focusWidget(), fileList());

    Form1& f = form1();
    const Control* const expected[] = {
        &f.Dir1,       &f.Drive1,   &f.cmdShape,    &f.cmdTiny,    &f.cmdBackgroundColor,
        &f.cmdShowAni, &f.cmdStick, &f.cmdRealSize, &f.cmdViewAll, &f.cmdPlayGif,
        &f.imgQel,     &f.File1};
    for (const Control* control : expected) {
        SCOPED_TRACE(control->name());
        QTest::keyClick(window()->focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(window()->focusWidget(), host->widgetOf(*control));
    }

    const OleColor before = f.backColor();
    QTest::keyClick(host->widgetOf(f.cmdBackgroundColor), Qt::Key_Return);
    EXPECT_EQ(f.backColor(), kBlack);
    QTest::keyClick(host->widgetOf(f.cmdBackgroundColor), Qt::Key_Space);
    EXPECT_EQ(f.backColor(), before);
    QTest::keyClick(host->widgetOf(f.imgQel), Qt::Key_Space);
    EXPECT_TRUE(program->form5().isLoaded());
    EXPECT_TRUE(program->form5().isVisible());
}

// Every control on show has a name for assistive technology, with its tooltip as description;
// the picture area is named by the file on show and its size.
TEST_F(MainWindowTest, EveryControlOnShowHasAnAccessibleName) {
    form1().File1.setListIndex(1);
    QCoreApplication::processEvents();
    for (const Control* control : form1().controls()) {
        const QWidget* view = host->widgetOf(*control);
        if (view != nullptr && view->isVisibleTo(window())) {
            EXPECT_FALSE(view->accessibleName().isEmpty()) << control->name();
        }
    }
    EXPECT_EQ(host->widgetOf(form1().imgShow)->accessibleName(), QStringLiteral("b.gif, 1 x 1"));
    EXPECT_EQ(host->widgetOf(form1().cmdPlayGif)->accessibleName(),
              QStringLiteral("Play animation"));
    // A picture button is named after the face it shows.
    form1().cmdShowAni.raiseClick();
    form1().cmdShowAni.raiseClick();
    EXPECT_EQ(host->widgetOf(form1().cmdShowAni)->accessibleName(),
              QStringLiteral("Hide animation"));
    EXPECT_EQ(host->widgetOf(form1().cmdStick)->accessibleDescription(),
              QStringLiteral("Always show panel on top or in normal"));
    EXPECT_EQ(host->widgetOf(form1().lblDimension)->accessibleDescription(),
              QStringLiteral("1 x 1"));
}

TEST_F(MainWindowTest, FolderListOpensAFolderOnDoubleClick) {
    auto* folders = widget<QListWidget>(form1().Dir1);
    QListWidgetItem* sub = folders->item(folders->count() - 1);
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {},
                      folders->visualItemRect(sub).center());
    EXPECT_EQ(program->sCurPath, picturesDir + "/");  // a single click only selects
    EXPECT_EQ(form1().Dir1.selectedEntry(), folders->count() - 1);
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {},
                       folders->visualItemRect(folders->item(folders->count() - 1)).center());
    EXPECT_EQ(program->sCurPath, picturesDir + "/sub/");
    EXPECT_EQ(texts(*fileList()), QStringList{QStringLiteral("x.gif")});
    EXPECT_EQ(folders->currentItem()->text(), QStringLiteral("sub"));
}

TEST_F(MainWindowTest, DroppedFolderMovesTheLists) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(fileNameToQString(picturesDir + "/sub"))});
    drop(*fileList()->viewport(), mime);
    EXPECT_EQ(program->sCurPath, picturesDir + "/sub/");
    EXPECT_EQ(texts(*fileList()), QStringList{QStringLiteral("x.gif")});
    auto* folders = widget<QListWidget>(form1().Dir1);
    EXPECT_EQ(folders->currentItem()->text(), QStringLiteral("sub"));
}

TEST_F(MainWindowTest, DroppedFileMovesTheListsToItsFolder) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(fileNameToQString(picturesDir + "/sub/x.gif"))});
    drop(*fileList()->viewport(), mime);
    EXPECT_EQ(program->sCurPath, picturesDir + "/sub/");
    EXPECT_EQ(texts(*fileList()), QStringList{QStringLiteral("x.gif")});
    EXPECT_EQ(fileList()->selectedItems().size(), 0);
}

// A file name that is not UTF-8 (Latin-1, from an old archive) is the file system's bytes all
// the way: chosen in the list, its path reaches the real clipboard byte for byte, and a file
// manager's drop of it (its bytes percent-encoded) shows the picture.
TEST_F(MainWindowTest, ALatin1NameKeepsItsBytesFromTheListToTheClipboardAndFromADrop) {
    const std::string name("caf\xe9.bmp");
    const std::string path = picturesDir + "/" + name;
    testdata::writeBmp(path, 3, 2);
    form1().File1.refresh();
    const auto& entries = form1().File1.entries();
    const auto entry = std::find(entries.begin(), entries.end(), name);
    ASSERT_NE(entry, entries.end());
    QListWidget& list = *fileList();
    QListWidgetItem* row = list.item(static_cast<int>(entry - entries.begin()));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(row).center());
    QCoreApplication::processEvents();
    EXPECT_EQ(form1().caption(), path);

    QGuiApplication::clipboard()->clear();
    // The menu runs its own event loop; its command is chosen once the loop runs.
    QTimer::singleShot(0, [] {
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        menu->setActiveAction(menu->actions().front());
        QTest::keyClick(menu, Qt::Key_Return);
    });
    form1().imgShow.raiseMouseDown(MouseButton::Right, 0, 10, 10);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->data(QStringLiteral("text/plain")).toStdString(), path);

    form1().setCaption("before the drop");
    QMimeData fileManager;
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    fileManager.setData(QStringLiteral("text/uri-list"),
                        "file://" + bytes.toPercentEncoding("/") + "\r\n");
    ASSERT_TRUE(fileManager.data(QStringLiteral("text/uri-list")).contains("caf%E9.bmp"));
    drop(*fileList()->viewport(), fileManager);
    EXPECT_FALSE(widget<QLabel>(form1().lblErrorMessage)->isVisible());
    EXPECT_EQ(form1().caption(), path);
}

TEST_F(MainWindowTest, DropWithoutFilesShowsTheErrorText) {
    QMimeData mime;
    mime.setText(QStringLiteral("just text"));
    drop(*fileList()->viewport(), mime);
    auto* label = widget<QLabel>(form1().lblErrorMessage);
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->isVisible());
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Error # ")));
    EXPECT_TRUE(label->text().contains(QLatin1Char('\n')));
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 128, 128));
    EXPECT_FALSE(label->autoFillBackground());
    EXPECT_EQ(program->sCurPath, picturesDir + "/");
}

TEST_F(MainWindowTest, MouseOverTheFileListMarksPresence) {
    program->blMouseWasOver = kFalse;
    QMouseEvent move(QEvent::MouseMove, QPointF(4, 4),
                     fileList()->viewport()->mapToGlobal(QPointF(4, 4)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(fileList()->viewport(), &move);
    EXPECT_EQ(program->blMouseWasOver, kTrue);
}

// An Error that a handler lets out, here of a timer tick, reaches the user in the program's
// warning box with its number and description; the program goes on.
TEST_F(MainWindowTest, AHandlerFailureOpensTheWarningBox) {
    form1().Timer1.Timer = [] { throw Error(ErrorNumber::FileNotFound); };
    form1().Timer1.setInterval(10);
    EXPECT_TRUE(QTest::qWaitFor([&] { return program->openWarningWindows() >= 1; }));
    form1().Timer1.setTimerEnabled(false);
    EXPECT_TRUE(window()->isVisible());
}

TEST_F(MainWindowTest, ClosingTheWindowWritesThePositionAndEndsTheProgram) {
    QCloseEvent close;
    QCoreApplication::sendEvent(window(), &close);
    EXPECT_TRUE(close.isAccepted());
    EXPECT_TRUE(host->isQuitting());
    EXPECT_EQ(std::filesystem::file_size(appDir + "/qeliv.ini"), 110u);
}

TEST_F(MainWindowTest, ClipboardTakesTextAndFiles) {
    host->clearClipboard();
    host->setClipboardText(picturesDir + "/b.gif");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), fileNameToQString(picturesDir + "/b.gif"));
    EXPECT_EQ(host->clipboardText(), picturesDir + "/b.gif");

    host->clearClipboard();
    std::vector<std::uint8_t> block(20, 0);
    block[0] = 20;
    const std::string names = picturesDir + "/b.gif" + std::string(2, '\0');
    block.insert(block.end(), names.begin(), names.end());
    host->setClipboardData(15, block);
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->urls(),
              QList<QUrl>{QUrl::fromLocalFile(fileNameToQString(picturesDir + "/b.gif"))});
}

TEST_F(MainWindowTest, ThePictureMenuCopiesThePathToTheRealClipboard) {
    form1().File1.setListIndex(1);  // b.gif
    QGuiApplication::clipboard()->clear();
    bool chosen = false;
    // The menu runs its own event loop; a timer of no interval looks for it on every round of
    // that loop and chooses its command once it is up.
    QTimer lookForMenu;
    lookForMenu.setInterval(0);
    QObject::connect(&lookForMenu, &QTimer::timeout, [&] {
        QMenu* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            return;
        }
        lookForMenu.stop();
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions().front()->text(), QStringLiteral(" Copy shortcut"));
        chosen = true;
        menu->setActiveAction(menu->actions().front());
        QTest::keyClick(menu, Qt::Key_Return);
    });
    lookForMenu.start();
    form1().imgShow.raiseMouseDown(MouseButton::Right, 0, 10, 10);
    lookForMenu.stop();
    EXPECT_TRUE(chosen);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), fileNameToQString(picturesDir + "/b.gif"));
}

// The animation control stands over the lower part of the picture area. Without a GIF it shows
// nothing and takes no mouse input: the picture shows whole there and the picture's own mouse
// handling (its menu) answers. With a GIF it draws its border, its background and frame 0.
TEST_F(MainWindowTest, TheAnimationControlShowsNothingUntilItHoldsAGif) {
    testdata::writeBmp(picturesDir + "/c.bmp", 160, 144, 200, 100, 50);
    testdata::writeFile(picturesDir + "/d.gif", kBlueGif);
    form1().File1.refresh();
    ASSERT_EQ(texts(*fileList()), (QStringList{QStringLiteral("A.jpg"), QStringLiteral("b.gif"),
                                               QStringLiteral("c.bmp"), QStringLiteral("d.gif")}));
    QWidget* control = host->widgetOf(form1().AnimatedGifCtl1);
    ASSERT_NE(control, nullptr);
    ASSERT_EQ(control->parentWidget(), window());
    const QRect place = control->geometry();
    const QColor picture(200, 100, 50);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "the first picture" : "a picture after a GIF");
        form1().File1.setListIndex(2);  // c.bmp, at its natural size over the whole place
        const QImage shot = window()->grab().toImage();
        for (const QPoint& point : {place.topLeft(), place.center(), place.bottomRight()}) {
            EXPECT_EQ(shot.pixelColor(point), picture) << point.x() << "," << point.y();
        }
        EXPECT_EQ(window()->childAt(place.center()), host->widgetOf(form1().imgShow));

        form1().File1.setListIndex(3);  // d.gif
        const QImage gif = window()->grab().toImage();
        EXPECT_EQ(gif.pixelColor(place.topLeft()), QColor(Qt::black)) << "the border";
        EXPECT_EQ(gif.pixelColor(place.topLeft() + QPoint(1, 1)), QColor(0x20, 0x40, 0xA0))
            << "frame 0";
        EXPECT_EQ(gif.pixelColor(place.center()), toQColor(kButtonFace, *host)) << "background";
        EXPECT_EQ(window()->childAt(place.center()), control);
    }
}

// One table of system colours, filled from the application's palette and again when it changes:
// the animation control draws with the same button face as the views.
TEST_F(MainWindowTest, SystemColoursFollowTheApplicationPalette) {
    const QColor face(0x12, 0x9A, 0x56);
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Button, face);
    PaletteForTest changed(palette);
    EXPECT_EQ(host->systemColor(COLOR_BTNFACE), fromQColor(face));

    form1().File1.setListIndex(1);  // b.gif: frame 0 in the corner, the background around it
    const QImage control = host->widgetOf(form1().AnimatedGifCtl1)->grab().toImage();
    EXPECT_EQ(control.pixelColor(control.rect().center()), face);
    // The window's own background, a system colour too, as the window paints it.
    EXPECT_EQ(window()->grab().toImage().pixelColor(300, 25), face);
}

// The hourglass the control sets around the parse is the wait cursor over every window, in
// front of the program cursor, which comes back after the load.
TEST_F(MainWindowTest, AGifLoadsUnderTheWaitCursor) {
    const Picture magnifier(Image(QtHost::kCursorSize, QtHost::kCursorSize, 0xFF000000u));
    host->setProgramCursor(&magnifier);
    form1().File1.setListIndex(1);  // b.gif
    EXPECT_EQ(host->cursors, (std::vector<Qt::CursorShape>{Qt::WaitCursor, Qt::BitmapCursor}));
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(12, 12));
    host->setProgramCursor(nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace plivora
