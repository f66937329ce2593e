// Parsing of the display settings, including missing keys and malformed values.
#include "app/config.h"

#include <gtest/gtest.h>

namespace {
struct config_case {
    const char* width;
    const char* height;
    const char* window_mode;
    int expected_width;
    int expected_height;
    bool expected_fullscreen;
};

class config_parsing : public testing::TestWithParam<config_case> {};

TEST_P(config_parsing, gives_the_expected_display) {
    const config_case& c = GetParam();
    const display_config config = parse_display_config(c.width, c.height, c.window_mode);
    EXPECT_EQ(config.width, c.expected_width);
    EXPECT_EQ(config.height, c.expected_height);
    EXPECT_EQ(config.fullscreen, c.expected_fullscreen);
}

INSTANTIATE_TEST_SUITE_P(
    cases, config_parsing,
    testing::Values(config_case{"1024", "768", "WINDOWED", 1024, 768, false},
                    config_case{"1024", "768", "FULLSCREEN", 1024, 768, true},
                    config_case{"1024", "768", "fullscreen", 1024, 768, false},
                    config_case{"1024", "768", "FULLSCREEN ", 1024, 768, false},
                    config_case{"0", "768", nullptr, 800, 768, false},
                    config_case{"1024", "0", nullptr, 1024, 600, false},
                    // A width without digits fails the stream, so the height is not read either.
                    config_case{"abc", "768", nullptr, 800, 600, false},
                    config_case{"1024abc", "768", nullptr, 1024, 600, false},
                    config_case{" 640", "480 ", nullptr, 640, 480, false},
                    config_case{"-5", "480", nullptr, -5, 480, false},
                    // Out of range for a 32-bit int: the extraction fails and the preset stays.
                    config_case{"99999999999", "480", nullptr, 800, 600, false},
                    config_case{"1024", "99999999999", nullptr, 1024, 600, false},
                    // Missing keys keep their defaults; the other value is still read.
                    config_case{nullptr, nullptr, nullptr, 800, 600, false},
                    config_case{nullptr, "768", nullptr, 800, 768, false},
                    config_case{"1024", nullptr, nullptr, 1024, 600, false},
                    config_case{"", "", "", 800, 600, false}));
} // namespace

namespace {
TEST(config_text, reads_the_global_section_and_refuses_malformed_utf8) {
    struct row {
        std::string text;
        int width, height;
        bool fullscreen;
    };
    const row table[] = {
        {"width=1024\nheight=768\nwindow_mode=FULLSCREEN\n", 1024, 768, true},
        {"width=1024\r\nheight=768\r\n", 1024, 768, false},
        {"\xef\xbb\xbfwindow_mode=x\nwidth=1024\nheight=768\n", 1024, 768, false},
        {"# comment\nwidth = 640\nheight = 480\n[other]\nwidth=1\n", 640, 480, false},
        {"[display]\nwidth=1024\nheight=768\n", 800, 600, false},
        {"", 800, 600, false},
        {"width=1024\nheight=768\nname=caf\xc3\xa9\n", 1024, 768, false},
        // Malformed UTF-8 anywhere makes the whole file unreadable (Allegro's reader can hang on it).
        {"width=1024\nheight=768\n\x8b\xa3\xa3=1\n", 800, 600, false},
        {"width=1024\nheight=768\n\xc0\xaf=1\n", 800, 600, false},
        {"width=1024\nheight=768\n\xed\xa0\x80\n", 800, 600, false},
        {"width=1024\nheight=768\n\xe2\x82", 800, 600, false},
    };
    for (const row& r : table) {
        const display_config config = parse_config_text(r.text);
        EXPECT_EQ(config.width, r.width) << r.text;
        EXPECT_EQ(config.height, r.height) << r.text;
        EXPECT_EQ(config.fullscreen, r.fullscreen) << r.text;
    }
}

TEST(config_text, utf8_validation) {
    const std::pair<std::string, bool> table[] = {
        {"plain", true},         {"caf\xc3\xa9", true},
        {"\xe2\x82\xac", true},  {"\xf0\x9f\x98\x80", true},
        {"\x80", false},         {"\xc3", false},
        {"\xc1\xbf", false},     {"\xe0\x80\xaf", false},
        {"\xed\xb0\x80", false}, {"\xf4\x90\x80\x80", false},
        {"\xff", false},         {std::string("a\0b", 3), true},
    };
    for (const auto& [text, valid] : table)
        EXPECT_EQ(is_valid_utf8(text), valid) << text;
}
} // namespace
