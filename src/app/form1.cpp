#include "app/form1.h"

#include <algorithm>

#include "app/form11.h"
#include "app/number_format.h"
#include "app/program.h"
#include "app/resource_picture.h"
#include "app/settings_record.h"
#include "arrange/arrangement.h"
#include "arrange/form3.h"
#include "arrange/mod_main.h"
#include "arrange/tiny_mode.h"
#include "arrange/window_place.h"
#include "forms/host.h"
#include "forms/window_calls.h"
#include "picture/browse_ahead.h"
#include "picture/picture_loader.h"
#include "thumbs/form2.h"
#include "win/error.h"
#include "win/file_system.h"
#include "win/record_file.h"

namespace plivora {

namespace {

// What assistive technology calls each control (a captioned button by its caption, which voice
// control users say, and what it does where the caption is short of it), and the order Tab walks:
// the lists first, from the one used most to the one used least (the file list has the keyboard
// when the window first shows, so the arrow keys browse at once), then the buttons row by row as
// they stand, then the logo that opens the About box.
void nameAndOrderControls(Form1& f) {
    f.picTitleStick.setAccessibleName("Always on top");
    f.imgQel.setAccessibleName("About");
    f.cmdStick.setAccessibleName("Always on top");
    f.cmdPlayGif.setAccessibleName("Play animation");
    f.cmdPlayGif.setFaceName(f.imgPlayPoint.picture(), "Play animation");
    f.cmdPlayGif.setFaceName(f.imgStopPoint.picture(), "Stop animation");
    f.AnimatedGifCtl1.setAccessibleName("Animation");
    f.cmdShowAni.setAccessibleName("Show animation");
    f.cmdShowAni.setFaceName(f.imgShowAniGif.picture(), "Show animation");
    f.cmdShowAni.setFaceName(f.imgHideAniGif.picture(), "Hide animation");
    f.cmdViewAll.setAccessibleName("View All");
    f.cmdTiny.setAccessibleName("Tiny (floating panel)");
    f.cmdShape.setAccessibleName("Shape (horizontal or vertical)");
    f.cmdBackgroundColor.setAccessibleName("B Color (background colour)");
    f.Frame1.setAccessibleName("Picture information");
    f.lblFileSize.setAccessibleName("File size");
    f.lblRatio.setAccessibleName("Scale");
    f.lblDimension.setAccessibleName("Picture size");
    f.cmdRealSize.setAccessibleName("Real D (real size)");
    f.File1.setAccessibleName("Files");
    f.Dir1.setAccessibleName("Folders");
    f.Drive1.setAccessibleName("Drives");
    f.lblErrorMessage.setAccessibleName("Error");
    f.imgShow.setAccessibleName("No picture");
    f.setTabOrder({&f.File1, &f.Dir1, &f.Drive1, &f.cmdShape, &f.cmdTiny, &f.cmdBackgroundColor,
                   &f.cmdShowAni, &f.cmdStick, &f.cmdRealSize, &f.cmdViewAll, &f.cmdPlayGif,
                   &f.imgQel});
}

}  // namespace

Form1::Form1(Program& program)
    : Form(program.host(), "Form1"),
      m_program(program),
      m_browseAhead(std::make_unique<BrowseAhead>(LoadPicture)) {
    placeControls();
    nameAndOrderControls(*this);
    // The lists start on the program's current folder. A folder that cannot be shown leaves them
    // on the process's own current folder.
    const std::string start = program.paths().currentFolder;
    try {
        Drive1.setDrive(start);
        Dir1.setPath(start);
        File1.setPath(start);
    } catch (const Error&) {
    }
    rememberFolderOnDrive();
    wireHandlers();
}

Form1::~Form1() = default;

void Form1::placeControls() {
    setCaption("Plivora - Image Viewer");
    setIcon(resourcePicture("window_icon.gif"));
    setBorderStyle(BorderStyle::Sizable);
    setMinButton(true);
    setMaxButton(false);
    move(0, 0, 0, 0);
    setClientSize(5928, 3300);
    setBackColor(kButtonFace);

    picTitleStick.move(4200, 0, 252, 252);
    picTitleStick.setVisible(false);
    picTitleStick.setBorder(false);
    imgQel.move(4920, 120, 852, 336);
    imgQel.setBorder(false);
    imgQel.setPicture(resourcePicture("logo.gif"));
    cmdStick.move(2330, 0, 132, 228);
    cmdStick.setGraphical(true);
    cmdStick.setFont(Font{"Small Fonts", 3.0f, true});
    cmdStick.setToolTipText("Always show panel on top or in normal");
    cmdPlayGif.move(2040, 240, 300, 252);
    cmdPlayGif.setGraphical(true);
    AnimatedGifCtl1.move(240, 1320, 2172, 1332);
    AnimatedGifCtl1.setBorderStyle(1);
    cmdShowAni.move(2040, 0, 300, 252);
    cmdShowAni.setGraphical(true);
    cmdViewAll.move(1200, 240, 852, 252);
    cmdViewAll.setCaption("View All");
    Timer1.setInterval(1000);
    Timer1.setTimerEnabled(true);
    cmdTiny.move(840, 0, 492, 252);
    cmdTiny.setCaption("Tiny");
    cmdShape.move(240, 0, 612, 252);
    cmdShape.setCaption("Shape");
    cmdBackgroundColor.move(1320, 0, 732, 252);
    cmdBackgroundColor.setCaption("B Color");
    Frame1.move(0, 2880, 5892, 372);
    lblFileSize.move(1800, 120, 1572, 252);
    lblRatio.move(3480, 120, 972, 252);
    lblDimension.move(120, 120, 1572, 252);
    cmdRealSize.move(240, 240, 972, 252);
    cmdRealSize.setCaption("Real D");
    File1.move(2640, 600, 1452, 2112);
    File1.setFont(Font{"Arial", 9.0f, false});
    File1.setPattern("*.gif;*.jpeg;*.jpg;*.bmp;*.ico;*.cur");
    Dir1.move(4200, 1080, 1572, 1584);
    Dir1.setFont(Font{"Verdana", 7.8f, false});
    Drive1.move(4200, 600, 1572, 276);

    struct Store {
        ImageControl& image;
        const char* file;
    };
    for (const Store& store :
         {Store{imgNotStick, "pin_not_stick.gif"}, Store{imgStick, "pin_stick.gif"},
          Store{imgCursor, "cursor.gif"}, Store{imgHideAniGif, "hide_ani.gif"},
          Store{imgShowAniGif, "show_ani.gif"}, Store{imgPlayPoint, "play.gif"},
          Store{imgStopPoint, "stop.gif"}}) {
        store.image.setVisible(false);
        store.image.setPicture(resourcePicture(store.file));
    }

    lblErrorMessage.move(240, 720, 2172, 492);
    lblErrorMessage.setVisible(false);
    lblErrorMessage.setBackStyle(BackStyle::Transparent);
    lblErrorMessage.setForeColor(rgb(255, 128, 128));
    imgShow.move(120, 600, 2412, 2172);
    // The error text stands over the picture area.
    lblErrorMessage.zOrderFront();
}

void Form1::wireHandlers() {
    Load = [this] { Form_Load(); };
    QueryUnload = [this](int& cancel, int unloadMode) { Form_QueryUnload(cancel, unloadMode); };
    AnimatedGifCtl1.Warning = [this](const std::string& message) {
        m_program.form11().AnswerOk(message);
    };
    // A newer choice of a picture ends the animation's load of the previous one.
    AnimatedGifCtl1.LoadAbandoned = [this] { return m_program.displayChoices.superseded(); };
    Paint = [this] { Form_Paint(); };
    Resize = [this] { Form_Resize(); };
    FrameChange = [this](float extraWidth, float extraHeight) {
        arrangementFrameChanged(*this, extraWidth, extraHeight);
    };
    MouseMove = [this](int b, int s, float x, float y) { Form_MouseMove(b, s, x, y); };
    Drive1.Change = [this] { Drive1_Change(); };
    Dir1.Change = [this] { Dir1_Change(); };
    Dir1.Click = [this] { Dir1_Click(); };
    Dir1.MouseMove = [this](int b, int s, float x, float y) { Dir1_MouseMove(b, s, x, y); };
    File1.PathChange = [this] { File1_PathChange(); };
    File1.Click = [this] { File1_Click(); };
    File1.OLEDragDrop = [this](const DropData& data) {
        m_program.displayChoices.run([this, data] { File1_OLEDragDrop(data); });
    };
    File1.MouseMove = [this](int b, int s, float x, float y) { File1_MouseMove(b, s, x, y); };
    imgShow.MouseMove = [this](int b, int s, float x, float y) { imgShow_MouseMove(b, s, x, y); };
    cmdShape.Click = [this] { cmdShape_Click(); };
    cmdViewAll.Click = [this] { cmdViewAll_Click(); };
    cmdRealSize.Click = [this] { cmdRealSize_Click(); };
    cmdBackgroundColor.Click = [this] { cmdBackgroundColor_Click(); };
    cmdPlayGif.Click = [this] { cmdPlayGif_Click(); };
    cmdShowAni.Click = [this] { cmdShowAni_Click(); };
    imgQel.Click = [this] { imgQel_Click(); };
    imgQel.MouseMove = [this](int b, int s, float x, float y) { imgQel_MouseMove(b, s, x, y); };
    imgShow.MouseDown = [this](int b, int s, float x, float y) { imgShow_MouseDown(b, s, x, y); };
    cmdShape.MouseUp = [this](int, int, float, float) { writeShapeRecord(); };
    cmdStick.MouseUp = [this](int b, int s, float x, float y) {
        cmdStick_MouseUp(*this, b, s, x, y);
    };
    cmdTiny.Click = [this] { cmdTiny_Click(*this); };
    Timer1.Timer = [this] { tinyModeWatch(*this); };
}

// ---- Start-up, paint and shutdown ----

namespace {

// The settings file of a step, or error 52 when its open failed, as a file number that was never
// opened gives.
RecordFile& opened(const std::unique_ptr<RecordFile>& file) {
    if (!file) {
        throw Error(ErrorNumber::BadFileNameOrNumber);
    }
    return *file;
}

// A stored position whose title bar would be out of reach on every screen (it was stored on a
// monitor since unplugged, or at another scale factor) moves the window just inside the primary
// screen's work area; a window left where no one can grab it could only be rescued by the window
// manager.
void keepTitleBarInReach(Form& form) {
    Host& host = form.host();
    RECT outer;
    GetWindowRect(&form, outer);
    const float tx = host.twipsPerPixelX();
    const float ty = host.twipsPerPixelY();
    const int titleHeight = roundHalfEven(host.frameMetrics(form).top / ty);
    const PixelRect window{outer.left, outer.top, outer.right, outer.bottom};
    // A window within reach on any screen stays there: it was stored on a monitor still present.
    for (const PixelRect& area : host.workAreas()) {
        const PixelPoint kept = reachablePlace(window, titleHeight, area);
        if (kept.x == outer.left && kept.y == outer.top) {
            return;
        }
    }
    const PixelPoint place = reachablePlace(window, titleHeight, host.workArea());
    if (place.x != outer.left) {
        form.setLeft(static_cast<float>(place.x) * tx);
    }
    if (place.y != outer.top) {
        form.setTop(static_cast<float>(place.y) * ty);
    }
}

}  // namespace

void Form1::Form_Load() {
    SetWindowPos(this, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    lblDimension.setCaption("");
    lblRatio.setCaption("");
    lblFileSize.setCaption("");

    Program& p = m_program;
    p.blTinyMode = kFalse;
    sPicturePath.clear();
    sPictureFile.clear();
    blGifPlaying = kFalse;
    p.blOnTop = kTrue;
    p.intPinZOrder = -1;
    p.blMainHidden = kFalse;
    p.blPanelShown = kFalse;
    p.blPinInstalled = kFalse;
    p.intNextFileIndex = 1;
    p.intBuildPage = 0;
    p.intPagesBuilt = 0;
    p.intChainSteps = 0;

    OSVERSIONINFO version;
    version.dwOSVersionInfoSize = 148;
    if (GetVersionExA(host(), version) != 0 && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) {
        InstallTitlePin(*this);
        picTitleStick.setPicture(imgStick.picture());
        cmdStick.setVisible(false);
        p.blPinInstalled = kTrue;
    }

    cmdPlayGif.setPicture(imgPlayPoint.picture());
    cmdShowAni.setPicture(imgShowAniGif.picture());

    p.sCurPath = withTrailingSlash(p.paths().currentFolder);
    p.sAppPath = withTrailingSlash(p.paths().programFolder);

    ReadSettings();
}

std::string Form1::settingsFilePath() const {
    const std::string& folder = m_program.paths().settingsFolder;
    return (folder.empty() ? m_program.sAppPath : withTrailingSlash(folder)) + kSettingsFileName;
}

void Form1::ReadSettings() {
    ErrorState errors;
    std::unique_ptr<RecordFile> file;
    errors.run(
        [&] { file = std::make_unique<RecordFile>(settingsFilePath(), SettingsRecord::kLength); });
    SettingsRecord shape;
    errors.run([&] { shape = SettingsRecord::fromBytes(opened(file).read(1)); });
    if (shape.trimmedSection() == "[Shape]") {
        if (shape.trimmedValue() == "Vertical") {
            errors.run([&] { cmdShape_Click(); });
        } else {
            blVertical = kFalse;
        }
    }
    SettingsRecord position;
    errors.run([&] { position = SettingsRecord::fromBytes(opened(file).read(2)); });
    if (position.trimmedSection() == "[Form1Pos]") {
        setTop(static_cast<float>(position.top));
        setLeft(static_cast<float>(position.left));
        keepTitleBarInReach(*this);
        if (blVertical != kFalse) {
            // The start-up switch recorded the window before it was placed; the way back to the
            // horizontal arrangement keeps the stored position.
            SavedLayout[kSavedTop] = roundHalfEven(top());
            SavedLayout[kSavedLeft] = roundHalfEven(left());
        }
    } else {
        placeAtTopRight();
    }
    errors.run([&] { opened(file).close(); });
}

void Form1::placeAtTopRight() {
    // Without a stored position the window stands at the top right of the work area, clear of
    // the thumbnail window's left strip with Back and Next, and below the strip where the
    // floating panel is born: the window that the panel brings back never covers the panel.
    const PixelRect area = host().workArea();
    const float tx = host().twipsPerPixelX();
    const float ty = host().twipsPerPixelY();
    const Form3::Place panel = Form3::firstPlace(host());
    const float right = static_cast<float>(area.left + area.width() - kStartMarginPixels) * tx;
    const float top = std::max(static_cast<float>(area.top) * ty, panel.top + panel.height) +
                      static_cast<float>(kStartMarginPixels) * ty;
    setTop(top);
    setLeft(right - width());
    if (blVertical != kFalse) {
        SavedLayout[kSavedTop] = roundHalfEven(top);
        SavedLayout[kSavedLeft] = roundHalfEven(right) - SavedLayout[kSavedWidth];
    }
}

void Form1::writeShapeRecord() {
    SettingsRecord record;
    record.setSection("[Shape]");
    record.top = 0;
    record.left = 0;
    record.setValue(blVertical != kFalse ? "Vertical" : "Horizontal");
    ErrorState errors;
    std::unique_ptr<RecordFile> file;
    errors.run(
        [&] { file = std::make_unique<RecordFile>(settingsFilePath(), SettingsRecord::kLength); });
    errors.run([&] { opened(file).write(1, record.toBytes()); });
    errors.run([&] { opened(file).close(); });
}

void Form1::Form_QueryUnload(int& /*cancel*/, int /*unloadMode*/) {
    if (windowState() == WindowState::Normal) {
        SettingsRecord record;
        ErrorState errors;
        errors.run([&] {
            record.setSection("[Form1Pos]");
            record.top = roundHalfEven(top());
            record.left = roundHalfEven(left());
        });
        std::unique_ptr<RecordFile> file;
        errors.run([&] {
            file = std::make_unique<RecordFile>(settingsFilePath(), SettingsRecord::kLength);
        });
        errors.run([&] { opened(file).write(2, record.toBytes()); });
        errors.run([&] { opened(file).close(); });
    }
    RemoveTitlePin(*this);
    host().quit();
}

void Form1::Form_Paint() {
    m_program.intPinZOrder = -1;
    m_program.blPinRefresh = kTrue;
}

void Form1::Form_Resize() {
    Form2& thumbnails = m_program.form2();
    if (windowState() == WindowState::Minimized) {
        if (thumbnails.windowState() == WindowState::Normal ||
            thumbnails.windowState() == WindowState::Maximized) {
            thumbnails.setWindowState(windowState());
        }
        m_program.blPanelShown = kTrue;
    } else if (windowState() == WindowState::Normal &&
               thumbnails.windowState() == WindowState::Minimized) {
        thumbnails.setWindowState(WindowState::Maximized);
    }
}

// ---- Navigation ----

void Form1::showErrorText(ErrorState& errors) {
    lblErrorMessage.setCaption(errorText(errors.error()));
    lblErrorMessage.setVisible(true);
    errors.clear();
}

void Form1::rememberFolderOnDrive() {
    m_folderOnDrive[withTrailingSlash(Dir1.driveRootOf(Dir1.path()))] = Dir1.path();
}

void Form1::Drive1_Change() {
    // A drive opens at its current folder: the last folder shown on it, else its root.
    const std::string root = Drive1.drive();
    const auto remembered = m_folderOnDrive.find(withTrailingSlash(root));
    const std::string folder = remembered != m_folderOnDrive.end() && isFolder(remembered->second)
                                   ? remembered->second
                                   : root;
    ErrorState errors;
    errors.run([&] { Dir1.setPath(folder); });
    if (errors.hasError()) {
        showErrorText(errors);
        Drive1.refresh();
    }
}

void Form1::Dir1_Change() {
    try {
        File1.setPath(Dir1.path());
    } catch (const Error&) {
        // The folder vanished between the two lists; the file list keeps what it showed.
    }
    m_program.sCurPath = withTrailingSlash(Dir1.path());
    // The folder is its drive's current folder, and a folder that is another drive's root (a
    // mount point opened in the tree) moves the drive list there, so the two lists agree.
    rememberFolderOnDrive();
    Drive1.setDrive(Dir1.path());
}

void Form1::Dir1_Click() {
    File1.refresh();
}

void Form1::File1_PathChange() {
    m_program.endPageFill();
    m_browseAhead->clear();
    m_program.form2().setPagesOfMainFolder(false);
}

void Form1::File1_OLEDragDrop(const DropData& data) {
    lblErrorMessage.setVisible(false);
    ErrorState errors;
    std::vector<std::string> files;
    errors.run([&] {
        if (!data.files) {
            throw Error(ErrorNumber::FormatDoesNotMatchData);
        }
        files = *data.files;
    });
    if (errors.hasError()) {
        showErrorText(errors);
        return;
    }
    for (const std::string& p : files) {
        if (errors.hasError()) {
            showErrorText(errors);
            return;
        }
        // Move the drive list to the drive that holds the path.
        if (!p.empty() && p[0] == '/') {
            errors.run([&] { Drive1.setDrive(p); });
        }
        const std::size_t slash = p.rfind('/');
        // A drive's root, with or without its trailing '/', names no file or folder of its own.
        const std::size_t n = slash == std::string::npos ? p.size()
                              : isDriveRootPath(p)       ? 0
                                                         : p.size() - slash - 1;
        if (n != 0) {
            sDropExt = p.size() >= 4 ? p.substr(p.size() - 4) : p;
            // The file system tells a folder from a file.
            if (isFolder(p)) {
                errors.run([&] { Dir1.setPath(p); });
                if (errors.hasError()) {
                    // The folder is there but cannot be listed: say why the drop did nothing.
                    m_program.form11().AnswerOk(errorText(errors.error()));
                }
                errors.clear();
                return;
            }
            if (!ShowDroppedPicture(p, p.substr(p.size() - n))) {
                return;
            }
        }
        errors.run([&] { Dir1.setPath(p.substr(0, p.size() - n)); });
        if (errors.hasError()) {
            showErrorText(errors);
            return;
        }
    }
}

bool Form1::isDriveRootPath(const std::string& path) const {
    const std::string folder = normalizeFolder(path);
    for (const Drive& drive : Drive1.drives()) {
        if (normalizeFolder(drive.root) == folder) {
            return true;
        }
    }
    return false;
}

void Form1::cmdShape_Click() {
    toggleArrangement(*this);
}

// ---- Mouse presence ----

void Form1::markMousePresence() {
    m_program.blMouseWasOver = kTrue;
    m_program.blPanelLeft = kFalse;
}

void Form1::Form_MouseMove(int, int, float, float) {
    markMousePresence();
}
void Form1::Dir1_MouseMove(int, int, float, float) {
    markMousePresence();
}
void Form1::File1_MouseMove(int, int, float, float) {
    markMousePresence();
}
void Form1::imgShow_MouseMove(int, int, float, float) {
    markMousePresence();
}

}  // namespace plivora
