#include "win/error.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string_view>

namespace plivora {

Error::Error(int number, std::string description)
    : std::runtime_error(description), m_number(number), m_description(std::move(description)) {}

Error::Error(int number) : Error(number, errorDescription(number)) {}

namespace {

struct ErrorRow {
    int number;
    std::string_view description;
};

constexpr ErrorRow kErrorRows[] = {
#define PLIVORA_ERROR_ROW(name, number, description) {number, description},
    PLIVORA_ERROR_TABLE(PLIVORA_ERROR_ROW)
#undef PLIVORA_ERROR_ROW
};

// The rows are kept in the order of their numbers, which also shows that no number is given twice,
// and every row has its text.
constexpr bool rowsAreWellFormed() {
    for (std::size_t i = 0; i < std::size(kErrorRows); ++i) {
        if (kErrorRows[i].description.empty()) {
            return false;
        }
        if (i > 0 && kErrorRows[i - 1].number >= kErrorRows[i].number) {
            return false;
        }
    }
    return true;
}
static_assert(rowsAreWellFormed(),
              "error numbers must be distinct and ascending, each with its description");

}  // namespace

std::string errorDescription(int number) {
    const auto* end = std::end(kErrorRows);
    const auto* row = std::lower_bound(std::begin(kErrorRows), end, number,
                                       [](const ErrorRow& r, int n) { return r.number < n; });
    if (row != end && row->number == number) {
        return std::string(row->description);
    }
    return "Application-defined or object-defined error";
}

std::string errorText(int number, const std::string& description) {
    // A non-negative number is formatted with a leading space, so "# " and the digits are two
    // spaces apart.
    std::string text = "Error # ";
    if (number >= 0) {
        text += ' ';
    }
    text += std::to_string(number);
    text += '\r';
    text += description;
    return text;
}

std::string errorText(const Error& error) {
    return errorText(error.number(), error.description());
}

}  // namespace plivora
