// Waves, bonuses, power-ups, hits, freed satellites and game over, with a seeded generator and no window.
#include "game/machine_gun.h"
#include "game/shot.h"
#include "game/world.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

double test_clock() { return 0.0; }
glm::vec2 test_aim() { return glm::vec2(0.0f); }

bool is_bonus(const enemy* e) { return e->scale == glm::vec3(0.5f) && e->velocity == glm::vec3(0.0f); }

class world_suite : public ::testing::Test {
  protected:
    void SetUp() override {
        reset();
        weapon = &gun;
    }
    void TearDown() override {
        reset();
        weapon = nullptr;
    }
    void reset() {
        release_game_objects();
        wave_size = 0;
        wave_kills = 0;
        std::srand(1);
    }
    // Runs one update and returns what it printed.
    std::string step(float dt) {
        testing::internal::CaptureStdout();
        update_world(dt);
        return testing::internal::GetCapturedStdout();
    }
    void add_shot(glm::vec3 position) {
        testing::internal::CaptureStdout();
        shots.push_back(std::make_shared<shot>(position, glm::vec3(0.0f), shot_mode::simulation_only));
        testing::internal::GetCapturedStdout();
    }
    // A still enemy of the given type placed directly in the world.
    enemy* place(glm::vec3 position, int type) {
        enemies.push_back(new enemy(position));
        enemies.back()->type = type;
        return enemies.back();
    }
    // Hits e and lets it dissolve completely: the next update removes it.
    static void finish(enemy* e) {
        e->hit();
        e->update(2.5f);
        ASSERT_TRUE(e->is_dead());
    }
    machine_gun gun{shot_mode::simulation_only, test_clock, test_aim};
};

TEST_F(world_suite, counters_line_and_one_enemy_waves) {
    spawn_enemy({0, 0, 10}, 2);
    std::string printed;
    for (int removal = 0; removal < 4; ++removal) {
        finish(enemies.back()); // each new wave comes last
        printed += step(0.0f);
        EXPECT_EQ(wave_size, 1);
        EXPECT_EQ(wave_kills, 1);
    }
    EXPECT_EQ(printed, "0 0\n1 1\n1 1\n1 1\n");
}

// Every removal starts a new one-enemy wave and now and then leaves a bonus where the enemy died; both
// are made during the update, which also moves and turns them.
TEST_F(world_suite, waves_and_bonuses_appear_in_their_places) {
    spawn_enemy({0, 0, 10}, 0);
    glm::ivec2 lowest(100), highest(-100);
    std::vector<int> kinds(4, 0);
    int bonuses = 0;
    for (int removal = 0; removal < 300; ++removal) {
        enemy* dying = enemies.back();
        const glm::vec3 death_place = dying->position;
        finish(dying);
        step(0.5f);
        ASSERT_GE(enemies.size(), 1u);
        ASSERT_LE(enemies.size(), 2u);
        if (enemies.size() == 2) {
            enemy* b = enemies.front();
            ASSERT_TRUE(is_bonus(b)) << "the bonus comes before the new wave";
            EXPECT_EQ(b->position, death_place);
            EXPECT_EQ(b->color, glm::vec4(0.5f, 1.0f, 1.0f, 0.8f));
            EXPECT_EQ(b->type, 0);
            EXPECT_FLOAT_EQ(b->rotation.x, 30.0f);
            ++bonuses;
            delete b; // bonuses would pile up
            enemies.pop_front();
        }
        const enemy* e = enemies.front();
        ASSERT_FALSE(is_bonus(e));
        EXPECT_FLOAT_EQ(e->rotation.x, 30.0f) << "turned in the update that made it";
        const glm::vec3 spawned_at = e->position - 0.5f * e->velocity;
        EXPECT_NEAR(spawned_at.z, 10.0f, 1e-4f);
        EXPECT_LT(e->position.z, 10.0f) << "moved in the update that made it";
        const glm::ivec2 cell(glm::round(glm::vec2(spawned_at)));
        EXPECT_NEAR(glm::distance(glm::vec2(spawned_at), glm::vec2(cell)), 0.0f, 1e-4f) << "whole units";
        lowest = glm::min(lowest, cell);
        highest = glm::max(highest, cell);
        ASSERT_GE(e->type, 0);
        ASSERT_LE(e->type, 3);
        kinds[size_t(e->type)] += 1;
        EXPECT_NEAR(glm::length(e->velocity + glm::normalize(spawned_at)), 0.0f, 1e-5f)
            << "flies at the origin";
        EXPECT_EQ(e->angular_velocity, glm::vec3(60, 0, 0));
        EXPECT_EQ(e->parent, nullptr);
    }
    EXPECT_EQ(lowest, glm::ivec2(-8, 0));
    EXPECT_EQ(highest, glm::ivec2(2, 2));
    for (int count : kinds)
        EXPECT_GT(count, 0);
    // About one removal in ten leaves a bonus.
    EXPECT_GT(bonuses, 10);
    EXPECT_LT(bonuses, 60);
}

