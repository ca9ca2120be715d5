#include "forms/file_list_box.h"

#include "forms/form.h"
#include "win/error.h"
#include "win/file_system.h"

namespace plivora {

FileListBox::FileListBox(Form& form, std::string name, Control* container)
    : Control(ControlKind::FileList, &form, std::move(name), container),
      m_path(normalizeFolder(currentFolder())) {}

void FileListBox::setPath(const std::string& path) {
    const std::string target = normalizeFolder(path);
    if (path.empty() || !isFolder(target)) {
        throw Error(ErrorNumber::PathNotFound);
    }
    if (target == m_path) {
        return;
    }
    m_path = target;
    refresh();
    if (PathChange) {
        PathChange();
    }
}

void FileListBox::setPattern(const std::string& pattern) {
    m_pattern = pattern;
    refresh();
}

void FileListBox::refresh() {
    // The folder is read when the entries are first asked for, so setting the pattern and the
    // path one after the other at start-up reads a large folder once, not three times.
    m_listed = false;
    m_entries.clear();
    m_listIndex = -1;
    notify(ViewChange::Content);
}

const std::vector<std::string>& FileListBox::entries() const {
    if (!m_listed) {
        m_entries = m_pattern.empty() ? std::vector<std::string>{} : listFiles(m_path, m_pattern);
        m_listed = true;
    }
    return m_entries;
}

void FileListBox::setListIndex(int index) {
    if (index < -1 || index >= listCount()) {
        throw Error(ErrorNumber::InvalidProcedureCall);
    }
    m_listIndex = index;
    notify(ViewChange::Content);
    if (index >= 0) {
        raiseClick();
    }
}

std::string FileListBox::list(int index) const {
    if (index < 0) {
        throw Error(ErrorNumber::InvalidPropertyArrayIndex);
    }
    return index < listCount() ? entries()[static_cast<std::size_t>(index)] : std::string();
}

std::string FileListBox::fileName() const {
    return m_listIndex >= 0 ? entries()[static_cast<std::size_t>(m_listIndex)] : std::string();
}

void FileListBox::raiseOLEDragDrop(const DropData& data) {
    runHandler(OLEDragDrop, data);
}

}  // namespace plivora
