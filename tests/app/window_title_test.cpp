// The window title is set at the first pass and then only where its text changes, so a pass costs no call.
#include "app/window_title.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
std::vector<std::string> titles_set;
void record_title(const std::string& text) { titles_set.push_back(text); }

// Passes with their pause switch and latest frame rate (-1: no statistics line yet).
TEST(window_title, is_set_only_when_the_pause_or_the_frame_rate_changes) {
    const std::pair<bool, int> passes[] = {{true, -1},   {true, -1},   {true, 312}, {true, 312},
                                           {false, 312}, {false, 312}, {false, 0},  {false, -1}};
    window_title title(record_title);
    for (const auto& [paused, fps] : passes)
        title.show(paused, fps);
    EXPECT_EQ(titles_set, (std::vector<std::string>{"Tarnwick - paused (F10 to play)",
                                                    "Tarnwick - paused (F10 to play) - 312 FPS",
                                                    "Tarnwick - 312 FPS", "Tarnwick - 0 FPS", "Tarnwick"}));
}
} // namespace
