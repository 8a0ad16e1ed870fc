#pragma once
class RenderContext;

// Lays the film-grain texture (slot 90000) over the whole frame, additively
// with the given alpha (clamped to 0..1), tiled twice, at a random angle and
// with a small random jitter taken from the demo generator (three draws).
// `size` widens the quad beyond its base half-width of 3.5. Uses the current
// projection; restores every attribute and the modelview matrix it changes.
void drawFilmOverlay(double alpha, double size, RenderContext& context);
