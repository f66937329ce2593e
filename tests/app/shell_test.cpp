// What the fatal path's message box shows, and who gets one.
#include "app/shell/shell.h"

#include <gtest/gtest.h>

namespace {
// The title names the game and the first line (a window list shows what ended), the heading repeats that
// line and the text below holds the rest of a shader's log without the trailing blank lines.
TEST(shell, a_message_box_shows_the_first_line_as_heading_and_the_rest_below) {
    const struct {
        const char* message;
        const char* title;
        const char* heading;
        const char* text;
    } rows[] = {
        {"GAME OVER", "Tarnwick: GAME OVER", "GAME OVER", ""},
        {"Compile failure in vertex shader (shaders/a.vert):\n0:1(1): error: x\n0:2(1): error: y\n\n",
         "Tarnwick: Compile failure in vertex shader (shaders/a.vert):",
         "Compile failure in vertex shader (shaders/a.vert):", "0:1(1): error: x\n0:2(1): error: y"},
        {"", "Tarnwick", "", ""},
    };
    for (const auto& r : rows) {
        const message_box_text box = box_text_for(r.message);
        EXPECT_EQ(box.title, r.title) << r.message;
        EXPECT_EQ(box.heading, r.heading) << r.message;
        EXPECT_EQ(box.text, r.text) << r.message;
    }
}

// Only the launcher's "1" asks for boxes: a console run, a test or CI, where the variable is unset or holds
// anything else, must never block on one.
TEST(shell, only_the_value_1_asks_for_message_boxes) {
    const struct {
        const char* value;
        bool requested;
    } rows[] = {{nullptr, false}, {"", false}, {"0", false}, {"10", false}, {"1", true}};
    for (const auto& r : rows)
        EXPECT_EQ(message_box_requested(r.value), r.requested) << (r.value ? r.value : "unset");
}
} // namespace
