// Reading the frame drawn (before presentation) into an image, and saving it as a PNG file.
#pragma once

#include "images/image_compare.h"

#include <string>

namespace tarnwick::bench {

// The whole frame drawn on the current display (before it is presented), top row first.
rgb_image read_back_buffer(int width, int height);
// The back buffer written to file as an RGB PNG. Returns false when the file could not be written.
bool save_back_buffer_png(const std::string& file, int width, int height);

} // namespace tarnwick::bench
