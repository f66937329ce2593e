// Making the display without letting an X error end the process on the way.
#pragma once

#include "app/shell/gl.h"

// al_create_display with X protocol errors dropped meanwhile. Xlib's own handler would exit from inside
// Allegro's display creation (a driver that refuses a context answers with a GLX error), and that exit
// deadlocks in Allegro's shutdown; dropped, the refusal is a display that could not be made. A display made,
// at the first attempt or a later one, puts back the handler from before the first; after a failure errors
// stay dropped, since the half-made window's errors still arrive while the process ends or tries again.
ALLEGRO_DISPLAY* create_display_quietly(int width, int height);
