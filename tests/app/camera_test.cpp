// The projection, the view direction and the visibility test, without a window.
#include "app/shell/switches.h"
#include "render/camera.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace {
TEST(camera, projection_entries_at_800_by_600_and_after_widening) {
    const glm::mat4 p = make_projection(800.0f, 600.0f);
    EXPECT_NEAR(p[0][0], 1.8106601f, 1e-6f);
    EXPECT_NEAR(p[1][1], 2.4142137f, 1e-6f);
    EXPECT_NEAR(p[2][2], -1.0338984f, 1e-6f);
    EXPECT_FLOAT_EQ(p[2][3], -1.0f);
    EXPECT_NEAR(p[3][2], -1.0169492f, 1e-6f);
    EXPECT_FLOAT_EQ(p[3][3], 0.0f);
    const glm::mat4 wide = make_projection(1600.0f, 600.0f);
    EXPECT_NEAR(wide[0][0], p[0][0] / 2.0f, 1e-6f);
    EXPECT_NEAR(wide[1][1], 2.4142137f, 1e-6f);
}

TEST(camera, direction_follows_yaw_and_pitch) {
    struct row {
        float yaw, pitch;
        glm::vec3 expected;
    };
    const float q = max_camera_pitch;
    const row table[] = {
        {0.0f, 0.0f, {0, 0, 1}},
        {camera_pi / 2, 0.0f, {1, 0, 0}},
        {-camera_pi / 2, 0.0f, {-1, 0, 0}},
        {0.0f, q, {0, std::sin(q), std::cos(q)}},
    };
    for (const row& r : table) {
        const glm::vec3 d = camera_direction(r.yaw, r.pitch);
        EXPECT_NEAR(d.x, r.expected.x, 1e-6f);
        EXPECT_NEAR(d.y, r.expected.y, 1e-6f);
        EXPECT_NEAR(d.z, r.expected.z, 1e-6f);
    }
    EXPECT_NEAR(max_camera_pitch, 0.7853982f, 1e-7f);
}

TEST(camera, visibility_of_points_looking_along_z) {
    const glm::mat4 vp = make_projection(800.0f, 600.0f) *
                         glm::lookAt(glm::vec3(0.0f), camera_direction(0, 0), glm::vec3(0, 1, 0));
    struct row {
        glm::vec3 p;
        bool visible;
    };
    const row table[] = {
        {{0, 0, 10}, true},   {{5, 0, 10}, true},   {{0, 3, 10}, true},    {{0, 0, 0}, true},
        {{0, 0, -10}, false}, {{10, 0, 10}, false}, {{-10, 0, 10}, false}, {{0, 12, 10}, false},
    };
    for (const row& r : table)
        EXPECT_EQ(is_visible_in(vp, r.p), r.visible) << r.p.x << " " << r.p.y << " " << r.p.z;
}

TEST(camera, culling_off_shows_every_point_and_turning_moves_the_frustum) {
    projection = make_projection(800.0f, 600.0f);
    view = glm::lookAt(glm::vec3(0.0f), camera_direction(0, 0), glm::vec3(0, 1, 0));
    view_projection = projection * view;
    frustum_culling = true;
    EXPECT_FALSE(is_visible(glm::vec3(0, 0, -10)));
    frustum_culling = false;
    EXPECT_TRUE(is_visible(glm::vec3(0, 0, -10)));
    EXPECT_TRUE(is_visible(glm::vec3(1000, -1000, 10)));
    frustum_culling = true;
    // Turned round, the camera sees behind it and no longer in front.
    const glm::mat4 back =
        projection * glm::lookAt(glm::vec3(0.0f), camera_direction(camera_pi, 0), glm::vec3(0, 1, 0));
    EXPECT_TRUE(is_visible_in(back, glm::vec3(0, 0, -10)));
    EXPECT_FALSE(is_visible_in(back, glm::vec3(5, 0, 10)));
}
} // namespace
