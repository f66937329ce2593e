// The mouse mapping from display pixels to normalized device coordinates.
#include "app/input/input.h"

#include <gtest/gtest.h>

namespace {
// x runs from -1 at the left edge to +1 at the right, y from +1 at the top to -1 at the bottom; a display
// without area gives the centre rather than NaN.
TEST(input, pixels_map_to_normalized_device_coordinates) {
    const struct {
        glm::vec2 pixels, size, ndc;
    } rows[] = {
        {{0, 0}, {800, 600}, {-1, 1}},
        {{10, 10}, {800, 0}, {0, 0}},
        {{10, 10}, {0, 600}, {0, 0}},
    };
    for (const auto& r : rows)
        EXPECT_NEAR(glm::distance(pixels_to_ndc(r.pixels, r.size), r.ndc), 0.0f, 1e-6f)
            << r.pixels.x << "," << r.pixels.y << " on " << r.size.x << "x" << r.size.y;
}
} // namespace
