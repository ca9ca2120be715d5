#pragma once

#include <cstdint>
#include <string>

namespace plivora {

// A single-precision number in its shortest general form: digits only when whole, otherwise up
// to seven significant digits, no thousands separators.
std::string formatSingle(float value);

// A byte count as the pattern "###,###,###" gives it: thousands separated by the given separator,
// no leading zeros, so 0 gives "".
std::string formatThousands(std::int64_t value, const std::string& separator);

// "640 x 480": a picture's size in whole pixels, as the dimension label and a thumbnail's text
// show it. It comes from the picture itself, so a screen whose twips per pixel is not a whole
// number never turns a whole pixel into "82.00001".
std::string pixelSizeText(int width, int height);

// The thousands separator of the user's locale (from the environment), "" for the C locale.
std::string localeThousandsSeparator();

}  // namespace plivora
