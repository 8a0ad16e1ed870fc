#pragma once
// Animation curves that restart whenever the timeline enters a new part:
// a decaying pulse and a decaying oscillation of the time since partStart.
#include <cstdint>

#include "runtime/show_clock.h"

struct InputRecord;

// Demo time at which the current part began.
inline double partStart = 0.0;

// 1 / (1 + a b (t - partStart)); 0 once below 0.000075.
double decayPulse(double t, double a, double b);
// cos(x) / (1 + a x) with x = (t - partStart) b; 0 once 1 / (1 + a x) is
// below 0.00001.
double dampedSwing(double t, double a, double b);

// One row of the per-part table: for `part`, field = (curve(t, a, b) x scale
// - offset) x gain.
struct EnvelopeRow {
    enum class Field { AuxValue, AuxValue2 };
    enum class Curve { Pulse, Swing };
    std::int32_t part;
    Field field;
    Curve curve;
    double a;
    double b;
    double scale;
    double offset;
    double gain;
};

// Tested in this order; the first row naming the part is used. Parts
// without a row leave auxValue and auxValue2 as they were.
inline constexpr EnvelopeRow kEnvelopeTable[] = {
    {10, EnvelopeRow::Field::AuxValue, EnvelopeRow::Curve::Swing, 7.05, 2.0, 1.0, 0.0, 1.0},
    {11, EnvelopeRow::Field::AuxValue, EnvelopeRow::Curve::Swing, 1.4, 44.0, 1.0, 0.0, 1.0},
    {9, EnvelopeRow::Field::AuxValue, EnvelopeRow::Curve::Pulse, 7.7, 1.0, 1.0, 0.0, 1.0},
    {20, EnvelopeRow::Field::AuxValue, EnvelopeRow::Curve::Pulse, 6.7, 1.0, 1.0, 0.0, 1.0},
    // 0.15 as the single-precision constant it is held in.
    {21, EnvelopeRow::Field::AuxValue2, EnvelopeRow::Curve::Pulse, 6.7, 1.0, 0.9,
     static_cast<double>(0.15f), 0.55},
};

// What a maker may shape of the timeline and its envelopes; the defaults
// are the show's own values.
struct TimelineParameters {
    // Where part 9 ends and part 1 begins (the end of row 5, the start of
    // row 0), and where part 1 ends and part 2 begins (rows 0 and 1), in
    // seconds of demo time.
    double part1Start = 80.0;
    double part2Start = 85.14;
    // The three swings: their damping and their angular speeds, radians per
    // second.
    double swingDamping = 6.4;
    double swingFast = 2.0;
    double swingMid = 1.55;
    double swingSlow = 0.9;
};

// The three swings, then the part's table row, into `input`.
void applyEnvelopes(double t, std::int32_t part, InputRecord& input,
                    const TimelineParameters& parameters = {});

// One frame of timeline work for the frame driver: active sections, the
// part and its row into `input`, partStart on a change, then the envelopes.
void updateTimelineInput(double demoTime, InputRecord& input);
// The same at the clock record's demo time, with the part boundaries and the
// swings the parameters give.
void updateTimelineInput(const ShowClock& clock, const TimelineParameters& parameters,
                         InputRecord& input);
