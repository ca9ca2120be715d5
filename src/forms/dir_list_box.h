#pragma once

#include <functional>
#include <string>
#include <vector>

#include "forms/control.h"

namespace plivora {

// The folder tree of one drive as a folder list shows it: the folders from the drive's root (the
// longest mounted root that holds the current folder) down to the current folder, then the current
// folder's subfolders. Its path is the current folder; changing the path raises Change.
class DirListBox : public Control {
public:
    struct Entry {
        std::string path;   // full path, without trailing '/' except for the root
        std::string text;   // what the list shows
        int level = 0;      // indentation depth
        bool open = false;  // an ancestor of the current folder or the current folder itself
    };

    DirListBox(Form& form, std::string name, Control* container = nullptr);

    const std::string& path() const { return m_path; }
    // Moves the list to a folder. Throws Error 76 when the path is no folder, 68 when it is the
    // root of a drive that cannot be read, 75 when another folder cannot be read. Raises Change
    // when the path changes.
    void setPath(const std::string& path);
    // Re-reads the subfolders of the current folder.
    void refresh();

    const std::vector<Entry>& entries() const { return m_entries; }
    int currentEntry() const { return m_currentEntry; }  // position of the current folder
    // The selected entry as a position in entries(), or -1.
    int selectedEntry() const { return m_selectedEntry; }

    // User input from a view: a single click selects an entry and raises Click; a double click
    // opens it (the path changes) and raises DblClick. A folder that cannot be opened is left
    // alone.
    void clickEntry(int position);
    void doubleClickEntry(int position);
    // The Enter key while the list has the keyboard focus: opens the selected entry as a double
    // click on it does.
    void pressEnter();

    std::function<void()> Change;

    // The root of the drive that holds a folder: the longest drive root it lies in, else "/".
    std::string driveRootOf(const std::string& folder) const;

private:
    void rebuild();
    void readDriveRoots();
    bool isDriveRoot(const std::string& path) const;

    std::string m_path;
    std::vector<Entry> m_entries;
    std::vector<std::string> m_driveRoots;
    int m_currentEntry = -1;
    int m_selectedEntry = -1;
};

}  // namespace plivora
