// The end-of-frame motion-blur composition and its full-screen quad.
#pragma once

#include "assets/mesh.h"

// The full-screen quad; made once by create_screen_quad, never deleted.
extern mesh* screen;

// Builds the clip-space quad from an empty mesh and prints its vertex array name.
void create_screen_quad();
// Copies the back buffer into the ring's newest slot on the GPU and draws the blended frame over it.
void compose_frame();
