// Allegro with its OpenGL header: the GL 3 entry points come through Allegro's loader.
#pragma once

#ifndef ALLEGRO_UNSTABLE
#define ALLEGRO_UNSTABLE
#endif
#include <allegro5/allegro.h>
#include <allegro5/allegro_opengl.h>
