// Fuzz target: the configuration file's text as the game reads it (bytes that are not UTF-8 replaced,
// Allegro's reader from memory, our parsing of the three values). The display size that comes out is never
// 0, the replacement leaves well-formed text that keeps every ASCII byte of the original, and only the exact
// word asks for full screen.
#include "app/config.h"
#include "app/shell/gl.h"
#include "fuzz_check.h"

#include <algorithm>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const display_config parsed = parse_config_text(text);
    FUZZ_CHECK(parsed.width != 0 && parsed.height != 0);
    const std::string replaced = replace_invalid_utf8(text);
    FUZZ_CHECK(is_valid_utf8(replaced));
    FUZZ_CHECK((replaced == text) == is_valid_utf8(text));
    // Keys and values are ASCII: none of their bytes may be lost or moved.
    auto ascii_but_mark = [](std::string s) {
        s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return c == '?' || (c & 0x80) != 0; }),
                s.end());
        return s;
    };
    FUZZ_CHECK(ascii_but_mark(replaced) == ascii_but_mark(text));

    // The same bytes cut at NULs into three values go through the value parsing directly: whatever text a
    // key holds, the size is never 0 and only the exact word asks for full screen.
    std::vector<std::string> values(3);
    size_t part = 0;
    for (size_t i = 0; i < size && part < values.size(); ++i) {
        if (data[i] == 0)
            ++part;
        else
            values[part] += char(data[i]);
    }
    const display_config direct =
        parse_display_config(values[0].c_str(), values[1].c_str(), values[2].c_str());
    FUZZ_CHECK(direct.width != 0 && direct.height != 0);
    FUZZ_CHECK(direct.fullscreen == (values[2] == "FULLSCREEN"));
    return 0;
}
