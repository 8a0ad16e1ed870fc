#include "scene/demo_random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/records/point4.h"
#include "scene/camera_blend.h"
#include "scene/point_math.h"

namespace {

std::vector<std::int32_t> draws(std::uint32_t seed, int discard, int count) {
    seedRandom(seed);
    for (int i = 0; i < discard; ++i) nextRandom();
    std::vector<std::int32_t> out;
    for (int i = 0; i < count; ++i) out.push_back(nextRandom());
    return out;
}

TEST(DemoRandom, KnownSequences) {
    struct Case {
        std::uint32_t seed;
        int discard;
        std::vector<std::int32_t> expected;
    };
    const Case cases[] = {
        {1, 0, {41, 18467, 6334, 26500, 19169}},
        {40000, 0, {32357, 27815, 16320}},
        {40000, 100, {15571, 30293, 29968}},
        {30100, 0, {28, 16287, 9919}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(draws(c.seed, c.discard, static_cast<int>(c.expected.size())), c.expected)
            << "seed " << c.seed << " after " << c.discard;
    }
}

TEST(DemoRandom, OutputStaysInFifteenBitsAndStateWrapsModulo32Bits) {
    seedRandom(0xffffffffu);
    for (int i = 0; i < 100000; ++i) {
        const std::int32_t v = nextRandom();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 32767);
    }
    seedRandom(0xffffffffu);
    nextRandom();
    EXPECT_EQ(demoRandom().state, 0xffffffffu * 214013u + 2531011u);
}

// Finds a seed whose next output is `wanted` (the low 16 bits of the state do
// not reach the output, so any output is some seed's first).
std::uint32_t seedGiving(std::int32_t wanted) {
    for (std::uint32_t seed = 0;; ++seed) {
        seedRandom(seed);
        if (nextRandom() == wanted) return seed;
    }
}

TEST(DemoRandom, Random01ReachesBothEndsExactly) {
    const std::uint32_t top = seedGiving(32767);
    seedRandom(top);
    EXPECT_EQ(random01(), 1.0);
    const std::uint32_t bottom = seedGiving(0);
    seedRandom(bottom);
    EXPECT_EQ(random01(), 0.0);
    seedRandom(1);
    EXPECT_DOUBLE_EQ(random01(), 41 * 3.051850947599719e-05);
}

TEST(PointMath, NormalizeMarksUnitVectorsAndLeavesThemAlone) {
    Point4 p{3.0, 0.0, 4.0, 1};
    Point4& same = normalize(p);
    EXPECT_EQ(&same, &p);
    EXPECT_DOUBLE_EQ(p.x, 0.6);
    EXPECT_DOUBLE_EQ(p.y, 0.0);
    EXPECT_DOUBLE_EQ(p.z, 0.8);
    EXPECT_EQ(p.w, 2);
    const Point4 before = p;
    normalize(p);
    EXPECT_EQ(p.x, before.x);
    EXPECT_EQ(p.z, before.z);
    EXPECT_EQ(p.w, 2);

    Point4 tiny{1e-9, 0.0, 0.0, 1};
    normalize(tiny);
    EXPECT_EQ(tiny.x, 0.0);
    EXPECT_EQ(tiny.y, 0.0);
    EXPECT_EQ(tiny.z, 0.0);
    EXPECT_EQ(tiny.w, 2);

    Point4 unmarked{3.0, 0.0, 4.0, 0};
    normalize(unmarked);
    EXPECT_EQ(unmarked.x, 3.0);
    EXPECT_EQ(unmarked.w, 0);
}

TEST(PointMath, ScaledKeepsTheUnitMarkSoLengthSurvivesANormalize) {
    Point4 v{0.0, 3.0, 4.0, 1};
    normalize(v);
    Point4 far = scaled(v, 60.0);
    EXPECT_EQ(far.w, 2);
    normalize(far);
    EXPECT_DOUBLE_EQ(std::sqrt(far.x * far.x + far.y * far.y + far.z * far.z), 60.0);

    const Point4 zero = scaled(Point4{1.0, 2.0, 3.0, 0}, 5.0);
    EXPECT_EQ(zero.x, 0.0);
    EXPECT_EQ(zero.w, 1);
}

TEST(PointMath, AddAndSubtractGiveZeroForANullOperand) {
    struct Case {
        Point4 a, b;
        Point4 sum, difference;
    };
    const Case cases[] = {
        {{1, 2, 3, 1}, {4, 5, 6, 2}, {5, 7, 9, 1}, {-3, -3, -3, 1}},
        {{1, 2, 3, 0}, {4, 5, 6, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}},
        {{1, 2, 3, 2}, {4, 5, 6, 0}, {0, 0, 0, 1}, {0, 0, 0, 1}},
    };
    for (const Case& c : cases) {
        const Point4 s = add(c.a, c.b);
        const Point4 d = subtract(c.a, c.b);
        EXPECT_EQ(s.x, c.sum.x);
        EXPECT_EQ(s.y, c.sum.y);
        EXPECT_EQ(s.z, c.sum.z);
        EXPECT_EQ(s.w, 1);
        EXPECT_EQ(d.x, c.difference.x);
        EXPECT_EQ(d.z, c.difference.z);
        EXPECT_EQ(d.w, 1);
    }
}

TEST(CameraBlend, BlendsInPlaceAndMarksEveryPointPlain) {
    CameraFrame camera{{0, 40, 5, 1}, {0, -20, 0, 1}, {0, 1, 0, 2}};
    const CameraFrame key{{10, 0, -5, 1}, {2, 0, 4, 1}, {1, 0, 0, 1}};
    blendCamera(camera, 0.25, camera, key);
    EXPECT_DOUBLE_EQ(camera.eye.x, 2.5);
    EXPECT_DOUBLE_EQ(camera.eye.y, 30.0);
    EXPECT_DOUBLE_EQ(camera.eye.z, 2.5);
    EXPECT_DOUBLE_EQ(camera.center.y, -15.0);
    EXPECT_DOUBLE_EQ(camera.center.z, 1.0);
    EXPECT_DOUBLE_EQ(camera.up.x, 0.25);
    EXPECT_DOUBLE_EQ(camera.up.y, 0.75);
    EXPECT_EQ(camera.eye.w, 1);
    EXPECT_EQ(camera.up.w, 1);

    CameraFrame separate{};
    const CameraFrame a{{1, 1, 1, 1}, {0, 0, 0, 1}, {0, 1, 0, 1}};
    blendCamera(separate, 1.0, a, key);
    EXPECT_DOUBLE_EQ(separate.eye.x, 10.0);
    EXPECT_DOUBLE_EQ(separate.up.x, 1.0);
}

}  // namespace
