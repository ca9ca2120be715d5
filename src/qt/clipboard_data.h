#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QMimeData;

namespace plivora {

// The clipboard format number of a file-drop block.
inline constexpr int kClipboardFileDrop = 15;

// The full paths held by a file-drop block: a 20-byte header whose first 32-bit little-endian
// field is the offset of the name list and whose fifth says whether the names are 16-bit
// characters, then the names, each ended by a zero character, the list ended by one more.
// Returns nothing for a block that does not hold such a list: too short, an offset outside the
// block, or a list without its terminating zero. 8-bit names are taken as the file system's own
// bytes; 16-bit names as UTF-16.
std::optional<std::vector<std::string>> parseFileDropBlock(const std::vector<std::uint8_t>& bytes);

// Clipboard contents that file managers paste as files: a URI list and the copy list of the GNOME
// desktop, plus an optional plain text (as textMimeData gives it). The caller owns the result.
QMimeData* fileListMimeData(const std::vector<std::string>& paths,
                            const std::optional<std::string>& text);

// A text that may be a path, as its bytes: "text/plain" holds them as they are, so that a paste
// into a terminal or a file field gives the real name even when it is not UTF-8 (the X clipboard
// hands the same bytes out as UTF8_STRING); "text/plain;charset=utf-8" is offered only for text
// that is valid UTF-8. The caller owns the result.
QMimeData* textMimeData(const std::string& text);
// The bytes of a clipboard's plain text.
std::string clipboardTextOf(const QMimeData& mime);

}  // namespace plivora
