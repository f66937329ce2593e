// The display settings read from "tarnwick.cfg".
#pragma once

constexpr int default_display_width = 800;
constexpr int default_display_height = 600;

struct display_config {
    int width = default_display_width;
    int height = default_display_height;
    bool fullscreen = false;
};

// Parses the three values of the configuration's global section; a null value is a missing key and keeps
// its default. "width" and "height" are extracted from one stream, so a width that is not a number also
// leaves the height at its default; 0 means the default; only the exact word "FULLSCREEN" asks for full
// screen.
display_config parse_display_config(const char* width, const char* height, const char* window_mode);

// Reads "tarnwick.cfg" in the working directory; a missing file gives the defaults.
display_config load_display_config();
