// The joystick state line, from a state filled by hand: no device needed.
#include "app/joystick_line.h"

#include <gtest/gtest.h>

namespace {
TEST(joystick_line, prints_axis_0_of_the_first_two_sticks_of_one_state) {
    ALLEGRO_JOYSTICK_STATE state{};
    state.stick[0].axis[0] = -0.5f;
    state.stick[0].axis[1] = 0.125f;
    state.stick[1].axis[0] = 0.75f;
    state.stick[2].axis[0] = 1.0f;
    const std::pair<int, const char*> table[] = {
        {3, "-0.5 0.75"}, {2, "-0.5 0.75"}, {1, "-0.5 0"}, {0, "0 0"}};
    for (const auto& [sticks, line] : table)
        EXPECT_EQ(joystick_state_line(state, sticks), line) << sticks << " sticks";
}
} // namespace
