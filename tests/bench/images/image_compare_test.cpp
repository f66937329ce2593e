// Comparing images: the tolerance, neighbours that excuse an edge one pixel off, the mask of unstable
// pixels, and the reference files a check or an update leaves.
#include "images/image_compare.h"
#include "images/reference_check.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

using namespace tarnwick::bench;

namespace {
TEST(image_compare, pixels_beyond_the_tolerance_differ_and_show_red) {
    // Three pixels: equal, 8 apart in blue, 9 apart in red; the largest difference is 9.
    const rgb_image reference{3, 1, {90, 60, 30, 90, 60, 30, 90, 60, 30}};
    const rgb_image actual{3, 1, {90, 60, 30, 90, 60, 38, 99, 60, 30}};
    const image_difference at8 = compare_images(reference, actual, 8);
    EXPECT_EQ(at8.differing, 1);
    EXPECT_EQ(at8.largest, 9);
    EXPECT_NEAR(at8.differing_percent(), 100.0 / 3.0, 1e-9);
    EXPECT_EQ(at8.picture.pixels, (std::vector<uint8_t>{30, 20, 10, 30, 20, 10, 255, 0, 0}));
    EXPECT_EQ(compare_images(reference, actual, 7).differing, 2);
    EXPECT_EQ(compare_images(reference, actual, 9).differing, 0);
}

// A grey 7x7 picture with the given pixels white.
rgb_image picture(std::initializer_list<std::pair<int, int>> white) {
    rgb_image image{7, 7, std::vector<uint8_t>(7 * 7 * 3, 40)};
    for (const auto& [x, y] : white)
        std::fill_n(image.pixels.begin() + (y * 7 + x) * 3, 3, uint8_t(255));
    return image;
}

// An edge one pixel off matches its neighbours both ways; a feature that appears, vanishes or moves two
// pixels does not.
TEST(image_compare, a_neighbour_excuses_a_pixel_only_when_it_matches_both_ways) {
    const rgb_image column = picture({{3, 1}, {3, 2}, {3, 3}, {3, 4}, {3, 5}});
    const rgb_image one_right = picture({{4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 5}});
    const rgb_image two_right = picture({{5, 1}, {5, 2}, {5, 3}, {5, 4}, {5, 5}});
    const rgb_image dot = picture({{3, 3}});
    const rgb_image none = picture({});
    struct row {
        const rgb_image& reference;
        const rgb_image& actual;
        long differing;
        long shifted;
    };
    const row table[] = {
        {column, one_right, 0, 10}, {column, two_right, 10, 0}, {dot, none, 1, 0},
        {none, dot, 1, 0},          {column, column, 0, 0},
    };
    for (const row& r : table) {
        const image_difference d = compare_images(r.reference, r.actual, 8);
        EXPECT_EQ(d.differing, r.differing) << &r - table;
        EXPECT_EQ(d.shifted, r.shifted) << &r - table;
        EXPECT_EQ(d.largest, r.differing > 0 ? 215 : 0) << &r - table;
    }
}

// A variant that moves a pixel beyond the tolerance marks it and its eight neighbours; the comparison then
// excuses differences there and nowhere else.
TEST(image_compare, unstable_pixels_are_marked_with_their_neighbours_and_excused) {
    const rgb_image base = picture({});
    rgb_image nudged = base;
    nudged.pixels[(2 * 7 + 2) * 3] = 200;
    rgb_image within = base;
    within.pixels[(5 * 7 + 5) * 3] = 48;
    const rgb_image mask = unstable_pixels(base, {within, nudged}, 8);
    EXPECT_EQ(marked_pixels(mask), 9);
    EXPECT_EQ(marked_pixels(unstable_pixels(base, {within}, 8)), 0);

    const rgb_image actual = picture({{1, 1}, {3, 3}, {4, 4}});
    const image_difference d = compare_images(base, actual, 8, &mask);
    EXPECT_EQ(d.excused, 2);
    EXPECT_EQ(d.differing, 1);
    const size_t outside = (4 * 7 + 4) * 3, inside = (3 * 7 + 3) * 3;
    EXPECT_EQ(
        std::vector<uint8_t>(d.picture.pixels.begin() + outside, d.picture.pixels.begin() + outside + 3),
        (std::vector<uint8_t>{255, 0, 0}));
    EXPECT_NE(d.picture.pixels[inside], 255);
}

// Updating a reference writes its mask only when a variant moves pixels, and a mask from before goes with
// the first update that finds none, so a stale mask never excuses pixels of a scene that became stable.
TEST(reference_check, update_writes_the_mask_only_for_moving_pixels) {
    namespace fs = std::filesystem;
    reference_settings settings;
    settings.dir = (fs::temp_directory_path() / "tarnwick-reference-update").string();
    fs::remove_all(settings.dir);
    const rgb_image base = picture({});
    rgb_image nudged = base;
    nudged.pixels[(2 * 7 + 2) * 3] = 200;
    const std::string mask = reference_file(settings.dir, "combat:x", "-unstable");

    const reference_outcome moving = update_reference(settings, "combat:x", base, {nudged});
    EXPECT_TRUE(moving.ok());
    EXPECT_EQ(moving.unstable, 9);
    EXPECT_EQ(moving.mask, mask);
    rgb_image read;
    ASSERT_TRUE(read_png(mask, read));
    EXPECT_EQ(marked_pixels(read), 9);

    const reference_outcome still = update_reference(settings, "combat:x", base, {base});
    EXPECT_TRUE(still.ok());
    EXPECT_FALSE(fs::exists(mask));
    EXPECT_EQ(still.mask, "");
    EXPECT_TRUE(fs::exists(reference_file(settings.dir, "combat:x")));
    fs::remove_all(settings.dir);
}
} // namespace
