#pragma once
// Bump maps drawn by dot-product texture combining (GL 1.3's DOT3_RGB):
// the map's heights become a normal map, and each vertex carries the
// light's direction in its tangent frame as its colour. A pass over the lit
// faces multiplies them by how much the bumps turn towards or away from the
// light compared with the flat face.
#include <array>
#include <vector>

#include "scene3ds/mesh3ds.h"
#include "scene3ds_render/model_pose.h"
#include "scene3ds_render/texture_files.h"

// Whether the current GL offers dot-product texture combining (its
// extension list names it).
bool glOffersDot3();

// The normal map of a height map (its pixels' brightness): each normal
// leans against the slope, `strength` setting how steep a step of the
// whole brightness range across one pixel looks. Encoded as colours
// (0.5 + n / 2); alpha 255. Rows as in `heights` (bottom-up).
TexturePicture normalMapFromHeights(const TexturePicture& heights, float strength);

// The colour each vertex of `mesh` gives the dot-product pass, in RGB
// bytes, for a light at `light` (w 1) or from direction `light` (w 0) in
// the mesh's own coordinates: the light's direction in the vertex's
// tangent frame, scaled so that a flat bump gives one half (so a doubled
// multiply leaves the face as lit). Where the light is behind or grazing
// the face, or the frame is degenerate, the colour leaves the face as it is.
void bumpLightColors(const Mesh3ds& mesh, const std::array<float, 4>& light,
                     std::vector<std::array<unsigned char, 3>>& colors);
