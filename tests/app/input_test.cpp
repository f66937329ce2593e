// The mouse mapping from display pixels to normalized device coordinates.
#include "app/input/input.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {
TEST(input, pixels_map_to_normalized_device_coordinates) {
    struct row {
        glm::vec2 pixels, size, ndc;
    };
    const row table[] = {
        {{400, 300}, {800, 600}, {0, 0}},  {{0, 0}, {800, 600}, {-1, 1}},
        {{800, 600}, {800, 600}, {1, -1}}, {{200, 450}, {800, 600}, {-0.5f, -0.5f}},
        {{640, 0}, {1280, 720}, {0, 1}},   {{10, 10}, {0, 0}, {0, 0}},
        {{10, 10}, {800, 0}, {0, 0}},
    };
    for (const row& r : table) {
        const glm::vec2 ndc = pixels_to_ndc(r.pixels, r.size);
        EXPECT_TRUE(std::isfinite(ndc.x) && std::isfinite(ndc.y));
        EXPECT_NEAR(ndc.x, r.ndc.x, 1e-6f) << r.pixels.x << "," << r.pixels.y;
        EXPECT_NEAR(ndc.y, r.ndc.y, 1e-6f) << r.pixels.x << "," << r.pixels.y;
    }
}

TEST(input, vector_printer_writes_components_each_followed_by_a_blank) {
    testing::internal::CaptureStdout();
    print(glm::vec3(1.5f, -2.0f, 0.25f));
    print(glm::vec2(3.0f, 4.0f));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "1.5 -2 0.25 \n3 4 \n");
}
} // namespace
