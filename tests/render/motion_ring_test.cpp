// The motion-blur ring's unit mapping and counter, without a GL context.
#include "render/motion_shader.h"

#include <gtest/gtest.h>
#include <set>

namespace {
TEST(motion_ring, slots_map_to_units_newest_first) {
    struct row {
        uint32_t counter;
        unsigned units[6];
    };
    const row table[] = {
        {0, {6, 5, 4, 3, 2, 1}},
        {1, {1, 6, 5, 4, 3, 2}},
        {2, {2, 1, 6, 5, 4, 3}},
        {5, {5, 4, 3, 2, 1, 6}},
    };
    for (const row& r : table)
        for (unsigned k = 0; k < 6; ++k)
            EXPECT_EQ(motion_shader::ring_unit(r.counter, k), r.units[k])
                << "counter " << r.counter << " slot " << k;
}

TEST(motion_ring, every_counter_covers_units_one_to_six_once) {
    for (uint32_t counter = 0; counter < 6; ++counter) {
        std::set<unsigned> units;
        for (unsigned k = 0; k < 6; ++k)
            units.insert(motion_shader::ring_unit(counter, k));
        EXPECT_EQ(units, (std::set<unsigned>{1, 2, 3, 4, 5, 6})) << "counter " << counter;
    }
}

TEST(motion_ring, advancing_ages_every_slot_by_one_frame) {
    // The unit written as the newest slot is read as slot k after k advances.
    for (uint32_t counter = 0; counter < 6; ++counter) {
        const unsigned newest = motion_shader::ring_unit(counter, 0);
        uint32_t c = counter;
        for (unsigned k = 1; k < 6; ++k) {
            c = motion_shader::next_counter(c);
            EXPECT_EQ(motion_shader::ring_unit(c, k), newest) << "from counter " << counter << " after " << k;
        }
        // After the sixth advance the oldest unit is overwritten as the newest again.
        EXPECT_EQ(motion_shader::ring_unit(motion_shader::next_counter(c), 0), newest);
    }
}

TEST(motion_ring, counter_stays_in_range_and_returns_after_six_advances) {
    for (uint32_t start = 0; start < 6; ++start) {
        uint32_t c = start;
        for (int step = 1; step <= 18; ++step) {
            c = motion_shader::next_counter(c);
            EXPECT_LT(c, 6u);
            EXPECT_EQ(c == start, step % 6 == 0) << "start " << start << " step " << step;
        }
    }
}
} // namespace
