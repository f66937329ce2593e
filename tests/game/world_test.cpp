// Waves, bonuses, power-ups, hits, freed satellites and game over, with a seeded generator and no window.
#include "game/machine_gun.h"
#include "game/shot.h"
#include "game/world.h"

#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

double test_clock() { return 0.0; }
glm::vec2 test_aim() { return glm::vec2(0.0f); }

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool looks_like_bonus(const enemy* e) {
    return e->scale == glm::vec3(0.5f) && e->velocity == glm::vec3(0.0f);
}

class world_suite : public ::testing::Test {
  protected:
    void SetUp() override {
        reset();
        gun = new machine_gun(test_clock, test_aim);
        weapon = gun;
    }
    void TearDown() override {
        reset();
        weapon = nullptr;
        delete gun;
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
        shots.push_back(std::make_shared<shot>(position, glm::vec3(0.0f)));
        testing::internal::GetCapturedStdout();
    }
    // A still enemy of the given type placed directly in the world.
    enemy* place(glm::vec3 position, int type) {
        enemy* e = new enemy(position);
        e->type = type;
        enemies.push_back(e);
        return e;
    }
    // Hits e and lets it dissolve completely: the next update removes it.
    static void finish(enemy* e) {
        e->hit();
        e->update(2.5f);
        ASSERT_TRUE(e->is_dead());
    }
    // The one enemy that is not a bonus.
    enemy* wave_enemy() {
        enemy* found = nullptr;
        for (enemy* e : enemies) {
            if (!looks_like_bonus(e)) {
                EXPECT_EQ(found, nullptr) << "more than one wave enemy";
                found = e;
            }
        }
        return found;
    }

    machine_gun* gun = nullptr;
};

TEST_F(world_suite, counters_line_and_one_enemy_waves) {
    spawn_enemy({0, 0, 10}, 2);
    std::vector<std::string> printed;
    for (int removal = 0; removal < 6; ++removal) {
        enemy* target = wave_enemy();
        ASSERT_NE(target, nullptr);
        finish(target);
        const std::vector<std::string> lines = lines_of(step(0.0f));
        printed.insert(printed.end(), lines.begin(), lines.end());
        EXPECT_EQ(wave_size, 1);
        EXPECT_EQ(wave_kills, 1);
    }
    EXPECT_EQ(printed, (std::vector<std::string>{"0 0", "1 1", "1 1", "1 1", "1 1", "1 1"}));
}

TEST_F(world_suite, wave_enemies_appear_in_their_area) {
    spawn_enemy({0, 0, 10}, 0);
    int lowest_x = 100, highest_x = -100, lowest_y = 100, highest_y = -100;
    std::vector<int> kinds(4, 0);
    for (int removal = 0; removal < 300; ++removal) {
        finish(wave_enemy());
        step(0.0f);
        // Bonuses would pile up; only the wave matters here.
        for (auto it = enemies.begin(); it != enemies.end();) {
            if (looks_like_bonus(*it)) {
                delete *it;
                it = enemies.erase(it);
            } else {
                ++it;
            }
        }
        const enemy* e = wave_enemy();
        ASSERT_NE(e, nullptr);
        const glm::vec3 p = e->position;
        EXPECT_EQ(p.x, std::round(p.x));
        EXPECT_EQ(p.y, std::round(p.y));
        EXPECT_EQ(p.z, 10.0f);
        lowest_x = std::min(lowest_x, int(p.x));
        highest_x = std::max(highest_x, int(p.x));
        lowest_y = std::min(lowest_y, int(p.y));
        highest_y = std::max(highest_y, int(p.y));
        ASSERT_GE(e->type, 0);
        ASSERT_LE(e->type, 3);
        kinds[size_t(e->type)] += 1;
        EXPECT_NEAR(glm::length(e->velocity + glm::normalize(p)), 0.0f, 1e-5f) << "flies at the origin";
        EXPECT_EQ(e->angular_velocity, glm::vec3(60, 0, 0));
        EXPECT_EQ(e->parent, nullptr);
    }
    EXPECT_EQ(lowest_x, -8);
    EXPECT_EQ(highest_x, 2);
    EXPECT_EQ(lowest_y, 0);
    EXPECT_EQ(highest_y, 2);
    for (int count : kinds)
        EXPECT_GT(count, 0);
}

TEST_F(world_suite, bonus_appears_where_the_enemy_died) {
    const glm::vec3 death_place(1.5f, 0.5f, 9.0f);
    int with_bonus = 0, without_bonus = 0;
    for (unsigned seed = 1; seed <= 120; ++seed) {
        reset();
        std::srand(seed);
        spawn_enemy(death_place, 3);
        finish(enemies.front());
        step(0.0f);
        std::vector<const enemy*> bonuses;
        for (const enemy* e : enemies)
            if (looks_like_bonus(e))
                bonuses.push_back(e);
        ASSERT_LE(bonuses.size(), 1u);
        if (bonuses.empty()) {
            ++without_bonus;
            EXPECT_EQ(enemies.size(), 1u) << "only the new wave";
            continue;
        }
        ++with_bonus;
        const enemy* b = bonuses.front();
        EXPECT_EQ(b->position, death_place);
        EXPECT_EQ(b->color, glm::vec4(0.5f, 1.0f, 1.0f, 0.8f));
        EXPECT_EQ(b->type, 0);
        EXPECT_EQ(b->angular_velocity.x, 60.0f);
        EXPECT_EQ(enemies.back(), wave_enemy()) << "the bonus comes before the new wave";
    }
    // About one removal in ten leaves a bonus.
    EXPECT_GT(with_bonus, 3);
    EXPECT_GT(without_bonus, 80);
}

