#include "forms/dir_list_box.h"

#include "forms/form.h"
#include "forms/host.h"
#include "win/error.h"
#include "win/file_io.h"
#include "win/file_system.h"

namespace plivora {

DirListBox::DirListBox(Form& form, std::string name, Control* container)
    : Control(ControlKind::DirList, &form, std::move(name), container) {
    readDriveRoots();
    m_path = normalizeFolder(currentFolder());
    rebuild();
}

void DirListBox::readDriveRoots() {
    m_driveRoots.clear();
    for (const Drive& drive : host().drives()) {
        m_driveRoots.push_back(normalizeFolder(drive.root));
    }
}

std::string DirListBox::driveRootOf(const std::string& folder) const {
    const int holding = longestRootHolding(m_driveRoots, folder);
    return holding < 0 ? std::string("/") : m_driveRoots[static_cast<std::size_t>(holding)];
}

bool DirListBox::isDriveRoot(const std::string& path) const {
    for (const std::string& root : m_driveRoots) {
        if (root == path) {
            return true;
        }
    }
    return path == "/";
}

void DirListBox::setPath(const std::string& path) {
    if (path.empty()) {
        throw Error(ErrorNumber::PathNotFound);
    }
    const std::string target = normalizeFolder(path);
    if (!isFolder(target)) {
        throw Error(isDriveRoot(target) ? ErrorNumber::DeviceUnavailable
                                        : ErrorNumber::PathNotFound);
    }
    if (const int failure = folderOpenError(target); failure != 0) {
        throw isDriveRoot(target) ? Error(ErrorNumber::DeviceUnavailable)
                                  : readAccessError(failure);
    }
    if (target == m_path) {
        return;
    }
    readDriveRoots();  // a volume mounted since the list was last moved starts a tree of its own
    m_path = target;
    rebuild();
    if (Change) {
        Change();
    }
}

void DirListBox::refresh() {
    rebuild();
}

void DirListBox::rebuild() {
    m_entries.clear();
    // The chain of folders from the drive's root down to the current folder: the list shows
    // one drive's tree and never climbs above its root.
    const std::string root = driveRootOf(m_path);
    std::vector<std::string> chain;
    std::string walk = m_path;
    while (true) {
        chain.insert(chain.begin(), walk);
        if (walk == root || walk == "/") {
            break;
        }
        const std::size_t slash = walk.rfind('/');
        walk = slash == 0 ? "/" : walk.substr(0, slash);
    }
    int level = 0;
    for (const std::string& folder : chain) {
        const std::size_t slash = folder.rfind('/');
        const std::string text = folder == root ? folder : folder.substr(slash + 1);
        m_entries.push_back({folder, text, level++, true});
    }
    m_currentEntry = static_cast<int>(m_entries.size()) - 1;
    const std::string prefix = withTrailingSlash(m_path);
    for (const std::string& name : listSubfolders(m_path)) {
        m_entries.push_back({prefix + name, name, level, false});
    }
    m_selectedEntry = m_currentEntry;
    notify(ViewChange::Content);
}

void DirListBox::clickEntry(int position) {
    if (position < 0 || position >= static_cast<int>(m_entries.size())) {
        return;
    }
    m_selectedEntry = position;
    notify(ViewChange::Content);
    raiseClick();
}

void DirListBox::doubleClickEntry(int position) {
    if (position < 0 || position >= static_cast<int>(m_entries.size())) {
        return;
    }
    const std::string target = m_entries[static_cast<std::size_t>(position)].path;
    try {
        setPath(target);
    } catch (const Error& error) {
        // A folder that vanished or cannot be read: the list stays where it was, and the user is
        // told why the double-click did nothing.
        rebuild();
        reportHandlerError(error);
        return;
    }
    raiseDblClick();
}

void DirListBox::pressEnter() {
    doubleClickEntry(m_selectedEntry);
}

}  // namespace plivora
