#pragma once
// The frame-rate log's sample handling, shared by the RenderContext
// operations openFrameLog, storeFrameSample and writeFrameLog.
#include <cstdint>
#include <memory>
#include <ostream>

#include "runtime/frame_sample.h"

// Number of 0.1 s bins in `seconds` of demo time, truncated; 0 for a
// negative, non-finite or absurdly large length.
int frameSampleCount(double seconds);

// `count` samples, sample i at time i x 0.1 with rate 0 and aux 0.
std::unique_ptr<FrameSample[]> makeFrameSamples(int count);

// The rate the frame driver logs for a step: 1 / frameDelta, with a step
// below 0.00001 (held in single precision) taken as 0.00001.
double frameLogRate(double frameDelta);

// Puts the sample into bin (int)(time x 10) when that bin exists; a later
// sample in the same bin replaces the earlier one. Returns whether it was kept.
bool storeFrameSampleIn(FrameSample* samples, int count, double frameRate, double time,
                        std::int32_t aux);

// Smooths the frame rates of samples 3 .. count-4 in place, in increasing
// order, with the 7-tap kernel (2 3 6 20 6 3 2) / 42.
void smoothFrameRates(FrameSample* samples, int count);

// Writes the count line, smooths, then writes time, rate and aux of every
// sample on lines of their own, flushing after each line.
void writeFrameSamples(std::ostream& out, FrameSample* samples, int count);
