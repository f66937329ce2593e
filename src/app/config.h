// The display settings read from "tarnwick.cfg".
#pragma once

#include <string>

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

// Reads the settings from the text of a configuration file, with every ill-formed UTF-8 sequence replaced
// first (Allegro's reader never finishes on some of them), so every well-formed key still counts.
display_config parse_config_text(const std::string& text);

// Whether text is well-formed UTF-8 (no stray continuation bytes, truncated or overlong sequences,
// surrogates or code points beyond U+10FFFF).
bool is_valid_utf8(const std::string& text);

// The text with each ill-formed UTF-8 sequence (its longest well-formed start, or one stray byte) replaced
// by "?"; well-formed text comes back unchanged.
std::string replace_invalid_utf8(const std::string& text);

// Reads "tarnwick.cfg" in the working directory; a missing or unreadable file gives the defaults. A file
// that is not well-formed UTF-8 is read with its bad bytes replaced, and a line on standard output says so.
display_config load_display_config();
