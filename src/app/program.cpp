#include "app/program.h"

#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>

#include "app/form1.h"
#include "app/form11.h"
#include "app/form5.h"
#include "arrange/form3.h"
#include "forms/background_jobs.h"
#include "forms/host.h"
#include "picture/picture_loader.h"
#include "picture/thumbnail_cache.h"
#include "thumbs/form2.h"
#include "thumbs/form4.h"
#include "win/error.h"
#include "win/file_io.h"
#include "win/file_system.h"

namespace plivora {

Program::Program(Host& host, ProgramPaths paths)
    : m_host(host),
      m_paths(std::move(paths)),
      m_thumbnailCache(std::make_unique<ThumbnailCache>(m_paths.thumbnailFolder, LoadPicture)),
      m_chosenPictureLoader(LoadPicture),
      m_pictureJobs(std::make_unique<BackgroundJobs>(host)) {
    // An error that a handler lets out reaches the user in the program's own warning box.
    m_host.setWarningBox([this](const std::string& message) { form11().AnswerOk(message); });
}

Program::~Program() {
    m_host.setWarningBox(nullptr);
    // The program's thread ends with it: its window hooks go before the windows they watch.
    m_host.windowHooks().threadEnded();
    // Views go first, while every form and control they show still exists; then the forms, the
    // main window last.
    for (auto& warning : m_warnings) {
        warning->destroyView();
    }
    for (Form* form : std::initializer_list<Form*>{m_form11.get(), m_form5.get(), m_form4.get(),
                                                   m_form3.get(), m_form2.get(), m_form1.get()}) {
        if (form != nullptr) {
            form->destroyView();
        }
    }
    m_warnings.clear();
    m_form11.reset();
    m_form5.reset();
    m_form4.reset();
    m_form3.reset();
    m_form2.reset();
    m_form1.reset();
}

namespace {

// The one way a window is made on first touch: created and loaded when `window` holds none. The
// program holds the window before its load runs, so a load that reaches the window through the
// program finds this one rather than making another.
template <typename Window>
Window& onFirstTouch(Program& program, std::unique_ptr<Window>& window) {
    if (!window) {
        window = std::make_unique<Window>(program);
        window->load();
    }
    return *window;
}

// What the path named at start-up turned out to be, found before any window exists.
struct OpenTarget {
    std::string folder;  // where the lists start; empty: the current folder
    std::string file;    // the full name of the file to show; empty: none
    std::optional<Error> error;
};

OpenTarget examineOpenPath(const std::string& path, const std::string& currentFolder) {
    std::filesystem::path full(path);
    if (full.is_relative()) {
        full = std::filesystem::path(currentFolder) / full;
    }
    const std::string name = normalizeFolder(full.lexically_normal().string());
    if (isFolder(name)) {
        if (const int failure = folderOpenError(name); failure != 0) {
            return {{}, {}, readAccessError(failure)};
        }
        return {name, {}, std::nullopt};
    }
    if (!fileExists(name)) {
        return {{}, {}, Error(ErrorNumber::FileNotFound)};
    }
    if (::access(name.c_str(), R_OK) != 0) {
        return {{}, {}, readAccessError(errno)};
    }
    return {normalizeFolder(name.substr(0, name.rfind('/') + 1)), name, std::nullopt};
}

}  // namespace

void Program::start() {
    OpenTarget target;
    if (!m_paths.openPath.empty()) {
        target = examineOpenPath(m_paths.openPath, m_paths.currentFolder);
    }
    // The main window's lists start on the current folder: the named folder takes its place.
    if (!target.folder.empty()) {
        m_paths.currentFolder = target.folder;
    }
    form1().show();
    if (target.error) {
        form11().AnswerOk("Cannot open " + m_paths.openPath + "\r" + errorText(*target.error));
    } else if (!target.file.empty()) {
        showStartFile(target.file);
    }
}

void Program::showStartFile(const std::string& fullName) {
    Form1& main = form1();
    const std::string name = fullName.substr(fullName.rfind('/') + 1);
    const std::vector<std::string>& entries = main.File1.entries();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (entries[index] == name) {
            main.File1.setListIndex(static_cast<int>(index));
            return;
        }
    }
    // A file the list leaves out (another extension, a hidden name) is shown as a drop of it is.
    main.File1.raiseOLEDragDrop(DropData{std::vector<std::string>{fullName}});
}

std::optional<Picture> Program::loadChosenPicture(const std::string& path) {
    return m_pictureJobs->run<Picture>(
        [loader = m_chosenPictureLoader, path] { return loader(path); },
        [this] { return displayChoices.superseded(); });
}

void Program::endPageFill() {
    if (!fillingPage) {
        return;
    }
    ++thumbnailFillGeneration;
    intNextFileIndex = 1;
}

Form1& Program::form1() {
    return onFirstTouch(*this, m_form1);
}

Form2& Program::form2() {
    return onFirstTouch(*this, m_form2);
}

Form3& Program::form3() {
    return onFirstTouch(*this, m_form3);
}

Form4& Program::form4() {
    return onFirstTouch(*this, m_form4);
}

Form5& Program::form5() {
    if (m_form5 && !m_form5->isLoaded()) {
        m_form5.reset();  // unloaded by its OK: made again on the next request
    }
    return onFirstTouch(*this, m_form5);
}

Form11& Program::form11() {
    if (!m_form11) {
        m_form11 = std::make_unique<Form11>(*this);
    }
    return *m_form11;
}

Form11& Program::newWarningWindow() {
    dropClosedWarningWindows();
    m_warnings.push_back(std::make_unique<Form11>(*this));
    Form11& window = *m_warnings.back();
    window.load();
    return window;
}

int Program::openWarningWindows() const {
    int count = 0;
    for (const auto& warning : m_warnings) {
        count += warning->isLoaded() ? 1 : 0;
    }
    return count;
}

void Program::dropClosedWarningWindows() {
    m_warnings.remove_if(
        [](const std::unique_ptr<Form11>& warning) { return !warning->isLoaded(); });
}

}  // namespace plivora
