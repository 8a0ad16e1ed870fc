#pragma once
#include "runtime/driver/demo_driver.h"

// The capture tool's clock: frame k of a run at fps / divisor frames per
// second shows demo time k * divisor / fps, rounded once. The step from one
// frame's time to the next is then exact in floating point (the two times
// lie within a factor of two), so stepping the demo clock from frame to
// frame lands on exactly these times, and a frame rendered on its own, in
// any process, is the same frame a run from the start renders.

struct FrameRate {
    int fps = 60;
    int divisor = 1;
};

// Demo time of frame `frame`.
double frameTime(long frame, FrameRate rate);
// The first frame past the end time: where the fade-out begins.
long fadeStartFrame(FrameRate rate);
// Number of frames the show has at this rate: the frame at which the fade
// completes is not shown.
long showFrameCount(FrameRate rate);

// Where a frame sits on the demo clock: the clock reads `before` when the
// frame begins and advances by `step`; `ending` and `fadeStart` are what the
// frames before it left.
struct FrameMoment {
    double before = 0.0;
    double step = 0.0;
    bool ending = false;
    double fadeStart = -1.0;
};

FrameMoment frameMoment(long frame, FrameRate rate);
// Puts the demo clock, the scene's clock and the fade where `moment` says and
// draws that frame through the program's frame function into the current
// GL context, shaped by `shape` when given. False once the fade-out is
// complete (that frame is not shown).
bool drawFrameAtMoment(const FrameMoment& moment, const FrameShaper& shape = {});
// A still at scene time `at`: one step from 0; past the end time the fade is
// taken to have begun as in a run at 60 fps.
FrameMoment stillMoment(double at);

// The demo time of the first frame past the end time at whole `fps`.
double fadeStartAtFrameRate(int fps);
