#include "thumbs/form4.h"

#include "app/form11.h"
#include "app/program.h"
#include "forms/clipboard_calls.h"
#include "forms/host.h"
#include "forms/list_view.h"
#include "thumbs/thumbnail_item_text.h"
#include "win/global_memory.h"

namespace plivora {

namespace {

constexpr std::size_t kDropFilesHeader = 20;

}  // namespace

Form4::Form4(Program& program) : Form(program.host(), "Form4"), m_program(program) {
    mPopup.setVisible(false);  // a top-level menu that only ever opens as a pop-up
    mPopup.addItem(mCopyShortcut);
    mCopyShortcut.Click = [this] { mCopyShortcut_Click(); };
}

void Form4::PathAndFileName(const std::string& sPathIs, const std::string& sFileNameIs) {
    sFullName = sPathIs + sFileNameIs;
    sPathOnly = sPathIs;
}

void Form4::ListViewIs(ListView* LV) {
    lvCurrent = LV;
}

void Form4::mCopyShortcut_Click() {
    host().clearClipboard();
    host().setClipboardText(sFullName);
}

std::vector<std::uint8_t> Form4::fileDropBlock(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        list += name;
        list += '\0';
    }
    list += '\0';
    std::vector<std::uint8_t> block(kDropFilesHeader + list.size(), 0);
    block[0] = static_cast<std::uint8_t>(kDropFilesHeader);  // offset of the names, little-endian
    RtlMoveMemory(block.data() + kDropFilesHeader, list.data(), list.size());
    return block;
}

Bool16 Form4::ClipboardCopyFiles(const std::vector<std::string>& sPathFileName) {
    if (sPathFileName.empty()) {
        return kFalse;
    }
    Host& h = host();
    if (OpenClipboard(h, nullptr) == 0) {
        return kFalse;
    }
    EmptyClipboard(h);
    const std::vector<std::uint8_t> bytes = fileDropBlock(sPathFileName);
    Bool16 result = kFalse;
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size())) {
        std::uint8_t* memory = GlobalLock(block);
        RtlMoveMemory(memory, bytes.data(), kDropFilesHeader);
        RtlMoveMemory(memory + kDropFilesHeader, bytes.data() + kDropFilesHeader,
                      bytes.size() - kDropFilesHeader);
        GlobalUnlock(block);
        result = SetClipboardData(h, CF_HDROP, block) ? kTrue : kFalse;
    }
    CloseClipboard(h);
    return result;
}

void Form4::CopySelectedFiles() {
    std::vector<std::string> files;
    if (lvCurrent != nullptr) {
        for (const ListView::Item& item : lvCurrent->items()) {
            if (!item.selected) {
                continue;
            }
            const std::optional<std::string> name = thumbnailFileName(item.text);
            if (!name) {
                m_program.form11().AnswerOk(
                    "Error found, cannot get back file name from ListView!");
                return;
            }
            files.push_back(sPathOnly + *name);
        }
    }
    ClipboardCopyFiles(files);
}

void Form4::PopupMenu(Menu& menu, unsigned flags) {
    host().popupMenu(menu, host().cursorPos(), flags);
}

}  // namespace plivora
