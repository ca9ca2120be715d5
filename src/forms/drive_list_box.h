#pragma once

#include <functional>
#include <string>
#include <vector>

#include "forms/control.h"
#include "forms/host.h"

namespace plivora {

// The list of the machine's drives (mounted file systems, from the host). Its current entry is
// the selected drive; choosing another one raises Change.
class DriveListBox : public Control {
public:
    DriveListBox(Form& form, std::string name, Control* container = nullptr);

    const std::vector<Drive>& drives() const { return m_drives; }
    int listIndex() const { return m_listIndex; }
    // The root of the selected drive ("/" or "/media/usb/").
    std::string drive() const;
    // Selects the drive that holds the path (the one whose root is its longest prefix). Raises
    // Change when the selection changes.
    void setDrive(const std::string& path);
    // Selects an entry, as the user does; raises Change when the selection changes.
    void setListIndex(int index);
    // Re-reads the drives from the host, keeping the selected root where it still exists.
    void refresh();

    // The drive that holds a path, from a list of drives; -1 when none does.
    static int driveIndexOf(const std::vector<Drive>& drives, const std::string& path);

    std::function<void()> Change;

private:
    std::vector<Drive> m_drives;
    int m_listIndex = -1;
};

}  // namespace plivora
