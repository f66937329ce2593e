// Enemy motion, dissolve timeline, hits and bounding spheres, without a window.
#include "game/enemy.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(enemy, free_enemy_moves_by_velocity_and_attached_one_follows_its_parent) {
    enemy parent({0, 0, 10});
    parent.velocity = {0, 0, -1};
    enemy child({3, 0, 10});
    child.velocity = {3, 0, 0};
    child.parent = &parent;
    EXPECT_EQ(glm::vec3(parent.bounding_sphere()), glm::vec3(0, 0, 10)) << "placed before its first update";
    parent.update(2.0f);
    child.update(2.0f);
    EXPECT_EQ(parent.position, glm::vec3(0, 0, 8));
    EXPECT_EQ(child.position, glm::vec3(3, 0, 8));
    parent.rotation = {90, 0, 0};
    parent.update_model_matrix();
    child.update_model_matrix();
    EXPECT_NEAR(glm::distance(glm::vec3(child.bounding_sphere()), glm::vec3(0, 0, 5)), 0.0f, 1e-5f)
        << "a satellite circles with its parent's yaw";
}

// A hit freezes the enemy and it loses 80 health points a second, truncated; it is dead below 0 only.
TEST(enemy, dissolve_timeline_after_a_hit) {
    const struct {
        std::vector<float> steps; // dt of each update after the hit
        int health;               // health after the last step
        bool dead;
    } rows[] = {
        {{0.5f, 0.5f, 0.5f, 0.5f}, 39, false},
        {{2.4375f, 0.046875f}, 0, false},             // dissolve 0.25: health 0, alive
        {{2.4375f, 0.046875f, 0.0078125f}, 0, false}, // -0.375: still truncated to 0
        {{2.5f}, -1, true},
    };
    for (const auto& r : rows) {
        enemy e({0, 0, 10});
        e.velocity = {0, 0, -1};
        e.angular_velocity = {60, 0, 0};
        e.update(0.5f);
        const enemy frozen = e;
        e.hit();
        EXPECT_EQ(e.health, 199);
        for (float dt : r.steps)
            e.update(dt);
        EXPECT_EQ(e.health, r.health) << "after " << r.steps.size() << " steps";
        EXPECT_EQ(e.is_dead(), r.dead) << "after " << r.steps.size() << " steps";
        EXPECT_EQ(e.get_model_matrix(), frozen.get_model_matrix());
    }
}

// The radius follows only the x extent of the model matrix, so it depends on the yaw.
TEST(enemy, bounding_radius_per_type_yaw_and_scale) {
    const float root2 = std::sqrt(2.0f);
    const struct {
        int type;
        float yaw, scale, radius;
    } rows[] = {{0, 0, 1, root2}, {0, 0, 2, 2},  {0, 90, 1, 0}, {1, 0, 2, 1},
                {2, 0, 2, 2},     {2, 90, 1, 0}, {3, 90, 2, 1}};
    const glm::vec3 position(1, 2, 7);
    for (const auto& r : rows) {
        enemy e(position);
        e.type = r.type;
        e.rotation = {r.yaw, 0, 0};
        e.scale = glm::vec3(r.scale);
        e.update_model_matrix();
        const glm::vec4 s = e.bounding_sphere();
        // At 90 degrees the x extent is cos(90°) in single precision, a few 1e-8: the root of it stays small.
        EXPECT_NEAR(s.w, r.radius, 1e-3f) << "type " << r.type << " yaw " << r.yaw << " scale " << r.scale;
        EXPECT_NEAR(glm::distance(glm::vec3(s), position), 0.0f, 1e-5f);
    }
}

} // namespace
