#include "forms/file_list_box.h"

#include "forms/form.h"
#include "win/error.h"
#include "win/file_system.h"

namespace plivora {

FileListBox::FileListBox(Form& form, std::string name, Control* container)
    : Control(ControlKind::FileList, &form, std::move(name), container),
      m_path(normalizeFolder(currentFolder())) {
    refresh();
}

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
    m_entries.clear();
    for (const std::string& name : listFiles(m_path)) {
        if (matchesPattern(name, m_pattern)) {
            m_entries.push_back(name);
        }
    }
    m_listIndex = -1;
    notify(ViewChange::Content);
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
        throw Error(381, "Invalid property array index");
    }
    return index < listCount() ? m_entries[static_cast<std::size_t>(index)] : std::string();
}

std::string FileListBox::fileName() const {
    return m_listIndex >= 0 ? m_entries[static_cast<std::size_t>(m_listIndex)] : std::string();
}

void FileListBox::raiseOLEDragDrop(const DropData& data) { runHandler(OLEDragDrop, data); }

}  // namespace plivora
