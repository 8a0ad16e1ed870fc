#pragma once
// A track of a sync editor: keys at rows, each with a value and the way the
// value goes on to the next key.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// How a key's value goes on to the next key's: held, straight, smoothly
// (t^2 (3 - 2t)) or with a ramp (t^2).
enum class Interpolation : std::uint8_t { Step = 0, Linear = 1, Smooth = 2, Ramp = 3 };
inline constexpr std::uint8_t kInterpolationCount = 4;

struct TrackKey {
    std::int32_t row = 0;
    float value = 0.0f;
    Interpolation interpolation = Interpolation::Step;

    bool operator==(const TrackKey&) const = default;
};

struct SyncTrack {
    std::string name;
    // Sorted by row, at most one key a row.
    std::vector<TrackKey> keys;
};

// Sets the key at its row, replacing one that is there.
void setKey(SyncTrack& track, const TrackKey& key);
// Deletes the key at `row`; a row without a key is left as it is.
void deleteKey(SyncTrack& track, std::int32_t row);
// The track's value at a (fractional) row: before the first key the first
// key's value, after the last key the last one's, between keys by the
// earlier key's interpolation. None when the track has no keys.
std::optional<double> trackValue(const SyncTrack& track, double row);
