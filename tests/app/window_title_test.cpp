// The window title: what it says for each state, and that it is set only when that text changes.
#include "app/window_title.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
std::vector<std::string> titles_set;
void record_title(const std::string& text) { titles_set.push_back(text); }

// Passes in a row with their pause switch and latest frame rate (-1: no statistics line yet); the title is
// set at the first pass and then only where the text changes.
TEST(window_title, is_set_only_when_the_pause_or_the_frame_rate_changes) {
    const struct {
        bool paused;
        int fps;
    } passes[] = {{true, -1},   {true, -1}, {true, 312}, {true, 312}, {false, 312},
                  {false, 312}, {false, 0}, {false, -1}, {true, 0}};
    titles_set.clear();
    window_title title(record_title);
    for (const auto& p : passes)
        title.show(p.paused, p.fps);
    const std::vector<std::string> expected = {
        "Tarnwick - paused (F10 to play)",
        "Tarnwick - paused (F10 to play) - 312 FPS",
        "Tarnwick - 312 FPS",
        "Tarnwick - 0 FPS",
        "Tarnwick",
        "Tarnwick - paused (F10 to play) - 0 FPS",
    };
    EXPECT_EQ(titles_set, expected);
}
} // namespace
