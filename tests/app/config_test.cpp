// Parsing of the display settings, and the UTF-8 check of the configuration's text.
#include "app/config.h"

#include <gtest/gtest.h>
#include <iconv.h>

namespace {
// A missing key keeps its default while the other is still read, and only the exact word asks for full
// screen (the replayed corpus checks that no size is ever 0, the end-to-end test a file read whole).
TEST(config, a_missing_key_keeps_its_default_and_only_the_exact_word_asks_for_full_screen) {
    const display_config config = parse_display_config(nullptr, "768", "FULLSCREEN");
    EXPECT_EQ(config.width, 800);
    EXPECT_EQ(config.height, 768);
    EXPECT_TRUE(config.fullscreen);
    EXPECT_FALSE(parse_display_config("1024", "768", "fullscreen").fullscreen);
}

// glibc's decoder, a judge from outside: the text is well-formed UTF-8 when all of it converts.
bool glibc_accepts(std::string text) {
    static const iconv_t to_utf32 = iconv_open("UTF-32LE", "UTF-8");
    iconv(to_utf32, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char *in = text.data(), *end = out;
    size_t in_left = text.size(), out_left = sizeof out;
    return iconv(to_utf32, &in, &in_left, &end, &out_left) != size_t(-1) && in_left == 0;
}

// Every lead and second byte, followed by none, one or two bytes at the edges of the continuation range.
TEST(config, utf8_validation_agrees_with_glibc) {
    for (int lead = 0; lead < 256; ++lead) {
        for (int second = 0; second < 256; ++second) {
            for (const char next : {'\x7f', '\x80', '\xbf', '\xc0'}) {
                const std::string text{char(lead), char(second), next, next};
                for (size_t length = 1; length <= text.size(); ++length)
                    ASSERT_EQ(is_valid_utf8(text.substr(0, length)), glibc_accepts(text.substr(0, length)))
                        << std::hex << lead << " " << second << " " << int(uint8_t(next)) << " of " << length;
            }
        }
    }
}
} // namespace
