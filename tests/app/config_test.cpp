// Parsing of the display settings, including missing keys and malformed values.
#include "app/config.h"
#include "assets/temp_workdir.h"

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
TEST(config_text, reads_the_global_section_and_every_well_formed_key) {
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
        // Bytes that are not UTF-8 lose only themselves (Allegro's reader could hang on them).
        {"# r\xe9solution \xe0 l'\xe9"
         "cran\nwidth=1024\nheight=768\nwindow_mode=FULLSCREEN\n",
         1024, 768, true},
        {"width=1024\nheight=768\n\x8b\xa3\xa3=1\n", 1024, 768, false},
        {"width=1024\nheight=768\n\xc0\xaf=1\n", 1024, 768, false},
        {"width=1024\nheight=768\n\xed\xa0\x80\n", 1024, 768, false},
        {"width=1024\nheight=768\n\xe2\x82", 1024, 768, false},
    };
    for (const row& r : table) {
        const display_config config = parse_config_text(r.text);
        EXPECT_EQ(config.width, r.width) << r.text;
        EXPECT_EQ(config.height, r.height) << r.text;
        EXPECT_EQ(config.fullscreen, r.fullscreen) << r.text;
    }
}

// One "?" for each stray byte or for the longest well-formed start of a broken sequence.
TEST(config_text, utf8_validation_and_replacement) {
    const struct {
        std::string text, replaced;
    } table[] = {
        {"plain", "plain"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},
        {"\xe2\x82\xac \xf0\x9f\x98\x80", "\xe2\x82\xac \xf0\x9f\x98\x80"},
        {std::string("a\0b", 3), std::string("a\0b", 3)},
        {"caf\xe9=1", "caf?=1"},
        {"\x80\xbf", "??"},
        {"\xc3", "?"},
        {"\xe2\x82x", "?x"},
        {"\xf0\x9f\x98", "?"},
        {"\xc1\xbf", "??"},
        {"\xe0\x80\xaf", "???"},
        {"\xed\xa0\x80", "???"},
        {"\xf4\x90\x80\x80", "????"},
        {"\xff\xfe", "??"},
    };
    for (const auto& r : table) {
        EXPECT_EQ(replace_invalid_utf8(r.text), r.replaced) << r.text;
        EXPECT_EQ(is_valid_utf8(r.text), r.text == r.replaced) << r.text;
    }
}

TEST(config_file, a_file_with_stray_bytes_keeps_its_keys_and_says_so_once) {
    const struct {
        std::string text;
        std::string out;
    } table[] = {
        {"width=1024\nheight=768\n", ""},
        {"# \xe9\xe9\nwidth=1024\n# \xff\nheight=768\n",
         "tarnwick.cfg held bytes that are not UTF-8; they were replaced by \"?\"\n"},
    };
    for (const auto& r : table) {
        temp_workdir dir;
        temp_workdir::write("tarnwick.cfg", r.text);
        testing::internal::CaptureStdout();
        const display_config config = load_display_config();
        EXPECT_EQ(testing::internal::GetCapturedStdout(), r.out);
        EXPECT_EQ(config.width, 1024);
        EXPECT_EQ(config.height, 768);
    }
}
} // namespace
