// Fuzz target: the configuration file as Allegro reads it from memory, then our parsing of its three
// values. The display size that comes out is never 0, and only the exact word asks for full screen.
#include "app/config.h"
#include "app/shell/gl.h"
#include "fuzz_check.h"

#include <allegro5/allegro_memfile.h>

#include <cstring>
#include <vector>

namespace {
bool is_ascii(const char* text) {
    for (; *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80)
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Allegro's memory file refuses an empty block; a lone line end reads the same as an empty file.
    std::vector<uint8_t> block(data, data + size);
    if (block.empty())
        block.push_back('\n');
    ALLEGRO_FILE* file = al_open_memfile(block.data(), int64_t(block.size()), "r");
    FUZZ_CHECK(file != nullptr);
    ALLEGRO_CONFIG* config = al_load_config_file_f(file);
    al_fclose(file);
    if (!config)
        return 0;
    const char* width = al_get_config_value(config, nullptr, "width");
    const char* height = al_get_config_value(config, nullptr, "height");
    const char* window_mode = al_get_config_value(config, nullptr, "window_mode");
    const display_config parsed = parse_display_config(width, height, window_mode);
    FUZZ_CHECK(parsed.width != 0 && parsed.height != 0);
    FUZZ_CHECK(parsed.fullscreen == (window_mode && std::strcmp(window_mode, "FULLSCREEN") == 0));
    // Missing values keep their defaults; a width that does not parse keeps both.
    if (!width)
        FUZZ_CHECK(parsed.width == default_display_width);
    if (!height)
        FUZZ_CHECK(parsed.height == default_display_height);
    if (!width && !height)
        FUZZ_CHECK(parsed.width == default_display_width && parsed.height == default_display_height);

    // The values of every section go through the same parsing: sections are ignored by the game, but the
    // parser must cope with whatever text Allegro hands it.
    char const* section = nullptr;
    ALLEGRO_CONFIG_SECTION* section_iterator = nullptr;
    for (section = al_get_first_config_section(config, &section_iterator); section;
         section = al_get_next_config_section(&section_iterator)) {
        ALLEGRO_CONFIG_ENTRY* entry_iterator = nullptr;
        for (const char* key = al_get_first_config_entry(config, section, &entry_iterator); key;
             key = al_get_next_config_entry(&entry_iterator)) {
            // Allegro's own lookup never ends for some keys that are not valid UTF-8 (al_ustr_compare does
            // not advance over them); the game only looks up its three ASCII keys, so only ASCII keys are
            // tried.
            if (!is_ascii(key) || !is_ascii(section))
                continue;
            const char* value = al_get_config_value(config, section, key);
            const display_config any = parse_display_config(value, value, value);
            FUZZ_CHECK(any.width != 0 && any.height != 0);
        }
    }
    al_destroy_config(config);
    return 0;
}
