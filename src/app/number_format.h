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

// The thousands separator of the user's locale (from the environment), "" for the C locale.
std::string localeThousandsSeparator();

}  // namespace plivora
