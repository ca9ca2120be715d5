#pragma once

#include <string>
#include <string_view>

namespace plivora {

// `text` as a JSON string literal, quotes included. Quotes, backslashes and control characters
// are escaped. Well-formed UTF-8 passes through unchanged; every byte that is not part of a
// well-formed sequence (a stray continuation byte, a cut sequence, an overlong form, a surrogate,
// a value past U+10FFFF) is written as \u00XX with the byte's value, so a file name in another
// encoding still comes out as valid JSON and its bytes can be read off the escapes.
std::string jsonString(std::string_view text);

}  // namespace plivora
