// The window title is set at the first pass and then only where its text changes, so a pass costs no call.
#include "app/shell/shell.h"
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

// A fatal message's box: the first line heads it and names it in the title, the rest (a shader log) goes
// below without the trailing newlines.
TEST(message_box, the_first_line_heads_the_box_and_the_rest_goes_below) {
    const struct {
        const char* message;
        message_box_text box;
    } table[] = {
        {"GAME OVER", {"Tarnwick: GAME OVER", "GAME OVER", ""}},
        {"Compile failure in geometry shader (shaders/a.geom):\n0:1(1): error\n\n",
         {"Tarnwick: Compile failure in geometry shader (shaders/a.geom):",
          "Compile failure in geometry shader (shaders/a.geom):", "0:1(1): error"}},
        {"", {"Tarnwick", "", ""}},
    };
    for (const auto& row : table) {
        const message_box_text box = box_text_for(row.message);
        EXPECT_EQ(box.title, row.box.title) << row.message;
        EXPECT_EQ(box.heading, row.box.heading) << row.message;
        EXPECT_EQ(box.text, row.box.text) << row.message;
    }
}
} // namespace
