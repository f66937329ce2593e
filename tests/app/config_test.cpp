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
