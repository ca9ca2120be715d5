#include "thumbs/thumbnail_item_text.h"

namespace plivora {

std::optional<std::string> thumbnailFileName(const std::string& itemText) {
    const std::size_t lineBreak = itemText.rfind("\r\n");
    if (lineBreak == std::string::npos) {
        return std::nullopt;
    }
    return itemText.substr(0, lineBreak);
}

}  // namespace plivora
