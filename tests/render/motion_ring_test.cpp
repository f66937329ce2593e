// The motion-blur ring's unit mapping and counter, without a GL context.
#include "render/motion_shader.h"

#include <gtest/gtest.h>
#include <set>

namespace {
// From every counter: the slots cover units 1-6 once, the unit written as the newest slot is read as slot k
// after k advances, and the counter stays in 0-5 and comes back after six advances (never sooner).
TEST(motion_ring, advancing_ages_every_slot_by_one_frame_and_wraps_after_six) {
    for (uint32_t start = 0; start < 6; ++start) {
        std::set<unsigned> units;
        for (unsigned k = 0; k < 6; ++k)
            units.insert(motion_shader::ring_unit(start, k));
        EXPECT_EQ(units, (std::set<unsigned>{1, 2, 3, 4, 5, 6})) << "counter " << start;

        const unsigned newest = motion_shader::ring_unit(start, 0);
        uint32_t c = start;
        for (int step = 1; step <= 12; ++step) {
            c = motion_shader::next_counter(c);
            EXPECT_LT(c, 6u);
            EXPECT_EQ(c == start, step % 6 == 0) << "start " << start << " step " << step;
            EXPECT_EQ(motion_shader::ring_unit(c, unsigned(step % 6)), newest)
                << "start " << start << " step " << step;
        }
    }
}
} // namespace
