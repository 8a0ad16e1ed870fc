#pragma once
// What a material chunk says beyond the loader's model: self-illumination,
// the two-sided and wire flags, the shininess strength and how each texture
// map repeats.
#include <array>
#include <cstdint>
#include <string>

// Tiling flags of a texture map (chunk 0xA351).
namespace map_tiling {
constexpr std::uint16_t kDecal = 0x0001;   // drawn once, the rest of the face shows its colour
constexpr std::uint16_t kMirror = 0x0002;  // every other repeat mirrored
constexpr std::uint16_t kNoTile = 0x0010;  // drawn once, its edge pixels stretched
}  // namespace map_tiling

struct MaterialExtras {
    std::string name;                // as the loader reads it: at most 29 characters
    float selfIllumination = 0.0f;   // 0..1: how much the material lights itself
    float shininessStrength = 0.0f;  // 0..1: the highlight's strength
    bool twoSided = false;
    bool wire = false;
    float wireSize = 1.0f;  // line width of a wire material, in pixels
    bool additive = false;  // transparency adds its colour instead of blending
    // Tiling flags of the maps, in the loader's slot order: texture map 1,
    // texture map 2, opacity, reflection, bump, specular.
    std::array<std::uint16_t, 6> mapTiling{};
};
