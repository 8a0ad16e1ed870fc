#pragma once
// The table of numbered parts over demo time and the overlapping sections.
#include <cstdint>

struct TimeRange {
    double start = 0.0;
    double end = 0.0;
};

struct TimelineRow {
    double start = 0.0;
    double end = 0.0;
    std::int32_t part = 0;
};

struct Timeline {
    static constexpr int kSections = 11;
    static constexpr int kMaxRows = 31;

    TimeRange sections[kSections];
    TimelineRow rows[kMaxRows];
    std::int32_t rowCount = 0;
    std::int32_t activeSections[kSections] = {};
    std::int32_t activeCount = 0;
    std::int32_t lastRow = -1;
    std::int32_t currentRow = 0;
};

// The one timeline of the process.
Timeline& timeline();

// Fills both tables; rowCount 31, lastRow -1.
void buildTimeline(Timeline& tl = timeline());

// Moves the boundary between parts 9 and 1 (the end of row 5 and the start
// of row 0) and the one between parts 1 and 2 (the end of row 0 and the
// start of row 1); 80.0 and 85.14 are the table's own.
void setPartBoundaries(double part1Start, double part2Start, Timeline& tl = timeline());

// Lists the sections containing `time` (ends included) in
// tl.activeSections / tl.activeCount and returns the list.
const std::int32_t* findActiveSections(double time, Timeline& tl = timeline());

// The part number at `time` (0 when no row matches; the last matching row
// wins). `changed` is true when the matched row differs from the previous
// call's, and on every call that matches nothing.
std::int32_t findPart(double time, bool& changed, Timeline& tl = timeline());
