#include "app/number_format.h"

#include <langinfo.h>
#include <locale.h>

#include <cmath>
#include <cstdio>

namespace plivora {

std::string formatSingle(float value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15f) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.0f", static_cast<double>(value));
        return buffer;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(value));
    return buffer;
}

std::string formatThousands(std::int64_t value, const std::string& separator) {
    if (value == 0) {
        return {};
    }
    const bool negative = value < 0;
    std::string digits = std::to_string(negative ? -(value + 1) + 1 : value);
    std::string out;
    const int count = static_cast<int>(digits.size());
    for (int i = 0; i < count; ++i) {
        if (i > 0 && (count - i) % 3 == 0) {
            out += separator;
        }
        out += digits[static_cast<std::size_t>(i)];
    }
    return negative ? "-" + out : out;
}

std::string localeThousandsSeparator() {
    locale_t locale = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) {
        return {};
    }
    std::string separator = ::nl_langinfo_l(THOUSEP, locale);
    ::freelocale(locale);
    return separator;
}

std::string pixelSizeText(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

}  // namespace plivora
