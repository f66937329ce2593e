// Making the display without letting an X error end the process on the way.
#include "quiet_display.h"

#include <X11/Xlib.h>

namespace {
int drop_error(Display*, XErrorEvent*) { return 0; }

// The handler from before the first attempt. A failed attempt leaves drop_error installed, so the next one
// (the full-screen fallback) must not take that for the handler to put back.
XErrorHandler handler_before = nullptr;
} // namespace

ALLEGRO_DISPLAY* create_display_quietly(int width, int height) {
    const XErrorHandler previous = XSetErrorHandler(drop_error);
    if (previous != drop_error)
        handler_before = previous;
    ALLEGRO_DISPLAY* made = al_create_display(width, height);
    if (made)
        XSetErrorHandler(handler_before);
    return made;
}