TEST_F(world_suite, power_up_only_when_a_bonus_is_removed) {
    enum kind { bonus, wave, still_wireframe };
    const struct {
        kind what;
        int level_after_removal;
    } rows[] = {{bonus, 2}, {wave, 1}, {still_wireframe, 1}};
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "kind " << r.what);
        reset();
        gun.level = 1;
        if (r.what == bonus)
            spawn_bonus({2, 1, 6});
        else if (r.what == wave)
            spawn_enemy({2, 1, 6}, 1);
        else // stationary but drawn with another colour uniform: not a bonus
            place({2, 1, 6}, 0)->color_location = 1234;
        enemies.front()->hit();
        step(1.0f);
        EXPECT_EQ(gun.level, 1) << "nothing on the hit";
        step(1.0f);
        EXPECT_EQ(gun.level, 1) << "nothing while dissolving";
        step(0.5f);
        EXPECT_EQ(gun.level, r.level_after_removal);
    }
}

TEST_F(world_suite, boss_hit_frees_its_six_satellites) {
    spawn_boss({0, 0, 10});
    ASSERT_EQ(enemies.size(), 7u);
    enemy* boss = enemies.front();
    enemy* early = *std::next(enemies.begin(), 3);
    step(0.25f);
    EXPECT_EQ(boss->position, glm::vec3(0, 0, 9.75f));
    for (auto it = std::next(enemies.begin()); it != enemies.end(); ++it) {
        EXPECT_EQ((*it)->parent, boss);
        EXPECT_EQ((*it)->type, 1);
        EXPECT_EQ((*it)->position, boss->position + (*it)->velocity);
    }
    // A satellite hit before its boss is freed with the others but stays where it is.
    add_shot(glm::vec3(early->bounding_sphere()));
    step(0.0f);
    ASSERT_EQ(early->health, 199);
    ASSERT_EQ(early->parent, boss);
    const glm::vec3 early_place = early->position;

    add_shot(boss->position);
    EXPECT_EQ(step(0.0f), "DELETED FOUND\nDELETED FOUND\nDELETED FOUND\n"
                          "DELETED FOUND\nDELETED FOUND\nDELETED FOUND\n");
    EXPECT_EQ(boss->health, 199);
    EXPECT_TRUE(shots.empty());
    std::vector<glm::vec3> freed_places;
    for (auto it = std::next(enemies.begin()); it != enemies.end(); ++it) {
        EXPECT_EQ((*it)->parent, nullptr);
        EXPECT_EQ((*it)->velocity, -0.5f * (*it)->position);
        freed_places.push_back((*it)->position);
    }
    EXPECT_EQ(step(0.5f), "") << "freed only once";
    size_t i = 0;
    for (auto it = std::next(enemies.begin()); it != enemies.end(); ++it, ++i)
        EXPECT_EQ((*it)->position, *it == early ? early_place : 0.75f * freed_places[i]) << "satellite " << i;
}

TEST_F(world_suite, shots_hit_one_intact_enemy_each) {
    const struct {
        std::vector<bool> dissolving; // the enemies at (0, 0, 5), front to back
        std::vector<glm::vec3> shots_at;
        std::vector<bool> hit_now; // which enemies this update hit
        size_t shots_left;
    } rows[] = {
        {{false, false}, {{0, 0, 5}}, {true, false}, 0},
        {{true, false}, {{0, 0, 5}}, {false, true}, 0}, // a dissolving enemy lets the shot pass
        {{true, true}, {{0, 0, 5}}, {false, false}, 1},
        {{false}, {{0, 0, 5}, {0, 0, 5}}, {true}, 1}, // at most one shot per enemy per update
        {{false, false}, {{0, 0, 5}, {0.5f, 0, 5}}, {true, true}, 0},
        {{false}, {{1, 0, 5}}, {false}, 1}, // exactly at the radius: a miss
        {{false}, {{0, 0, 6.5f}}, {false}, 1},
    };
    for (const auto& r : rows) {
        reset();
        std::vector<enemy*> placed;
        for (bool dissolving : r.dissolving) {
            placed.push_back(place({0, 0, 5}, 2));
            if (dissolving)
                placed.back()->hit();
        }
        for (const glm::vec3& p : r.shots_at)
            add_shot(p);
        step(0.0f);
        for (size_t i = 0; i < placed.size(); ++i)
            EXPECT_EQ(placed[i]->health, (r.dissolving[i] || r.hit_now[i]) ? 199 : 200) << "enemy " << i;
        EXPECT_EQ(shots.size(), r.shots_left);
    }
}

TEST_F(world_suite, game_over_within_two_units_before_the_shot_test) {
    enum state { intact, dissolving, bonus_item, shot_in_it };
    const struct {
        glm::vec3 position;
        state how;
        bool ends;
    } rows[] = {
        {{1, 1, 1}, intact, true},        {{0, 0, 1.5f}, dissolving, true}, {{0, 1.9f, 0}, bonus_item, true},
        {{0, 0, 1.5f}, shot_in_it, true}, {{0, 0, 2}, intact, false},       {{0, 2, 0}, intact, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "state " << r.how << " at " << r.position.x << " " << r.position.y
                                        << " " << r.position.z);
        reset();
        if (r.how == bonus_item) {
            spawn_bonus(r.position);
        } else {
            enemy* e = place(r.position, 2);
            if (r.how == dissolving)
                e->hit();
            if (r.how == shot_in_it)
                add_shot(r.position);
        }
        if (r.ends) {
            EXPECT_EXIT(update_world(0.0f), ::testing::ExitedWithCode(0), "GAME OVER");
        } else {
            step(0.0f);
            EXPECT_EQ(enemies.size(), 1u);
        }
    }
}

} // namespace
