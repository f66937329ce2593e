// Reading the display settings from the configuration file.
#include "config.h"

#include "app/shell/gl.h"

#include <allegro5/allegro_memfile.h>

#include <cstring>
#include <fstream>
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

bool is_valid_utf8(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char lead = *p;
        int length = 0;
        unsigned int lowest = 0;
        if (lead < 0x80) {
            ++p;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            lowest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            lowest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            lowest = 0x10000;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        unsigned int code = lead & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        p += length;
    }
    return true;
}

display_config parse_config_text(const std::string& text) {
    if (!is_valid_utf8(text))
        return display_config();
    // Allegro's memory file refuses an empty block; a lone line end reads the same as an empty file.
    std::string block = text.empty() ? std::string("\n") : text;
    ALLEGRO_FILE* memory = al_open_memfile(block.data(), int64_t(block.size()), "r");
    if (!memory)
        return display_config();
    ALLEGRO_CONFIG* file = al_load_config_file_f(memory);
    al_fclose(memory);
    if (!file)
        return display_config();
    const display_config config = parse_display_config(al_get_config_value(file, nullptr, "width"),
                                                       al_get_config_value(file, nullptr, "height"),
                                                       al_get_config_value(file, nullptr, "window_mode"));
    al_destroy_config(file);
    return config;
}

display_config load_display_config() {
    std::ifstream in("tarnwick.cfg", std::ios::binary);
    if (!in)
        return display_config();
    std::stringstream text;
    text << in.rdbuf();
    return parse_config_text(text.str());
}
