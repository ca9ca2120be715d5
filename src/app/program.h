#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>

#include "app/latest_choice.h"
#include "forms/types.h"
#include "picture/picture.h"

namespace plivora {

class Host;
class BackgroundJobs;
class Form1;
class Form2;
class Form3;
class Form4;
class Form5;
class Form11;
class ThumbnailCache;

// Where the program runs: the process's current folder and the program's own folder. The real
// program takes them from the process; tests give their own.
struct ProgramPaths {
    std::string currentFolder;
    std::string programFolder;
    // The thousands separator of the user's locale, for file sizes.
    std::string thousandsSeparator;
    // The folder of the settings file; the program's folder when empty.
    std::string settingsFolder{};
    // The desktop's thumbnail cache ("$XDG_CACHE_HOME/thumbnails"); none when empty.
    std::string thumbnailFolder{};
    // The file or folder named on the command line, empty for none; a relative path is taken
    // from currentFolder.
    std::string openPath{};
};

// The program: its host, the program-wide state that the windows share (under the names the
// windows use), and the windows themselves. A window other than the main one is created the first
// time it is touched. There are no globals: a test makes a fresh Program.
class Program {
public:
    Program(Host& host, ProgramPaths paths);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Host& host() const { return m_host; }
    const ProgramPaths& paths() const { return m_paths; }
    // The thumbnail window's pictures come through it (it loads them itself when it is off).
    const ThumbnailCache& thumbnailCache() const { return *m_thumbnailCache; }

    // Creates, loads and shows the main window. Closing it ends the program. A folder named in
    // openPath is where the lists start; a file is shown as a click on it in the file list shows
    // it, or as a drop of it does when the list leaves it out. A path that cannot be opened is
    // reported in a warning box and the lists start on the current folder.
    void start();

    Form1& form1();
    // The thumbnail window, created hidden on first touch and never unloaded.
    Form2& form2();
    bool hasForm2() const { return m_form2 != nullptr; }
    // The floating panel of tiny mode, created and loaded on first touch.
    Form3& form3();
    bool hasForm3() const { return m_form3 != nullptr; }
    // The hidden pop-up menu host.
    Form4& form4();
    // The About box, created again after it was unloaded.
    Form5& form5();
    // The shared warning-box object through which callers reach AnswerOk; never shown itself.
    Form11& form11();
    // A new warning window; the program keeps it until it is closed.
    Form11& newWarningWindow();
    int openWarningWindows() const;

    // Program-wide state.
    std::string sCurPath;
    std::string sAppPath;
    Bool16 blTinyMode = kFalse;
    Bool16 blMouseWasOver = kFalse;
    Bool16 blPanelLeft = kFalse;
    Bool16 blOnTop = kFalse;
    std::int16_t intPinZOrder = 0;
    Bool16 blPinRefresh = kFalse;
    Bool16 blMainHidden = kFalse;
    Bool16 blPanelShown = kFalse;
    Bool16 blPinInstalled = kFalse;
    Bool16 blTinyOff = kFalse;
    std::int32_t lngHookHandle = 0;
    // Thumbnail page state.
    std::string sThumbPath;
    std::int16_t intPageShown = 0;
    std::int16_t intNextFileIndex = 0;
    std::int16_t intBuildPage = 0;
    std::int16_t intPagesBuilt = 0;
    std::int16_t intChainSteps = 0;
    // Counts the page fills started; a fill that finds a newer one started while it let events
    // run stops, so two fills never write into the same lists.
    int thumbnailFillGeneration = 0;
    // Choices of a picture to show (from the file list, a drop, a thumbnail): one at a time, the
    // last one wins.
    LatestChoice displayChoices;
    // Decodes the picture of a choice on a thread of its own while the windows run events (in
    // turn where the host allows no background work). Nothing when a newer choice came meanwhile:
    // the decode is abandoned and its picture dropped. Throws the loader's Error.
    std::optional<Picture> loadChosenPicture(const std::string& path);
    // The loader that decodes chosen pictures: LoadPicture unless a test sets another.
    void setChosenPictureLoader(std::function<Picture(const std::string& path)> loader) {
        m_chosenPictureLoader = std::move(loader);
    }
    // Whether a page fill is in progress; it lets events run after every thumbnail.
    bool fillingPage = false;
    // Ends the page fill in progress, if any, before it places another thumbnail: the main
    // window's folder changed, so its file list is no longer the one the fill was placing. Nothing
    // of that folder is left to build.
    void endPageFill();

private:
    void dropClosedWarningWindows();
    void showStartFile(const std::string& fullName);

    Host& m_host;
    ProgramPaths m_paths;
    std::unique_ptr<ThumbnailCache> m_thumbnailCache;
    std::function<Picture(const std::string& path)> m_chosenPictureLoader;
    std::unique_ptr<BackgroundJobs> m_pictureJobs;
    std::unique_ptr<Form1> m_form1;
    std::unique_ptr<Form2> m_form2;
    std::unique_ptr<Form3> m_form3;
    std::unique_ptr<Form4> m_form4;
    std::unique_ptr<Form5> m_form5;
    std::unique_ptr<Form11> m_form11;
    std::list<std::unique_ptr<Form11>> m_warnings;
};

}  // namespace plivora
