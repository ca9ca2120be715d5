#include "forms/types.h"

#include <cmath>

#include "win/error.h"

namespace plivora {

std::int32_t roundHalfEven(double value) {
    const double rounded = std::nearbyint(value);  // the default rounding mode is to nearest-even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) {
        throw Error(ErrorNumber::Overflow);
    }
    return static_cast<std::int32_t>(rounded);
}

}  // namespace plivora
