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

constexpr NaturalOrder kOrder;

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

const std::int32_t kJpegFastQuantFactors[64] = {
    32768, 45451, 42813, 38531, 32768, 25746, 17734, 9041,   //
    45451, 63042, 59384, 53444, 45451, 35710, 24598, 12540,  //
    42813, 59384, 55938, 50343, 42813, 33638, 23170, 11812,  //
    38531, 53444, 50343, 45308, 38531, 30274, 20853, 10631,  //
    32768, 45451, 42813, 38531, 32768, 25746, 17734, 9041,   //
    25746, 35710, 33638, 30274, 25746, 20228, 13933, 7103,   //
    17734, 24598, 23170, 20853, 17734, 13933, 9598,  4893,   //
    9041,  12540, 11812, 10631, 9041,  7103,  4893,  2494,   //
};
