// Waves, bonuses, power-ups, hits, freed satellites and game over, with a seeded generator and no window.
#include "game/machine_gun.h"
#include "game/shot.h"
#include "game/world.h"
#include "app/shell/shell.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

// "GAME OVER" ends the process with status 0, which outside a death test would pass the whole run.
void fail_the_run() { std::_Exit(1); }

// One update in a death test's child, where the game's end is expected; exits 3 when the game goes on.
[[noreturn]] void one_update_then_exit() {
    set_shutdown_handler(nullptr);
    update_world(0.0f);
    release_game_objects();
    std::exit(3);
}

class world_suite : public ::testing::Test {
  protected:
    void SetUp() override {
        reset();
        set_shutdown_handler(fail_the_run);
    }
    void TearDown() override {
        reset();
        set_shutdown_handler(nullptr);
    }
    void reset() {
        release_game_objects();
        wave_size = wave_kills = 0;
        weapon = nullptr;
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
    // A still octahedron (radius 1) at position, intact or dissolving.
    enemy* place(glm::vec3 position, bool dissolving) {
        spawn_enemy(position, 2);
        enemies.back()->velocity = glm::vec3(0.0f);
        if (dissolving)
            enemies.back()->hit();
        return enemies.back();
    }
};

// Every removal prints the wave counters and starts a new one-enemy wave, made and moved in that update, on
// a grid of whole units at z = 10 and flying at the origin; about one removal in ten first leaves a bonus
// where the enemy died.
TEST_F(world_suite, waves_and_bonuses_appear_in_their_places) {
    spawn_enemy({0, 0, 10}, 0);
    glm::ivec2 lowest(100), highest(-100);
    std::vector<int> kinds(4, 0);
    int bonuses = 0;
    for (int removal = 0; removal < 300; ++removal) {
        const glm::vec3 death_place = enemies.back()->position;
        enemies.back()->hit();
        enemies.back()->update(2.5f);
        ASSERT_EQ(step(0.5f), removal == 0 ? "0 0\n" : "1 1\n");
        ASSERT_LE(enemies.size(), 2u);
        if (enemies.size() == 2) {
            EXPECT_EQ(enemies.front()->position, death_place);
            EXPECT_EQ(enemies.front()->velocity, glm::vec3(0.0f));
            ++bonuses;
            delete enemies.front(); // bonuses would pile up
            enemies.pop_front();
        }
        const enemy* e = enemies.front();
        const glm::vec3 spawned_at = e->position - 0.5f * e->velocity;
        EXPECT_NEAR(glm::length(e->velocity + glm::normalize(spawned_at)), 0.0f, 1e-5f)
            << "flies at the origin";
        EXPECT_NEAR(spawned_at.z, 10.0f, 1e-4f);
        EXPECT_FLOAT_EQ(e->rotation.x, 30.0f) << "spins at 60 degrees a second";
        const glm::ivec2 cell(glm::round(glm::vec2(spawned_at)));
        EXPECT_NEAR(glm::distance(glm::vec2(spawned_at), glm::vec2(cell)), 0.0f, 1e-4f) << "whole units";
        lowest = glm::min(lowest, cell);
        highest = glm::max(highest, cell);
        kinds.at(size_t(e->type)) += 1;
    }
    EXPECT_EQ(lowest, glm::ivec2(-8, 0));
    EXPECT_EQ(highest, glm::ivec2(2, 2));
    for (int count : kinds)
        EXPECT_GT(count, 0);
    EXPECT_GT(bonuses, 10);
    EXPECT_LT(bonuses, 60);
}

// The weapon powers up when a bonus is removed, 2.5 s after its hit, and not for other enemies.
TEST_F(world_suite, power_up_only_when_a_bonus_is_removed) {
    for (const bool bonus : {true, false}) {
        reset();
        machine_gun gun(shot_mode::simulation_only);
        weapon = &gun;
        if (bonus)
            spawn_bonus({2, 1, 6});
        else
            spawn_enemy({2, 1, 6}, 1);
        enemies.front()->hit();
        step(2.0f);
        EXPECT_EQ(gun.level, 1) << "nothing on the hit or while dissolving";
        step(0.5f);
        EXPECT_EQ(gun.level, bonus ? 2 : 1);
        weapon = nullptr;
    }
}

// The boss carries six satellites 3 units around it; a hit sets them loose once, to fly at the origin from
// where they were attached.
TEST_F(world_suite, boss_hit_frees_its_six_satellites) {
    spawn_boss({0, 0, 10});
    ASSERT_EQ(enemies.size(), 7u);
    const enemy* boss = enemies.front();
    step(0.25f);
    add_shot(boss->position);
    EXPECT_EQ(step(0.0f).size(), 6 * std::string("DELETED FOUND\n").size());
    EXPECT_EQ(boss->health, 199);
    std::vector<glm::vec3> freed_places;
    glm::vec3 offsets(0.0f);
    for (auto it = std::next(enemies.begin()); it != enemies.end(); ++it) {
        EXPECT_NEAR(glm::distance((*it)->position, boss->position), 3.0f, 1e-5f);
        offsets += (*it)->position - boss->position;
        freed_places.push_back((*it)->position);
    }
    EXPECT_NEAR(glm::length(offsets), 0.0f, 1e-5f) << "spread evenly around the boss";
    EXPECT_EQ(step(0.5f), "") << "freed only once";
    size_t i = 0;
    for (auto it = std::next(enemies.begin()); it != enemies.end(); ++it, ++i)
        EXPECT_EQ((*it)->position, 0.75f * freed_places[i]) << "satellite " << i;
}

// A shot takes the first intact enemy whose sphere holds it; an enemy takes at most one shot per update.
TEST_F(world_suite, shots_hit_one_intact_enemy_each) {
    const struct {
        std::vector<bool> dissolving; // the enemies at (0, 0, 5), front to back
        std::vector<glm::vec3> shots_at;
        std::vector<bool> hit_now; // which enemies this update hit
        size_t shots_left;
    } rows[] = {
        {{false, false}, {{0, 0, 5}}, {true, false}, 0},
        {{true, false}, {{0, 0, 5}}, {false, true}, 0},
        {{false}, {{0, 0, 5}, {0, 0, 5}}, {true}, 1},
        {{false}, {{1, 0, 5}}, {false}, 1}, // exactly at the radius: a miss
    };
    for (const auto& r : rows) {
        reset();
        std::vector<enemy*> placed;
        for (bool dissolving : r.dissolving)
            placed.push_back(place({0, 0, 5}, dissolving));
        for (const glm::vec3& p : r.shots_at)
            add_shot(p);
        step(0.0f);
        for (size_t i = 0; i < placed.size(); ++i)
            EXPECT_EQ(placed[i]->health, (r.dissolving[i] || r.hit_now[i]) ? 199 : 200) << "enemy " << i;
        EXPECT_EQ(shots.size(), r.shots_left);
    }
}

// The game ends when an enemy's centre, hit or not, comes closer than 2 units to the origin.
TEST_F(world_suite, game_over_within_two_units) {
    const struct {
        glm::vec3 position;
        bool dissolving, ends;
    } rows[] = {{{1, 1, 1}, false, true},
                {{0, 0, 1.5f}, true, true},
                {{0, 0, 2}, false, false},
                {{0, 2, 0}, false, false}};
    for (const auto& r : rows) {
        reset();
        place(r.position, r.dissolving);
        EXPECT_EXIT(one_update_then_exit(), ::testing::ExitedWithCode(r.ends ? 0 : 3),
                    r.ends ? "GAME OVER" : "")
            << r.position.x << " " << r.position.y << " " << r.position.z;
    }
}

} // namespace
