// Making the window with X errors held back: once a window is made, by the first attempt or the full-screen
// fallback, X errors reach the handler from before again; only when every attempt failed do they stay
// dropped.
#include "app/quiet_display.h"

#include <X11/Xlib.h>
#include <gtest/gtest.h>

#include <vector>

namespace {
// A full-screen size that no screen has as a mode, so that switching to it is refused.
constexpr int odd_width = 797;
constexpr int odd_height = 591;

XID last_error_resource = 0;
int record_error(Display*, XErrorEvent* error) {
    last_error_resource = error->resourceid;
    return 0;
}

// Maps a window that no longer exists, on a connection of the test's own, and waits for the answer;
// true when the BadWindow error reached record_error.
bool error_reaches_the_handler(Display* x) {
    const Window gone = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 8, 8, 0, 0, 0);
    XDestroyWindow(x, gone);
    last_error_resource = 0;
    XMapWindow(x, gone);
    XSync(x, 0);
    return last_error_resource == gone;
}

struct attempt {
    int mode_flag; // ALLEGRO_FULLSCREEN, ALLEGRO_FULLSCREEN_WINDOW or 0 for a window
    int width, height;
};
} // namespace

TEST(quiet_display, a_made_window_puts_the_handler_back) {
    Display* x = XOpenDisplay(nullptr);
    if (!x)
        GTEST_SKIP() << "no X display";
    ASSERT_TRUE(al_install_system(ALLEGRO_VERSION_INT, nullptr));
    const struct {
        const char* name;
        std::vector<attempt> attempts;
        bool made;
    } rows[] = {
        {"a window at once", {{0, 320, 240}}, true},
        {"full screen refused, then a full-screen window",
         {{ALLEGRO_FULLSCREEN, odd_width, odd_height}, {ALLEGRO_FULLSCREEN_WINDOW, 320, 240}},
         true},
        {"full screen refused twice",
         {{ALLEGRO_FULLSCREEN, odd_width, odd_height}, {ALLEGRO_FULLSCREEN, odd_width, odd_height}},
         false},
    };
    for (const auto& r : rows) {
        XSetErrorHandler(record_error);
        ALLEGRO_DISPLAY* made = nullptr;
        for (size_t i = 0; !made && i < r.attempts.size(); ++i) {
            al_set_new_display_flags(ALLEGRO_OPENGL | r.attempts[i].mode_flag);
            made = create_display_quietly(r.attempts[i].width, r.attempts[i].height);
        }
        ASSERT_EQ(made != nullptr, r.made) << r.name;
        // Errors reach the handler again exactly when a window was made.
        EXPECT_EQ(error_reaches_the_handler(x), r.made) << r.name;
        if (made)
            al_destroy_display(made);
    }
    XSetErrorHandler(nullptr);
    XCloseDisplay(x);
}
