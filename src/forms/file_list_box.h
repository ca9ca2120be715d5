#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/control.h"

namespace plivora {

// What a drop carries: a list of full path names, or nothing a file list understands.
struct DropData {
    std::optional<std::vector<std::string>> files;
};

// The files of a folder whose names match the pattern, case-insensitively and in a file list's
// order; hidden files are left out. Changing the selection raises Click, changing the path
// raises PathChange, and files dropped onto it raise OLEDragDrop.
class FileListBox : public Control {
public:
    FileListBox(Form& form, std::string name, Control* container = nullptr);

    const std::string& path() const { return m_path; }
    // Throws Error 76 when the path is no folder. Raises PathChange when the path changes; the
    // list is re-read and nothing is selected.
    void setPath(const std::string& path);
    const std::string& pattern() const { return m_pattern; }
    void setPattern(const std::string& pattern);
    void refresh();

    const std::vector<std::string>& entries() const;
    int listCount() const { return static_cast<int>(entries().size()); }
    // The entry at a position; "" beyond the last one.
    std::string list(int index) const;
    int listIndex() const { return m_listIndex; }
    // Selects an entry (-1: none). Selecting an entry raises Click, as a mouse click or an arrow
    // key does.
    void setListIndex(int index);
    // The selected file name, or "" when nothing is selected.
    std::string fileName() const;

    std::function<void()> PathChange;
    std::function<void(const DropData& data)> OLEDragDrop;
    void raiseOLEDragDrop(const DropData& data);

private:
    std::string m_path;
    std::string m_pattern = "*.*";
    mutable std::vector<std::string> m_entries;
    mutable bool m_listed = false;
    int m_listIndex = -1;
};

}  // namespace plivora
