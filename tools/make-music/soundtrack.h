#pragma once
// The demo's soundtrack, synthesised: about 90 s of 44.1 kHz stereo that
// follows the show: a calm pad under the spheres and stars, clouds and
// falling points adding motion, a pulse with the floor and the spires, a
// resolution under the closing images and a tail that ends in silence.
#include <cstddef>
#include <vector>

namespace music {

inline constexpr int kSoundtrackRate = 44100;
inline constexpr double kSoundtrackSeconds = 90.0;

// Interleaved stereo, peak normalised below full scale. Deterministic.
std::vector<float> composeSoundtrack();

}  // namespace music
