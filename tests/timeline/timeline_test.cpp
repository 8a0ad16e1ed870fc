#include "timeline/timeline.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class TimelineTest : public ::testing::Test {
  protected:
    void SetUp() override { buildTimeline(tl); }
    Timeline tl;
};

TEST_F(TimelineTest, BuildFillsBothTablesAndResetsLastRow) {
    tl.lastRow = 7;
    buildTimeline(tl);
    EXPECT_EQ(tl.rowCount, 31);
    EXPECT_EQ(tl.lastRow, -1);
    EXPECT_EQ(tl.currentRow, 0);
    EXPECT_DOUBLE_EQ(tl.sections[9].end, 1310.0);
    EXPECT_DOUBLE_EQ(tl.sections[10].start, 59.0);
    EXPECT_DOUBLE_EQ(tl.rows[5].start, 0.0);
    EXPECT_EQ(tl.rows[5].part, 9);
    EXPECT_DOUBLE_EQ(tl.rows[23].start, 281.741);
    EXPECT_DOUBLE_EQ(tl.rows[30].end, 271.713);
}

struct PartCase {
    double time;
    int part;
    int row;  // currentRow after the call
};

TEST_F(TimelineTest, PartAtTimeWithLastMatchWinning) {
    const PartCase cases[] = {
        {0.0, 9, 5},     {40.0, 9, 5},      {80.0, 9, 5},      {80.0001, 1, 0},   {85.14, 2, 1},
        {92.85, 3, 2},   {98.0, 3, 2},      {105.01, 5, 4},    {227.281, 3, 8},   {271.0, 21, 29},
        {271.5, 21, 30}, {274.329, 21, 28}, {281.178, 21, 22}, {291.178, 21, 23}, {267.6, 21, 24},
    };
    for (const PartCase& c : cases) {
        bool changed = false;
        EXPECT_EQ(findPart(c.time, changed, tl), c.part) << "t=" << c.time;
        EXPECT_EQ(tl.currentRow, c.row) << "t=" << c.time;
    }
}

TEST_F(TimelineTest, GapsMatchNothingAndReportAChangeEveryCall) {
    bool changed = false;
    EXPECT_EQ(findPart(50.0, changed, tl), 9);
    EXPECT_TRUE(changed);
    EXPECT_EQ(findPart(51.0, changed, tl), 9);
    EXPECT_FALSE(changed);
    for (double t : {100.0, 100.1, 281.5, 267.76, -1.0, 2000.0}) {
        EXPECT_EQ(findPart(t, changed, tl), 0) << t;
        EXPECT_TRUE(changed) << t;
        EXPECT_EQ(tl.currentRow, 5) << "currentRow keeps the last matched row";
        EXPECT_EQ(tl.lastRow, 5) << "lastRow keeps its value";
    }
    // Back in the row matched before the gap: same row as lastRow, no change.
    EXPECT_EQ(findPart(60.0, changed, tl), 9);
    EXPECT_FALSE(changed);
}

TEST_F(TimelineTest, EnteringAnOverlappingRowOfTheSamePartIsAChange) {
    bool changed = false;
    findPart(270.0, changed, tl);  // row 28
    EXPECT_TRUE(changed);
    findPart(270.5, changed, tl);
    EXPECT_FALSE(changed);
    EXPECT_EQ(findPart(271.0, changed, tl), 21);  // row 29 inside row 28
    EXPECT_TRUE(changed);
    EXPECT_EQ(tl.lastRow, 29);
    findPart(271.2, changed, tl);  // back in row 28 only
    EXPECT_TRUE(changed);
    EXPECT_EQ(tl.currentRow, 28);
}

TEST_F(TimelineTest, FirstCallAfterBuildIsAChange) {
    bool changed = false;
    findPart(0.0, changed, tl);
    EXPECT_TRUE(changed);
}

std::vector<int> active(double t, Timeline& tl) {
    const std::int32_t* list = findActiveSections(t, tl);
    return std::vector<int>(list, list + tl.activeCount);
}

TEST_F(TimelineTest, ActiveSectionsWithTheirTwoReorderings) {
    struct Case {
        double time;
        std::vector<int> sections;
    };
    const Case cases[] = {
        {0.0, {0}},
        {31.9, {0, 1}},
        {60.0, {1, 10}},
        {62.2, {1, 2, 10}},
        {95.0, {2, 3}},
        {110.0, {2, 4, 3}},  // 3 then 4 appended; count 3 swaps them
        {123.0, {2, 4, 3}},
        {123.5, {3, 4, 5}},  // 3 and 4 in positions 0 and 1: untouched
        {270.0, {7, 8}},
        {275.0, {7, 8}},
        {300.0, {9, 8}},  // 8 then 9: swapped after section
                          // 9
        {1310.0, {9}},
        {1310.5, {}},
        {-0.5, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(active(c.time, tl), c.sections) << "t=" << c.time;
}

TEST_F(TimelineTest, ActiveSectionsClearsStaleEntries) {
    active(110.0, tl);
    active(0.0, tl);
    EXPECT_EQ(tl.activeCount, 1);
    for (int i = 1; i < Timeline::kSections; ++i) EXPECT_EQ(tl.activeSections[i], 0);
}

}  // namespace
