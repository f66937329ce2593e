// Reading the display settings from the configuration file.
#include "config.h"

#include "app/shell/gl.h"

#include <allegro5/allegro_memfile.h>

#include <cstring>
#include <fstream>
#include <iostream>
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

namespace {
// Well-formed UTF-8 by lead byte (the Unicode standard's table of well-formed byte sequences): the sequence
// length and the range of its second byte; later bytes are always 80..BF. Leads not listed are never valid.
struct utf8_lead {
    unsigned char first, last;
    int length;
    unsigned char second_low, second_high;
};
constexpr utf8_lead utf8_leads[] = {
    {0x00, 0x7F, 1, 0, 0},       {0xC2, 0xDF, 2, 0x80, 0xBF}, {0xE0, 0xE0, 3, 0xA0, 0xBF},
    {0xE1, 0xEC, 3, 0x80, 0xBF}, {0xED, 0xED, 3, 0x80, 0x9F}, {0xEE, 0xEF, 3, 0x80, 0xBF},
    {0xF0, 0xF0, 4, 0x90, 0xBF}, {0xF1, 0xF3, 4, 0x80, 0xBF}, {0xF4, 0xF4, 4, 0x80, 0x8F},
};

// The bytes at p (left of them remain) open a well-formed sequence of the returned length, or, when the
// result is 0, an ill-formed one whose longest well-formed start is `span` bytes (at least 1).
int utf8_sequence(const unsigned char* p, size_t left, int& span) {
    span = 1;
    for (const utf8_lead& lead : utf8_leads) {
        if (p[0] < lead.first || p[0] > lead.last)
            continue;
        for (int i = 1; i < lead.length; ++i) {
            const unsigned char low = i == 1 ? lead.second_low : 0x80;
            const unsigned char high = i == 1 ? lead.second_high : 0xBF;
            if (size_t(i) >= left || p[i] < low || p[i] > high)
                return 0;
            span = i + 1;
        }
        return lead.length;
    }
    return 0;
}
} // namespace

bool is_valid_utf8(const std::string& text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t at = 0; at < text.size();) {
        int span = 0;
        const int length = utf8_sequence(bytes + at, text.size() - at, span);
        if (length == 0)
            return false;
        at += size_t(length);
    }
    return true;
}

std::string replace_invalid_utf8(const std::string& text) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        int span = 0;
        const size_t length = size_t(utf8_sequence(bytes + at, text.size() - at, span));
        if (length > 0)
            out.append(text, at, length);
        else
            out += '?';
        at += length > 0 ? length : size_t(span);
    }
    return out;
}

display_config parse_config_text(const std::string& text) {
    // Allegro's reader never finishes on some malformed sequences, so it only ever sees well-formed text.
    // Its memory file refuses an empty block; a lone line end reads the same as an empty file.
    std::string block = text.empty() ? std::string("\n") : replace_invalid_utf8(text);
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
    if (!is_valid_utf8(text.str()))
        std::cout << "tarnwick.cfg held bytes that are not UTF-8; they were replaced by \"?\"" << std::endl;
    return parse_config_text(text.str());
}
