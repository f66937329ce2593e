// Making the window with X errors held back: once a window is made, by the first attempt or the full-screen
// fallback, X errors reach the handler from before again; only when every attempt failed do they stay
// dropped.
#include "app/quiet_display.h"

#include <X11/Xlib.h>
#include <gtest/gtest.h>

#include <vector>

namespace {
XID last_error_resource = 0;
int record_error(Display*, XErrorEvent* error) {
    last_error_resource = error->resourceid;
    return 0;
}

// Maps a window that no longer exists, on a connection of the test's own; true when the BadWindow error
// reached record_error.
bool error_reaches_the_handler(Display* x) {
    const Window gone = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 8, 8, 0, 0, 0);
    XDestroyWindow(x, gone);
    last_error_resource = 0;
    XMapWindow(x, gone);
    XSync(x, 0);
    return last_error_resource == gone;
}
} // namespace

TEST(quiet_display, a_made_window_puts_the_handler_back) {
    Display* x = XOpenDisplay(nullptr);
    if (!x)
        GTEST_SKIP() << "no X display";
    ASSERT_TRUE(al_install_system(ALLEGRO_VERSION_INT, nullptr));
    // Full screen is asked for at a size that no screen has as a mode, so it is refused.
    const struct {
        const char* name;
        std::vector<int> mode_flags; // one attempt each, until one makes a display
        bool made;
    } rows[] = {
        {"a window at once", {0}, true},
        {"full screen refused, then a full-screen window",
         {ALLEGRO_FULLSCREEN, ALLEGRO_FULLSCREEN_WINDOW},
         true},
        {"full screen refused twice", {ALLEGRO_FULLSCREEN, ALLEGRO_FULLSCREEN}, false},
    };
    for (const auto& r : rows) {
        XSetErrorHandler(record_error);
        ALLEGRO_DISPLAY* made = nullptr;
        for (size_t i = 0; !made && i < r.mode_flags.size(); ++i) {
            al_set_new_display_flags(ALLEGRO_OPENGL | r.mode_flags[i]);
            made = r.mode_flags[i] == ALLEGRO_FULLSCREEN ? create_display_quietly(797, 591)
                                                         : create_display_quietly(320, 240);
        }
        ASSERT_EQ(made != nullptr, r.made) << r.name;
        EXPECT_EQ(error_reaches_the_handler(x), r.made) << r.name;
        if (made)
            al_destroy_display(made);
    }
    XSetErrorHandler(nullptr);
    XCloseDisplay(x);
}
