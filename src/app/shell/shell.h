// The few services of the application shell that lower code calls: the fatal exit and the display handle.
#pragma once

#include "display_surface.h"
#include "gl.h"

#include <string>

// What frames are drawn into (the game's window, or the bench's framebuffer without one) with its OpenGL
// context; null until start-up has opened it.
extern display_surface* display;

// Writes message to standard error, waits for Enter when a person is at the console, runs the installed
// shutdown and ends the process with status. Never returns.
[[noreturn]] void exit_with_message(const std::string& message, int status);

// The shutdown that exit_with_message runs; start-up installs it before anything can fail.
void set_shutdown_handler(void (*handler)());

// The console's "press a key" prompt: waits for Enter only when standard input is a terminal.
void wait_for_key();

// The drawing conventions every draw relies on: textures on, clockwise front faces with back faces culled,
// depth test with GL_LEQUAL, and alpha blending.
void set_fixed_gl_state();
