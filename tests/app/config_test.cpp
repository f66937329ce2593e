// Parsing of the display settings, including missing keys, malformed values and stray bytes.
#include "app/config.h"
#include "assets/temp_workdir.h"

#include <gtest/gtest.h>

namespace {
TEST(config, values_give_the_display) {
    const struct {
        const char *width, *height, *window_mode; // null: the key is missing
        int expected_width, expected_height;
        bool expected_fullscreen;
    } rows[] = {{"1024", "768", "FULLSCREEN", 1024, 768, true},
                {"1024", "768", "fullscreen", 1024, 768, false},
                {"0", "768", nullptr, 800, 768, false},
                {"1024", "0", nullptr, 1024, 600, false},
                // A width without digits fails the stream, so the height is not read either.
                {"abc", "768", nullptr, 800, 600, false},
                // Out of range for a 32-bit int: the extraction fails and the preset stays.
                {"99999999999", "480", nullptr, 800, 600, false},
                // A missing key keeps its default; the other value is still read.
                {nullptr, "768", nullptr, 800, 768, false},
                {"1024", nullptr, nullptr, 1024, 600, false}};
    for (const auto& r : rows) {
        const display_config config = parse_display_config(r.width, r.height, r.window_mode);
        EXPECT_EQ(config.width, r.expected_width) << (r.width ? r.width : "(none)");
        EXPECT_EQ(config.height, r.expected_height) << (r.height ? r.height : "(none)");
        EXPECT_EQ(config.fullscreen, r.expected_fullscreen) << (r.window_mode ? r.window_mode : "(none)");
    }
}

// One "?" for each stray byte or for the longest well-formed start of a broken sequence.
TEST(config, utf8_validation_and_replacement) {
    const struct {
        std::string text, replaced;
    } rows[] = {{"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
                {"caf\xe9=1", "caf?=1"},
                {"\x80\xbf", "??"},
                {"\xe2\x82x", "?x"},
                {"\xf0\x9f\x98", "?"},
                {"\xc1\xbf", "??"},
                {"\xe0\x80\xaf", "???"},
                {"\xed\xa0\x80", "???"},
                {"\xf4\x90\x80\x80", "????"}};
    for (const auto& r : rows) {
        EXPECT_EQ(replace_invalid_utf8(r.text), r.replaced) << r.text;
        EXPECT_EQ(is_valid_utf8(r.text), r.text == r.replaced) << r.text;
    }
}

// Only the global section counts; bytes that are not UTF-8 lose only themselves (Allegro's reader could hang
// on them), so the keys around them still count, and a line says so once.
TEST(config, a_file_with_stray_bytes_keeps_its_keys_and_says_so_once) {
    const struct {
        std::string text;
        std::string out;
    } rows[] = {
        {"# comment\nwidth = 1024\nheight = 768\n[other]\nwidth=1\n", ""},
        {"# r\xe9solution \xe0 l'\xe9"
         "cran\nwidth=1024\n# \xff\nheight=768\n",
         "tarnwick.cfg held bytes that are not UTF-8; they were replaced by \"?\"\n"},
    };
    for (const auto& r : rows) {
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
