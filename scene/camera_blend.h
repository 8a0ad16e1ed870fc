#pragma once
#include "runtime/records/point4.h"

// destination = a + (b - a) * weight for eye, center and up alike (every
// result marked w = 1). destination may be the same frame as a.
void blendCamera(CameraFrame& destination, double weight, const CameraFrame& a,
                 const CameraFrame& b);
