#include "forms/drive_list_box.h"

#include "forms/form.h"
#include "win/file_system.h"

namespace plivora {

DriveListBox::DriveListBox(Form& form, std::string name, Control* container)
    : Control(ControlKind::DriveList, &form, std::move(name), container) {
    m_drives = host().drives();
    m_listIndex = driveIndexOf(m_drives, currentFolder());
}

std::string DriveListBox::drive() const {
    if (m_listIndex < 0 || m_listIndex >= static_cast<int>(m_drives.size())) {
        return {};
    }
    return m_drives[static_cast<std::size_t>(m_listIndex)].root;
}

int DriveListBox::driveIndexOf(const std::vector<Drive>& drives, const std::string& path) {
    std::vector<std::string> roots;
    roots.reserve(drives.size());
    for (const Drive& drive : drives) {
        roots.push_back(drive.root);
    }
    return longestRootHolding(roots, path);
}

void DriveListBox::setDrive(const std::string& path) {
    int index = driveIndexOf(m_drives, path);
    if (index < 0) {
        // A file system mounted since the list was read.
        m_drives = host().drives();
        notify(ViewChange::Content);
        index = driveIndexOf(m_drives, path);
    }
    setListIndex(index);
}

void DriveListBox::setListIndex(int index) {
    if (index < -1 || index >= static_cast<int>(m_drives.size()) || index == m_listIndex) {
        return;
    }
    m_listIndex = index;
    notify(ViewChange::Content);
    if (Change) {
        Change();
    }
}

void DriveListBox::refresh() {
    const std::string selected = drive();
    m_drives = host().drives();
    m_listIndex = -1;
    for (std::size_t i = 0; i < m_drives.size(); ++i) {
        if (m_drives[i].root == selected) {
            m_listIndex = static_cast<int>(i);
        }
    }
    notify(ViewChange::Content);
}

}  // namespace plivora
