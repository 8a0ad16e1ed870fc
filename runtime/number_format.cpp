#include "runtime/number_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string formatSixDigits(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";

    // %.5e gives the value correctly rounded to six significant digits
    // ("d.ddddde+XX"); its digits and exponent are all that is used from it,
    // so the exponent is that of the rounded value (999999.5 -> 1.00000e+06).
    char scientific[32];
    std::snprintf(scientific, sizeof scientific, "%.5e", std::fabs(value));
    char digits[6];
    digits[0] = scientific[0];
    std::memcpy(digits + 1, scientific + 2, 5);
    int exponent = std::atoi(scientific + 8);

    std::string text;
    if (value < 0.0) text += '-';
    if (value == 0.0) {
        // Zero (of either sign) is not negative; written like any other
        // exponent-0 value.
        text.clear();
        exponent = 0;
    }

    // Significant digits without the trailing zeros.
    int kept = 6;
    while (kept > 1 && digits[kept - 1] == '0') --kept;

    if (exponent >= -1 && exponent <= 5) {
        if (exponent == -1) {
            text += "0.";
            text.append(digits, kept);
        } else {
            // exponent + 1 digits before the point, the rest after it.
            int whole = exponent + 1;
            text.append(digits, whole);
            text += '.';
            if (kept > whole) text.append(digits + whole, kept - whole);
        }
    } else {
        text += digits[0];
        text += '.';
        if (kept > 1) text.append(digits + 1, kept - 1);
        char tail[16];
        std::snprintf(tail, sizeof tail, "e%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
        text += tail;
    }
    return text;
}