TEST_F(world_suite, power_up_only_when_a_bonus_is_removed) {
    enum kind { bonus, wave, still_wireframe };
    struct row {
        kind what;
        int level_after_removal;
    };
    const std::vector<row> rows = {{bonus, 2}, {wave, 1}, {still_wireframe, 1}};
    for (const row& r : rows) {
        reset();
        gun->level = 1;
        if (r.what == bonus) {
            spawn_bonus({2, 1, 6});
        } else if (r.what == wave) {
            spawn_enemy({2, 1, 6}, 1);
        } else {
            // Stationary but drawn with another colour uniform: not a bonus.
            place({2, 1, 6}, 0)->color_location = 1234;
        }
        enemy* target = enemies.front();
        target->hit();
        step(1.0f);
        EXPECT_EQ(gun->level, 1) << "nothing on the hit, kind " << r.what;
        step(1.0f);
        EXPECT_EQ(gun->level, 1) << "nothing while dissolving, kind " << r.what;
        step(0.5f);
        EXPECT_EQ(gun->level, r.level_after_removal) << "kind " << r.what;
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
    const std::vector<std::string> lines = lines_of(step(0.0f));
    EXPECT_EQ(lines, std::vector<std::string>(6, "DELETED FOUND"));
    EXPECT_EQ(boss->health, 199);
    EXPECT_TRUE(shots.empty());
    std::vector<glm::vec3> freed_places;
    for (auto it = std::next(enemies.begin()); it != enemies.end(); ++it) {
        EXPECT_EQ((*it)->parent, nullptr);
        EXPECT_EQ((*it)->velocity, -0.5f * (*it)->position);
        freed_places.push_back((*it)->position);
    }
    EXPECT_EQ(lines_of(step(0.5f)), std::vector<std::string>()) << "freed only once";
    size_t i = 0;
    for (auto it = std::next(enemies.begin()); it != enemies.end(); ++it, ++i) {
        if (*it == early)
            EXPECT_EQ((*it)->position, early_place);
        else
            EXPECT_EQ((*it)->position, 0.75f * freed_places[i]) << "heads for the origin";
    }
}

TEST_F(world_suite, shots_hit_one_intact_enemy_each) {
    struct row {
        std::vector<bool> dissolving; // the enemies at (0, 0, 5), front to back
        std::vector<glm::vec3> shots_at;
        std::vector<bool> hit_now; // which enemies this update hit
        size_t shots_left;
    };
    const std::vector<row> rows = {
        {{false, false}, {{0, 0, 5}}, {true, false}, 0},
        {{true, false}, {{0, 0, 5}}, {false, true}, 0},
        {{true, true}, {{0, 0, 5}}, {false, false}, 1},
        {{false}, {{0, 0, 5}, {0, 0, 5}}, {true}, 1},
        {{false, false}, {{0, 0, 5}, {0.5f, 0, 5}}, {true, true}, 0},
        {{false}, {{0.5f, 0, 5}}, {true}, 0},
        {{false}, {{1, 0, 5}}, {false}, 1}, // exactly at the radius: a miss
        {{false}, {{0, 0, 6.5f}}, {false}, 1},
    };
    for (const row& r : rows) {
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
        for (size_t i = 0; i < placed.size(); ++i) {
            const int expected = (r.dissolving[i] || r.hit_now[i]) ? 199 : 200;
            EXPECT_EQ(placed[i]->health, expected) << "enemy " << i << " of " << placed.size();
        }
        EXPECT_EQ(shots.size(), r.shots_left);
    }
}

TEST_F(world_suite, enemies_made_during_an_update_take_part_in_it) {
    spawn_enemy({0, 0, 10}, 1);
    finish(enemies.front());
    step(0.5f);
    ASSERT_FALSE(enemies.empty());
    for (const enemy* e : enemies) {
        EXPECT_FLOAT_EQ(e->rotation.x, 30.0f) << "turned in the update that made it";
        if (!looks_like_bonus(e)) {
            const glm::vec3 spawned_at = e->position - 0.5f * e->velocity;
            EXPECT_NEAR(spawned_at.z, 10.0f, 1e-4f);
            EXPECT_NEAR(spawned_at.x, std::round(spawned_at.x), 1e-4f);
            EXPECT_NEAR(spawned_at.y, std::round(spawned_at.y), 1e-4f);
            EXPECT_LT(e->position.z, 10.0f) << "moved in the update that made it";
        }
    }
}

TEST_F(world_suite, game_over_comes_before_the_shot_test) {
    enum state { intact, dissolving, bonus_item, shot_in_it };
    struct row {
        glm::vec3 position;
        state how;
    };
    const std::vector<row> rows = {
        {{0, 0, 1.5f}, intact},     {{0, 0, 1.5f}, dissolving}, {{0, 1.9f, 0}, bonus_item},
        {{0, 0, 1.5f}, shot_in_it}, {{1, 1, 1}, dissolving},
    };
    for (const row& r : rows) {
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
        EXPECT_EXIT(update_world(0.0f), ::testing::ExitedWithCode(0), "GAME OVER") << "state " << r.how;
    }
}

TEST_F(world_suite, no_game_over_at_two_units_or_more) {
    const std::vector<glm::vec3> places = {{0, 0, 2}, {0, 2, 0}, {3, 0, 0}};
    for (const glm::vec3& p : places) {
        reset();
        place(p, 2);
        step(0.0f);
        EXPECT_EQ(enemies.size(), 1u);
    }
}

} // namespace
