#pragma once
// The application icon: the show's central sphere, lit from the viewer's
// left, in its wire cage against the starry night of the sky sphere, on a
// transparent ground.
#include "canvas.h"

struct Icon {
    Canvas colour;
    Layer opacity;
};

// Drawn for each size on its own (lines stay at least a pixel wide), so the
// small sizes are not blurred copies of the large one.
Icon drawIcon(int size);
