#include "sync/sync_track.h"

#include <algorithm>
#include <cmath>

namespace {

// The first key at or after `row`.
std::vector<TrackKey>::iterator keyAt(SyncTrack& track, std::int32_t row) {
    return std::lower_bound(track.keys.begin(), track.keys.end(), row,
                            [](const TrackKey& key, std::int32_t r) { return key.row < r; });
}

}  // namespace

void setKey(SyncTrack& track, const TrackKey& key) {
    const auto place = keyAt(track, key.row);
    if (place != track.keys.end() && place->row == key.row) {
        *place = key;
    } else {
        track.keys.insert(place, key);
    }
}

void deleteKey(SyncTrack& track, std::int32_t row) {
    const auto place = keyAt(track, row);
    if (place != track.keys.end() && place->row == row) track.keys.erase(place);
}

std::optional<double> trackValue(const SyncTrack& track, double row) {
    const std::vector<TrackKey>& keys = track.keys;
    if (keys.empty()) return std::nullopt;
    // The last key at or before the row; a row that is not a number reads
    // as before the first key.
    const auto after = std::upper_bound(keys.begin(), keys.end(), row,
                                        [](double r, const TrackKey& key) { return r < key.row; });
    if (after == keys.begin() || std::isnan(row)) return keys.front().value;
    if (after == keys.end()) return keys.back().value;
    const TrackKey& from = *(after - 1);
    const TrackKey& to = *after;
    double t = (row - from.row) / (static_cast<double>(to.row) - from.row);
    switch (from.interpolation) {
        case Interpolation::Step:
            return from.value;
        case Interpolation::Linear:
            break;
        case Interpolation::Smooth:
            t = t * t * (3.0 - 2.0 * t);
            break;
        case Interpolation::Ramp:
            t = t * t;
            break;
    }
    const double a = from.value;
    const double b = to.value;
    return a + (b - a) * t;
}
