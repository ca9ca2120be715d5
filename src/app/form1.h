#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "forms/command_button.h"
#include "forms/dir_list_box.h"
#include "forms/drive_list_box.h"
#include "forms/file_list_box.h"
#include "forms/form.h"
#include "forms/frame.h"
#include "forms/image_control.h"
#include "forms/label.h"
#include "forms/picture_box.h"
#include "forms/timer_control.h"
#include "forms/window_calls.h"
#include "gifctl/animated_gif_ctl.h"
#include "win/error_state.h"

namespace plivora {

class BrowseAhead;
class Program;

// The main window: start-up, shutdown and the settings file; the drive, folder and file lists
// with file drops; the picture on show with its labels. Creating it starts the program and
// closing it ends the program.
class Form1 : public Form {
public:
    explicit Form1(Program& program);
    ~Form1() override;

    Program& program() const { return m_program; }

    // Controls, in creation order. Frames come before the controls they hold.
    PictureBox picTitleStick{*this, "picTitleStick"};
    PictureBox imgQel{*this, "imgQel"};
    CommandButton cmdStick{*this, "cmdStick"};
    CommandButton cmdPlayGif{*this, "cmdPlayGif"};
    AnimatedGifCtl AnimatedGifCtl1{*this, "AnimatedGifCtl1"};
    CommandButton cmdShowAni{*this, "cmdShowAni"};
    CommandButton cmdViewAll{*this, "cmdViewAll"};
    TimerControl Timer1{*this, "Timer1"};
    CommandButton cmdTiny{*this, "cmdTiny"};
    CommandButton cmdShape{*this, "cmdShape"};
    CommandButton cmdBackgroundColor{*this, "cmdBackgroundColor"};
    Frame Frame1{*this, "Frame1"};
    Label lblFileSize{*this, "lblFileSize", &Frame1};
    Label lblRatio{*this, "lblRatio", &Frame1};
    Label lblDimension{*this, "lblDimension", &Frame1};
    CommandButton cmdRealSize{*this, "cmdRealSize"};
    FileListBox File1{*this, "File1"};
    DirListBox Dir1{*this, "Dir1"};
    DriveListBox Drive1{*this, "Drive1"};
    ImageControl imgNotStick{*this, "imgNotStick"};
    ImageControl imgStick{*this, "imgStick"};
    ImageControl imgCursor{*this, "imgCursor"};
    ImageControl imgHideAniGif{*this, "imgHideAniGif"};
    ImageControl imgShowAniGif{*this, "imgShowAniGif"};
    ImageControl imgPlayPoint{*this, "imgPlayPoint"};
    ImageControl imgStopPoint{*this, "imgStopPoint"};
    Label lblErrorMessage{*this, "lblErrorMessage"};
    ImageControl imgShow{*this, "imgShow"};

    // Fields.
    Bool16 blVertical = kFalse;
    std::array<std::int32_t, 60> SavedLayout{};
    std::string sPicturePath;
    std::string sPictureFile;
    std::string sFileName;
    std::string sDropExt;
    OleColor lngSavedBackColor = 0;
    Bool16 blGifPlaying = kFalse;

    // Start-up, paint and shutdown.
    void Form_Load();
    void Form_QueryUnload(int& cancel, int unloadMode);
    void Form_Paint();
    void Form_Resize();
    void ReadSettings();
    // Writes the arrangement in force as record 1 of the settings file.
    void writeShapeRecord();
    std::string settingsFilePath() const;

    // Navigation.
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_Click();
    void File1_PathChange();
    void File1_OLEDragDrop(const DropData& data);

    // Picture display.
    void File1_Click();
    void ShowListFile();
    void FitToArea();
    // Shows a dropped picture; returns whether it is on show (false: it did not load, or a newer
    // choice superseded it while it loaded), which ends the drop.
    bool ShowDroppedPicture(const std::string& p, const std::string& name);

    // Commands.
    void cmdRealSize_Click();
    void cmdBackgroundColor_Click();
    void cmdPlayGif_Click();
    void cmdShowAni_Click();
    void imgQel_MouseMove(int button, int shift, float x, float y);
    void imgQel_Click();
    void imgShow_MouseDown(int button, int shift, float x, float y);
    Bool16 blLogoHover = kFalse;

    // Browsing ahead: while a picture chosen in the file list is on show, the pictures of the
    // entries beside it are decoded on another thread where the host allows it.
    BrowseAhead& browseAhead() { return *m_browseAhead; }

    // Thumbnails: "View All" starts afresh; ViewAllImages builds one page of the thumbnail window.
    void cmdViewAll_Click();
    void ViewAllImages();

    // Mouse presence.
    void Form_MouseMove(int button, int shift, float x, float y);
    void Dir1_MouseMove(int button, int shift, float x, float y);
    void File1_MouseMove(int button, int shift, float x, float y);
    void imgShow_MouseMove(int button, int shift, float x, float y);

    // The arrangement switch, run by a click on cmdShape and at start-up.
    void cmdShape_Click();

    // Without a stored position the window stands this far in from the work area's right edge,
    // and this far below the work area's top or the floating panel's first place.
    static constexpr int kStartMarginPixels = 8;

    // The display area's fixed size in twips.
    static constexpr float kAreaWidth = 2412.0f;
    static constexpr float kAreaHeight = 2172.0f;

private:
    // ShowListFile's work for the file chosen in the list, given as it was at the choice.
    void showChosenFile(const std::string& folder, const std::string& name);
    void placeControls();
    void wireHandlers();
    void showErrorText(ErrorState& errors);
    void markMousePresence();
    void rememberFolderOnDrive();
    void placeAtTopRight();
    bool isDriveRootPath(const std::string& path) const;
    // The picture of a file chosen in the list; nothing when a newer choice abandoned its decode.
    std::optional<Picture> loadListPicture(const std::string& fullName);
    void planBrowseAhead();

    Program& m_program;
    // Each drive's current folder, by drive root (with its trailing '/').
    std::map<std::string, std::string> m_folderOnDrive;
    std::unique_ptr<BrowseAhead> m_browseAhead;
};

}  // namespace plivora
