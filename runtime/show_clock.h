#pragma once
// When a frame is drawn: the one record of the show's clock that the frame
// driver hands down to the timeline and the scene. The demo clock steps the
// program's own record; a player that pauses, seeks or loops fills a record
// of its own and the scene draws whatever time it is given.
struct ShowClock {
    // The demo clock, seconds.
    double demoTime = 0.0;
    // This frame's time step, seconds (after the music correction). A player
    // that stands or jumps still gives the time the frame took.
    double frameDelta = 0.0;
    // The scene time the picture is drawn at, seconds. In the show it is the
    // sum of the steps, which is the demo time.
    double sceneTime = 0.0;
    // The end of the demo has been requested; the fade-out runs.
    bool ending = false;
    // Demo time at which the fade-out began; negative: not begun.
    double fadeStart = -1.0;
};

// The program's clock record, process-wide for the whole run.
inline ShowClock showClock;
