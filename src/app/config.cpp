// Reading the display settings from the configuration file.
#include "config.h"

#include "app/shell/gl.h"

#include <cstring>
#include <sstream>

namespace {
// Extracts one int; a failed or overflowing extraction leaves target as it was.
void extract(std::istream& in, int& target) {
    int value = 0;
    if (in >> value)
        target = value;
}
} // namespace

display_config parse_display_config(const char* width, const char* height, const char* window_mode) {
    display_config config;
    std::stringstream values;
    if (width)
        values << width;
    if (height)
        values << " " << height;
    if (width)
        extract(values, config.width);
    if (height)
        extract(values, config.height);
    if (config.width == 0)
        config.width = default_display_width;
    if (config.height == 0)
        config.height = default_display_height;
    config.fullscreen = window_mode && std::strcmp(window_mode, "FULLSCREEN") == 0;
    return config;
}

display_config load_display_config() {
    ALLEGRO_CONFIG* file = al_load_config_file("tarnwick.cfg");
    if (!file)
        return display_config();
    const display_config config = parse_display_config(al_get_config_value(file, nullptr, "width"),
                                                       al_get_config_value(file, nullptr, "height"),
                                                       al_get_config_value(file, nullptr, "window_mode"));
    al_destroy_config(file);
    return config;
}
