#include "texturing/jpeg_tables.h"

namespace {

struct NaturalOrder {
    std::uint8_t values[64 + 16];
    constexpr NaturalOrder() : values() {
        // Walk the anti-diagonals, alternating direction.
        int k = 0;
        for (int sum = 0; sum < 15; ++sum) {
            for (int i = 0; i <= sum; ++i) {
                int row = (sum % 2 == 0) ? sum - i : i;
                int column = sum - row;
                if (row < 8 && column < 8)
                    values[k++] = static_cast<std::uint8_t>(row * 8 + column);
            }
        }
        for (int i = 64; i < 64 + 16; ++i) values[i] = 63;
    }
};

struct TransposedOrder {
    std::uint8_t values[64 + 16];
    constexpr explicit TransposedOrder(const NaturalOrder& natural) : values() {
        for (int i = 0; i < 64 + 16; ++i) {
            int n = natural.values[i];
            values[i] = static_cast<std::uint8_t>((n % 8) * 8 + n / 8);
        }
    }
};

constexpr NaturalOrder kOrder;
constexpr TransposedOrder kTransposed(kOrder);

}  // namespace

const std::uint8_t kJpegNaturalOrder[64 + 16] = {
#define E(i) kOrder.values[i]
    E(0),  E(1),  E(2),  E(3),  E(4),  E(5),  E(6),  E(7),  E(8),  E(9),  E(10), E(11),
    E(12), E(13), E(14), E(15), E(16), E(17), E(18), E(19), E(20), E(21), E(22), E(23),
    E(24), E(25), E(26), E(27), E(28), E(29), E(30), E(31), E(32), E(33), E(34), E(35),
    E(36), E(37), E(38), E(39), E(40), E(41), E(42), E(43), E(44), E(45), E(46), E(47),
    E(48), E(49), E(50), E(51), E(52), E(53), E(54), E(55), E(56), E(57), E(58), E(59),
    E(60), E(61), E(62), E(63), E(64), E(65), E(66), E(67), E(68), E(69), E(70), E(71),
    E(72), E(73), E(74), E(75), E(76), E(77), E(78), E(79),
#undef E
};

const std::uint8_t kJpegTransposedOrder[64 + 16] = {
#define E(i) kTransposed.values[i]
    E(0),  E(1),  E(2),  E(3),  E(4),  E(5),  E(6),  E(7),  E(8),  E(9),  E(10), E(11),
    E(12), E(13), E(14), E(15), E(16), E(17), E(18), E(19), E(20), E(21), E(22), E(23),
    E(24), E(25), E(26), E(27), E(28), E(29), E(30), E(31), E(32), E(33), E(34), E(35),
    E(36), E(37), E(38), E(39), E(40), E(41), E(42), E(43), E(44), E(45), E(46), E(47),
    E(48), E(49), E(50), E(51), E(52), E(53), E(54), E(55), E(56), E(57), E(58), E(59),
    E(60), E(61), E(62), E(63), E(64), E(65), E(66), E(67), E(68), E(69), E(70), E(71),
    E(72), E(73), E(74), E(75), E(76), E(77), E(78), E(79),
#undef E
};

const std::uint64_t kJpegLowZigzagPositions = [] {
    std::uint64_t bits = 0;
    for (int k = 0; k < 64; ++k) {
        int natural = kOrder.values[k];
        if (natural / 8 < 4 && natural % 8 < 4) bits |= std::uint64_t{1} << k;
    }
    return bits;
}();

const std::int32_t kJpegFastQuantFactors[64] = {
    16777216, 23270667, 21920489, 19727919, 16777216, 13181774, 9079764,  4628823,  //
    23270667, 32277342, 30404592, 27363410, 23270667, 18283646, 12593994, 6420363,  //
    21920489, 30404592, 28640499, 25775768, 21920489, 17222818, 11863283, 6047849,  //
    19727919, 27363410, 25775768, 23197579, 19727919, 15500126, 10676673, 5442921,  //
    16777216, 23270667, 21920489, 19727919, 16777216, 13181774, 9079764,  4628823,  //
    13181774, 18283646, 17222818, 15500126, 13181774, 10356853, 7133925,  3636843,  //
    9079764,  12593994, 11863283, 10676673, 9079764,  7133925,  4913933,  2505101,  //
    4628823,  6420363,  6047849,  5442921,  4628823,  3636843,  2505101,  1277090,  //
};
