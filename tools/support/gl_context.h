// A real OpenGL context for the tools, the bench and the GL test suites: one Allegro display per process.
#pragma once

#include "app/shell/gl.h"

#include <cstdint>
#include <string>
#include <vector>

// Opens the display (once per process) with the game's fixed GL state, the matrix buffer and the first
// projection, as start-up leaves them. Returns false when no X display can be opened.
bool open_gl_context(int width = 800, int height = 600);

// Reads an RGB block of the back buffer, bottom row first, 3 bytes per pixel, no padding.
std::vector<uint8_t> read_back_rgb(int x, int y, int width, int height);

// Writes the back buffer to a binary PPM file (top row first) for looking at.
void save_back_buffer_ppm(const std::string& path);
