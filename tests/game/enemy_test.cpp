// Enemy motion, dissolve timeline, hits and bounding spheres, without a window.
#include "game/enemy.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(enemy, fresh_model_matrix_is_a_pure_translation) {
    for (const glm::vec3& p : {glm::vec3(1, 2, 3), glm::vec3(0.5f, -2.25f, 15)}) {
        const enemy e(p);
        const glm::mat4 expected = glm::translate(glm::mat4(1.0f), p);
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                EXPECT_FLOAT_EQ(e.get_model_matrix()[c][r], expected[c][r]) << "column " << c << " row " << r;
        EXPECT_EQ(e.health, 200);
        EXPECT_FALSE(e.is_dead());
    }
}

TEST(enemy, rotation_stays_within_a_full_turn) {
    const struct {
        glm::vec3 start, angular_velocity;
        float dt;
        glm::vec3 expected;
    } rows[] = {
        {{350, 0, 0}, {20, 0, 0}, 1.0f, {10, 0, 0}},  {{359, 0, 0}, {1, 0, 0}, 1.0f, {0, 0, 0}},
        {{10, 0, 0}, {-30, 0, 0}, 1.0f, {340, 0, 0}}, {{0, 350, 180}, {0, 40, 360}, 0.5f, {0, 10, 0}},
        {{10, 0, 0}, {720, 0, 0}, 1.0f, {10, 0, 0}},
    };
    for (const auto& r : rows) {
        enemy e({0, 0, 5});
        e.rotation = r.start;
        e.angular_velocity = r.angular_velocity;
        e.update(r.dt);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(e.rotation[i], r.expected[i], 1e-4f) << "axis " << i << " from " << r.start[i];
            EXPECT_LT(e.rotation[i], 360.0f);
        }
    }
}

TEST(enemy, free_enemy_moves_by_velocity_and_attached_one_follows_its_parent) {
    enemy parent({0, 0, 10});
    parent.velocity = {0, 0, -1};
    enemy child({3, 0, 10});
    child.velocity = {3, 0, 0};
    child.parent = &parent;
    parent.update(2.0f);
    child.update(2.0f);
    EXPECT_EQ(parent.position, glm::vec3(0, 0, 8));
    EXPECT_EQ(child.position, glm::vec3(3, 0, 8));
    // Drawn in the parent's frame: its centre is the parent's matrix applied to the offset.
    EXPECT_NEAR(glm::distance(glm::vec3(child.bounding_sphere()), glm::vec3(3, 0, 8)), 0.0f, 1e-5f);
    parent.rotation = {90, 0, 0};
    parent.update_model_matrix();
    child.update_model_matrix();
    EXPECT_NEAR(glm::distance(glm::vec3(child.bounding_sphere()), glm::vec3(0, 0, 5)), 0.0f, 1e-5f)
        << "a satellite circles with its parent's yaw";
    EXPECT_EQ(child.position, glm::vec3(3, 0, 8)) << "position stays the unrotated offset";
}

TEST(enemy, dissolve_timeline_after_a_hit_and_later_hits) {
    const struct {
        std::vector<float> steps; // dt of each update after the hit
        int health;               // health after the last step
        bool dead;
    } rows[] = {
        {{0.5f, 0.5f, 0.5f, 0.5f}, 39, false},
        {{0.5f, 0.5f, 0.5f, 0.5f, 0.5f}, -1, true},
        {std::vector<float>(20, 0.125f), -1, true},
        {{2.4375f, 0.046875f}, 0, false},                         // dissolve 0.25: health 0, alive
        {{2.4375f, 0.046875f, 0.0078125f}, 0, false},             // -0.375: still truncated to 0
        {{2.4375f, 0.046875f, 0.0078125f, 0.0078125f}, -1, true}, // -1.0: dead
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
        float elapsed = 0.0f;
        for (float dt : r.steps) {
            e.update(dt);
            elapsed += dt;
        }
        EXPECT_EQ(e.health, r.health) << "after " << elapsed << " s";
        EXPECT_EQ(e.is_dead(), r.dead) << "after " << elapsed << " s";
        EXPECT_EQ(e.position, frozen.position);
        EXPECT_EQ(e.rotation, frozen.rotation);
        EXPECT_EQ(e.get_model_matrix(), frozen.get_model_matrix());
        // A hit on a dissolving enemy changes nothing, not even its program.
        e.program = 42;
        const float dissolve = e.dissolve;
        e.hit();
        EXPECT_EQ(e.dissolve, dissolve);
        EXPECT_EQ(e.health, r.health);
        EXPECT_EQ(e.is_dead(), r.dead);
        EXPECT_EQ(e.program, 42u);
    }
}

// The radius follows only the x extent of the model matrix, so it depends on the yaw.
TEST(enemy, bounding_radius_per_type_yaw_and_scale) {
    const float root2 = std::sqrt(2.0f);
    const struct {
        int type;
        float yaw, scale, radius;
    } rows[] = {
        {0, 0, 1, root2}, {0, 90, 1, 0}, {0, 0, 2, 2}, {0, 90, 2, 0}, {0, 180, 1, root2}, {0, 60, 1, 1},
        {1, 0, 1, 1},     {1, 90, 1, 1}, {1, 0, 2, 1}, {1, 90, 2, 1}, {2, 0, 1, 1},       {2, 90, 1, 0},
        {2, 0, 2, 2},     {2, 90, 2, 0}, {3, 0, 1, 1}, {3, 90, 1, 1}, {3, 0, 2, 1},       {3, 90, 2, 1},
    };
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
