#include "timeline/envelopes.h"

#include <cmath>

#include "runtime/input_record.h"
#include "timeline/timeline.h"

// A denominator of 0 or below (only reachable when the clock steps back
// past partStart) would give an infinite or negative curve; both read 0,
// as a negative one already does under the cut-off tests.
double decayPulse(double t, double a, double b) {
    const double denominator = 1.0 + a * b * (t - partStart);
    if (!(denominator > 0.0)) return 0.0;
    const double value = 1.0 / denominator;
    return value < 0.000075 ? 0.0 : value;
}

double dampedSwing(double t, double a, double b) {
    const double x = (t - partStart) * b;
    const double denominator = 1.0 + a * x;
    if (!(denominator > 0.0)) return 0.0;
    if (1.0 / denominator < 0.00001) return 0.0;
    return std::cos(x) / denominator;
}

void applyEnvelopes(double t, std::int32_t part, InputRecord& input,
                    const TimelineParameters& parameters) {
    const double damping = parameters.swingDamping;
    input.swingFast = dampedSwing(t, damping, parameters.swingFast);
    input.swingMid = dampedSwing(t, damping, parameters.swingMid);
    input.swingSlow = dampedSwing(t, damping, parameters.swingSlow);
    for (const EnvelopeRow& row : kEnvelopeTable) {
        if (row.part != part) continue;
        const double curve = row.curve == EnvelopeRow::Curve::Pulse ? decayPulse(t, row.a, row.b)
                                                                    : dampedSwing(t, row.a, row.b);
        const double value = (curve * row.scale - row.offset) * row.gain;
        (row.field == EnvelopeRow::Field::AuxValue ? input.auxValue : input.auxValue2) = value;
        return;
    }
}

void updateTimelineInput(double demoTime, InputRecord& input) {
    ShowClock clock;
    clock.demoTime = demoTime;
    updateTimelineInput(clock, TimelineParameters{}, input);
}

void updateTimelineInput(const ShowClock& clock, const TimelineParameters& parameters,
                         InputRecord& input) {
    Timeline& tl = timeline();
    setPartBoundaries(parameters.part1Start, parameters.part2Start, tl);
    const double demoTime = clock.demoTime;
    findActiveSections(demoTime, tl);
    bool changed = false;
    input.partIndex = findPart(demoTime, changed, tl);
    input.partRow = tl.currentRow;
    if (changed) partStart = demoTime;
    applyEnvelopes(demoTime, input.partIndex, input, parameters);
}
