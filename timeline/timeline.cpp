#include "timeline/timeline.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

constexpr TimeRange kSectionTable[Timeline::kSections] = {
    {0.0, 31.9},    {31.9, 62.2},   {62.2, 123.0},  {92.5, 128.0},   {105.7, 123.5}, {123.5, 215.1},
    {215.1, 245.1}, {245.1, 275.0}, {264.7, 308.0}, {291.6, 1310.0}, {59.0, 66.0},
};

// Not sorted by time; ranges touch, overlap (28 holds 29 and 30) and leave
// gaps. findPart's rules decide every case.
constexpr TimelineRow kRowTable[Timeline::kMaxRows] = {
    {80.0, 85.14, 1},       {85.14, 92.85, 2},      {92.85, 98.0, 3},       {104.94, 105.01, 4},
    {105.01, 105.134, 5},   {0.0, 80.0, 9},         {226.281, 227.281, 1},  {246.86, 250.282, 2},
    {227.281, 229.715, 3},  {274.329, 274.765, 21}, {274.765, 275.07, 21},  {275.07, 275.402, 21},
    {275.402, 276.031, 21}, {276.031, 276.356, 21}, {276.356, 276.688, 21}, {276.688, 277.752, 21},
    {277.752, 277.965, 21}, {277.965, 278.289, 21}, {278.289, 278.595, 21}, {278.595, 279.438, 21},
    {279.438, 280.102, 21}, {280.102, 280.741, 21}, {280.741, 281.178, 21}, {281.741, 291.178, 21},
    {267.442, 267.755, 21}, {267.775, 268.073, 21}, {268.073, 268.5, 21},   {268.5, 269.141, 21},
    {269.141, 274.329, 21}, {270.858, 271.07, 21},  {271.402, 271.713, 21},
};

}  // namespace

Timeline& timeline() {
    static Timeline instance;
    return instance;
}

void buildTimeline(Timeline& tl) {
    std::copy(std::begin(kSectionTable), std::end(kSectionTable), tl.sections);
    std::copy(std::begin(kRowTable), std::end(kRowTable), tl.rows);
    tl.rowCount = Timeline::kMaxRows;
    tl.lastRow = -1;
}

const std::int32_t* findActiveSections(double time, Timeline& tl) {
    tl.activeCount = 0;
    std::fill(std::begin(tl.activeSections), std::end(tl.activeSections), 0);
    std::int32_t* list = tl.activeSections;
    for (int i = 0; i < Timeline::kSections; ++i) {
        if (tl.sections[i].start <= time && time <= tl.sections[i].end) list[tl.activeCount++] = i;
        // Both reorderings are checked after every section, appended or not.
        if (list[0] == 8 && list[1] == 9) std::swap(list[0], list[1]);
        if (tl.activeCount == 3 && list[1] == 3 && list[2] == 4) std::swap(list[1], list[2]);
    }
    return list;
}

std::int32_t findPart(double time, bool& changed, Timeline& tl) {
    // rowCount is clamped so a damaged count cannot walk past the table.
    const int count = std::clamp<std::int32_t>(tl.rowCount, 0, Timeline::kMaxRows);
    int match = -1;
    for (int row = 0; row < count; ++row) {
        if (tl.rows[row].start <= time && time <= tl.rows[row].end) match = row;
    }
    if (match < 0) {
        changed = true;
        return 0;
    }
    changed = match != tl.lastRow;
    tl.lastRow = match;
    tl.currentRow = match;
    return tl.rows[match].part;
}

void setPartBoundaries(double part1Start, double part2Start, Timeline& tl) {
    tl.rows[5].end = part1Start;
    tl.rows[0].start = part1Start;
    tl.rows[0].end = part2Start;
    tl.rows[1].start = part2Start;
}
