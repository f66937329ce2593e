// Enemy motion, free and attached to a parent, without a window.
#include "game/enemy.h"

#include <gtest/gtest.h>

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

} // namespace
