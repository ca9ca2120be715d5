#pragma once

#include <optional>
#include <string>

namespace plivora {

// The file name a thumbnail item's text begins with. The text is the name, a carriage return and
// a line feed, and the picture's size; a name may itself hold carriage returns, so the name ends
// at the last carriage return and line feed. Nothing when the text holds no such line break.
std::optional<std::string> thumbnailFileName(const std::string& itemText);

}  // namespace plivora
