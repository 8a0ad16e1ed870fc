#pragma once
// Arithmetic on Point4. The w marker: 1 a plain point or vector, 2 a vector
// already made unit length, 0 a null operand (add, subtract and scaled then
// give the zero point).
#include "runtime/records/point4.h"

Point4 add(const Point4& a, const Point4& b);
Point4 subtract(const Point4& a, const Point4& b);
// Keeps a's own w, so a unit vector stays marked 2 after scaling.
Point4 scaled(const Point4& a, double s);
// In place: only a point marked 1 is changed; it becomes unit length (or zero
// when shorter than 1e-8) and is marked 2.
Point4& normalize(Point4& p);
