// Browsing ahead in the file list: while a picture chosen in the list is on show, the pictures of
// the entries just after and just before it are decoded on another thread, so that the next step
// through the list in either direction shows its picture without decoding it. The headless host
// keeps everything in turn unless a test or benchmark lets it work on other threads.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/form1.h"
#include "app/program.h"
#include "forms/host.h"
#include "picture/browse_ahead.h"
#include "win/file_system.h"

namespace plivora {

std::optional<Picture> Form1::loadListPicture(const std::string& fullName) {
    if (std::optional<Picture> ahead = m_browseAhead->take(fullName)) {
        return ahead;
    }
    return m_program.loadChosenPicture(fullName);
}

void Form1::planBrowseAhead() {
    const int index = File1.listIndex();
    if (!host().allowsBackgroundWork() || index < 0) {
        return;
    }
    const std::string folder = withTrailingSlash(File1.path());
    std::vector<std::string> paths;
    for (const int neighbour : {index + 1, index - 1}) {
        if (neighbour >= 0 && neighbour < File1.listCount()) {
            paths.push_back(folder + File1.list(neighbour));
        }
    }
    m_browseAhead->plan(std::move(paths));
}

}  // namespace plivora
