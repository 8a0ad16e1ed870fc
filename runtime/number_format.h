#pragma once
// The six-significant-digit number text of the title line: fixed notation
// for decimal exponents -1 to 5, exponential with three exponent digits
// otherwise; trailing zeros after the point are dropped, the point stays.
// Written here rather than taken from printf's %g, whose exponent width and
// point handling differ between C libraries.
#include <string>

std::string formatSixDigits(double value);
