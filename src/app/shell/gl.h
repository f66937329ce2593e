// Allegro with its OpenGL header: the GL 3 entry points come through Allegro's loader.
#pragma once

#ifndef ALLEGRO_UNSTABLE
#define ALLEGRO_UNSTABLE
#endif
#include <allegro5/allegro.h>
#include <allegro5/allegro_opengl.h>

// Allegro's GLX header drags in X11's object-like macros, which clash with ordinary C++ names.
#undef None
#undef Bool
#undef Status
#undef Success
#undef True
#undef False
#undef Always
