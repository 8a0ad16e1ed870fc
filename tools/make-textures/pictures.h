#pragma once
// The demo's six pictures, each drawn from fixed seeds.
#include <string>

#include "canvas.h"

// Soft round glow on black (star and falling sprites, drawn additively).
Canvas drawGlow(int size);

// A cumulus of soft cloud puffs and its opacity (a grey picture whose green
// channel is the opacity, zero at every edge). Same size.
struct CloudPair {
    Canvas colour;
    Canvas opacity;
};
CloudPair drawClouds(int size);

// The closing credits: light text on black. `fontDir` ends with a slash.
Canvas drawCredits(int size, const std::string& fontDir);

// The season's greeting: light text and snowflakes on black.
Canvas drawGreeting(int size, const std::string& fontDir);

// Film grain: sparse specks, hairline scratches and dust on black; tiles
// seamlessly.
Canvas drawFilmGrain(int size);
