#pragma once
// The show's tracks: the names a sync editor shows (grouped as
// group:name, one column per group) and what each shapes. A track without
// keys leaves the show's own value, so an empty editor or an empty folder
// changes nothing. Rows run at a fixed rate of demo time.
#include <span>
#include <vector>

#include "runtime/show_clock.h"
#include "sync/show_parameters.h"
#include "sync/sync_track.h"

// 16 rows a second: 8 rows a beat at the music's 120 beats a minute, so
// every beat, half beat and sixteenth note falls on a row (the music's beat
// grid starts at 0 s).
inline constexpr double kRowsPerSecond = 16.0;

inline double rowAtTime(double time) {
    return time * kRowsPerSecond;
}
inline double timeOfRow(double row) {
    return row / kRowsPerSecond;
}

struct ShowTrack {
    const char* name;
    // Puts the track's value where it belongs for one frame.
    void (*apply)(double value, ShowClock& clock, ShowParameters& parameters);
};

// Every track, in the order the demo asks the editor for them.
std::span<const ShowTrack> showTracks();

// One track of each of showTracks(), in that order, without keys.
std::vector<SyncTrack> makeShowTrackSet();

// Reads each keyed track at the row of the clock's demo time and applies it:
// `show:time` sets the scene time drawn, the others the parameters.
void shapeFrame(const std::vector<SyncTrack>& tracks, ShowClock& clock, ShowParameters& parameters);
