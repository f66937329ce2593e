// The visibility test on the game's own camera: points in view pass, and a point beyond any of the four
// side planes, or behind the camera, is culled, whichever way the camera is turned.
#include "render/camera.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

TEST(camera, culls_beyond_each_side_and_behind) {
    // Offsets along the camera's right, up and forward axes; the view is 22.5 degrees to each side vertically
    // and about 29 horizontally at 800 x 600.
    const struct {
        const char* where;
        glm::vec3 offset;
        bool visible;
    } rows[] = {
        {"ahead", {0, 0, 10}, true},       {"ahead, off the axis", {2, 1, 10}, true},
        {"far right", {20, 0, 10}, false}, {"far left", {-20, 0, 10}, false},
        {"far up", {0, 20, 10}, false},    {"far down", {0, -20, 10}, false},
        {"behind", {0, 0, -10}, false},
    };
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    for (const float yaw : {0.0f, 0.7f}) {
        const glm::vec3 forward = camera_direction(yaw, 0.0f);
        const glm::vec3 right = glm::normalize(glm::cross(forward, up));
        const glm::mat4 view_projection =
            make_projection(800.0f, 600.0f) * glm::lookAt(glm::vec3(0.0f), forward, up);
        for (const auto& r : rows) {
            const glm::vec3 point = r.offset.x * right + r.offset.y * up + r.offset.z * forward;
            EXPECT_EQ(is_visible_in(view_projection, point), r.visible) << r.where << ", yaw " << yaw;
        }
    }
}
