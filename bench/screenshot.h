// Saving the back buffer as a PNG file.
#pragma once

#include <string>

// Reads the whole back buffer of the current display (before it is presented) and writes it to file as
// an RGB PNG, top row first. Returns false when the file could not be written.
bool save_back_buffer_png(const std::string& file, int width, int height);
