#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "forms/form.h"
#include "forms/menu.h"
#include "forms/types.h"

namespace plivora {

class ListView;
class Program;

// The pop-up menu host: a window that is never shown. It owns the menu that the thumbnail window
// and the main window open on a picture, and holds the file the menu acts on. Its one command
// copies the file's full path as text; it can also put a list of files on the clipboard in the
// file-drop format.
class Form4 : public Form {
public:
    explicit Form4(Program& program);

    Menu mPopup{"mPopup", "Popup"};
    Menu mCopyShortcut{"mCopyShortcut", " Copy shortcut"};

    std::string sFullName;
    std::string sPathOnly;
    ListView* lvCurrent = nullptr;

    void PathAndFileName(const std::string& sPathIs, const std::string& sFileNameIs);
    void ListViewIs(ListView* LV);
    void mCopyShortcut_Click();
    // Puts the files on the clipboard as a file-drop block; True when the clipboard took it. An
    // empty list changes nothing and gives False.
    Bool16 ClipboardCopyFiles(const std::vector<std::string>& sPathFileName);
    void CopySelectedFiles();
    // Opens a menu of this window at the pointer.
    void PopupMenu(Menu& menu, unsigned flags);

    // The file-drop block for a list of names: the 20-byte header, then each name and a zero
    // byte, then one more zero byte.
    static std::vector<std::uint8_t> fileDropBlock(const std::vector<std::string>& names);

private:
    Program& m_program;
};

}  // namespace plivora
