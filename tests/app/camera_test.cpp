// The projection, the view direction and the visibility test, without a window.
#include "render/camera.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace {
// The view is 45 degrees high and as wide as the display's aspect; depth runs from -1 at the near plane
// (0.5 units) to +1 at the far plane (30 units). Points are in eye space, where the camera looks down -z.
TEST(camera, projection_maps_the_view_edges_to_the_screen_edges) {
    const float edge = 5.0f * std::tan(glm::radians(22.5f)); // the top edge 5 units ahead
    const struct {
        float width, height;
        glm::vec3 eye;
        int axis;
        float ndc;
    } rows[] = {
        {800, 600, {0, edge, -5}, 1, 1},
        {800, 600, {edge * 4 / 3, 0, -5}, 0, 1},
        {1600, 600, {-edge * 8 / 3, 0, -5}, 0, -1},
        {800, 600, {0, 0, -0.5f}, 2, -1},
        {800, 600, {0, 0, -30}, 2, 1},
    };
    for (const auto& r : rows) {
        const glm::vec4 clip = make_projection(r.width, r.height) * glm::vec4(r.eye, 1.0f);
        EXPECT_NEAR(clip[r.axis] / clip.w, r.ndc, 1e-4f) << r.width << "x" << r.height << " axis " << r.axis;
    }
}

TEST(camera, direction_follows_yaw_and_pitch) {
    const float h = std::sqrt(0.5f);
    const struct {
        float yaw, pitch;
        glm::vec3 expected;
    } rows[] = {
        {0, 0, {0, 0, 1}}, {camera_pi / 2, camera_pi / 4, {h, h, 0}}, {0, -camera_pi / 4, {0, -h, h}}};
    for (const auto& r : rows)
        EXPECT_NEAR(glm::distance(camera_direction(r.yaw, r.pitch), r.expected), 0.0f, 1e-6f)
            << r.yaw << " " << r.pitch;
}

// Looking along +z, points ahead are kept and those behind or well off to a side are not.
TEST(camera, visibility_of_points_looking_along_z) {
    const glm::mat4 vp = make_projection(800.0f, 600.0f) *
                         glm::lookAt(glm::vec3(0.0f), glm::vec3(0, 0, 1), glm::vec3(0, 1, 0));
    const struct {
        glm::vec3 p;
        bool visible;
    } rows[] = {
        {{0, 0, 10}, true},    {{5, 0, 10}, true},   {{0, 0, -10}, false},  {{10, 0, 10}, false},
        {{-10, 0, 10}, false}, {{0, 12, 10}, false}, {{0, -12, 10}, false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(is_visible_in(vp, r.p), r.visible) << r.p.x << " " << r.p.y << " " << r.p.z;
}
} // namespace
