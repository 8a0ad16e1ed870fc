#pragma once
#include "runtime/records/point4.h"

// A tapering column of 4 to 7 sides and 10 to 17 stacked levels with a ragged
// outline, level 0 starting 5 level-heights below `position`, scaled by
// `growth` (clamped to 0..1). Every fifth level is drawn unlit. Makes 25
// draws of the demo generator plus one per level, whatever the growth.
// Leaves blending and 2D texturing off, depth testing on, and lighting as the
// last level had it.
void drawSpire(const Point4& position, double size, double growth);
