#pragma once
#include "runtime/records/point4.h"

// A striped sphere of radius 5 * size in a grey wire cage, at `position`.
// `phaseTime` sets its growth (from nothing at 0 to full size at 5 s) and its
// turn about its own random axis (r4 degrees per second). Makes exactly four
// draws of the demo generator. Uses the caller's lighting, material and blend
// function (the cage is drawn blended). Leaves blending and depth testing on,
// lighting and 2D texturing off, the colour of the cage (the single-precision
// grey 0.2 in the show) and line width 2.
void drawCagedSphere(const Point4& position, double size, double phaseTime,
                     double cageGrey = static_cast<double>(0.2f));
