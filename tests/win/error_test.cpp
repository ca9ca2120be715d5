#include "win/error.h"

#include <gtest/gtest.h>

namespace plivora {
namespace {

TEST(ErrorText, NonNegativeNumbersGetALeadingSpaceAndACarriageReturn) {
    EXPECT_EQ(errorText(68, "Device unavailable"), "Error #  68\rDevice unavailable");
    EXPECT_EQ(errorText(0, "x"), "Error #  0\rx");
    EXPECT_EQ(errorText(-5, "x"), "Error # -5\rx");
    EXPECT_EQ(errorText(Error(53)), "Error #  53\rFile not found");
}

TEST(ErrorText, KnownNumbersCarryTheirStandardDescription) {
    EXPECT_EQ(Error(481).description(), "Invalid picture");
    EXPECT_EQ(Error(7).description(), "Out of memory");
    EXPECT_EQ(Error(9).description(), "Subscript out of range");
    EXPECT_EQ(Error(6).description(), "Overflow");
    EXPECT_EQ(Error(12345).description(), "Application-defined or object-defined error");
}

}  // namespace
}  // namespace plivora
