#include "runtime/number_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

struct Case {
    double value;
    const char* text;
};

TEST(NumberFormat, SixSignificantDigitsFixedOrExponential) {
    const Case cases[] = {
        // The worked examples.
        {12.3456789, "12.3457"},
        {0.5, "0.5"},
        {100.0, "100."},
        {0.04, "4.e-002"},
        {1234567.0, "1.23457e+006"},
        // Negatives.
        {-12.3456789, "-12.3457"},
        {-0.5, "-0.5"},
        {-0.04, "-4.e-002"},
        {-1234567.0, "-1.23457e+006"},
        {-12.8, "-12.8"},
        // Zero of either sign.
        {0.0, "0."},
        {-0.0, "0."},
        // Edges of the fixed range: exponents -1 and 5 fixed, -2 and 6 not.
        {0.1, "0.1"},
        {0.123456789, "0.123457"},
        {0.0123456789, "1.23457e-002"},
        {123456.4, "123456."},
        {999999.4, "999999."},
        {100000.0, "100000."},
        {1000000.0, "1.e+006"},
        // Rounding across a power of ten moves the exponent.
        {999999.5, "1.e+006"},
        {0.09999999, "0.1"},
        {0.0999999, "9.99999e-002"},
        {0.09999949, "9.99995e-002"},
        {9.999996, "10."},
        {99999.95, "99999.9"},  // 99999.95 is stored just below the tie
        {99999.96, "100000."},
        // Trailing zeros removed, point kept.
        {2.5, "2.5"},
        {60.0, "60."},
        {1.0 / 3.0, "0.333333"},
        {2.0 / 3.0, "0.666667"},
        {1.0e-5, "1.e-005"},
        {0.00012, "1.2e-004"},
        // Three exponent digits, also for exponents past 99.
        {1.0e100, "1.e+100"},
        {1.5e-300, "1.5e-300"},
        {DBL_MAX, "1.79769e+308"},
        {std::numeric_limits<double>::denorm_min(), "4.94066e-324"},
    };
    for (const Case& c : cases) EXPECT_EQ(formatSixDigits(c.value), c.text) << c.value;
}

TEST(NumberFormat, NonFiniteValuesAreNamed) {
    EXPECT_EQ(formatSixDigits(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(formatSixDigits(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(formatSixDigits(std::nan("")), "nan");
}

TEST(NumberFormat, NoTextIsLongerThanThirteenCharacters) {
    for (double v = 1.0e-310; v < 1.0e308; v *= 7.77) {
        EXPECT_LE(formatSixDigits(-v * 1.2345678).size(), 13u) << v;
    }
}

}  // namespace
