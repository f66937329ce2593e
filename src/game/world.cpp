// The per-frame rules of the game and the spawning of its enemies.
#include "world.h"

#include "app/shell/shell.h"
#include "draw_resources.h"
#include "render/camera.h"
#include "shot.h"
#include "shot_grid.h"
#include "weapon.h"

#include <cassert>
#include <cstdlib>
#include <iostream>
#include <vector>

std::list<enemy*> enemies;
int wave_size = 0;
int wave_kills = 0;

namespace {
// An enemy whose centre comes closer than this to the origin ends the game.
constexpr float game_over_distance = 2.0f;
constexpr float enemy_speed = 1.0f;
constexpr float enemy_spin = 60.0f;
constexpr float satellite_spin = 120.0f;
constexpr float satellite_spacing = 3.0f;
constexpr int satellite_count = 6;
constexpr float freed_satellite_pull = 0.5f;
constexpr float bonus_scale = 0.5f;
// The bonus roll is one in (wave_size + this).
constexpr int bonus_odds = 10;
// New waves: x base from -8 to 2, height step from 1 to 3, in the plane z = 10.
constexpr int wave_x_choices = 11;
constexpr int wave_x_lowest = -8;
constexpr int wave_height_choices = 3;
constexpr float wave_spacing = 2.0f;
constexpr float wave_depth = 10.0f;
constexpr int satellite_kind = 1;
constexpr int bonus_kind = 0;

const glm::vec4 boss_color(1.0f, 0.5f, 0.5f, 0.5f);
const glm::vec4 bonus_color(0.5f, 1.0f, 1.0f, 0.8f);

glm::vec3 toward_origin(glm::vec3 position) {
    return glm::normalize(glm::vec3(0.0f) - position) * enemy_speed;
}

bool is_bonus(const enemy& e) {
    return e.velocity == glm::vec3(0.0f) && e.color_location == world_resources.lit_color_location;
}

// Every new wave holds a single enemy: both counters are set to 1, neither is incremented.
void start_wave() {
    wave_size = 1;
    wave_kills = 1;
    const int base = std::rand() % wave_x_choices + wave_x_lowest;
    const int k = std::rand() % wave_height_choices + 1;
    float sign = 1.0f;
    for (int i = 0; i < wave_size; ++i) {
        const glm::vec3 position(float(base) + wave_spacing * float(i), float(k) * sign - 1.0f, wave_depth);
        spawn_enemy(position, std::rand() % built_in_solid_kinds);
        sign = -sign;
    }
}

// Removes the dead enemy at it and returns the next position of the walk.
std::list<enemy*>::iterator remove_enemy(std::list<enemy*>::iterator it) {
    enemy* e = *it;
    if (std::rand() % (wave_size + bonus_odds) == 0)
        spawn_bonus(e->position);
    if (is_bonus(*e) && weapon)
        weapon->power_up();
    std::cout << wave_kills << " " << wave_size << std::endl;
    if (wave_kills == wave_size)
        start_wave();
    else
        wave_kills += 1;
    // The new wave is appended before the erase, so the walk reaches it even when e was the last enemy
    // (erasing the last one would hand back end(), which stays end() after a later append).
    delete e;
    return enemies.erase(it);
}

// Shots are moved before any enemy is tested and nothing in the walk fires, so one index per update
// serves every enemy of the walk; its capacity stays from one update to the next.
shot_grid shot_index;

// An intact enemy takes the first shot in list order within its bounding sphere, at most one per update.
void test_shots(enemy& e, glm::vec3 centre, float radius, std::vector<enemy*>& hit_bosses) {
    if (e.health != intact_health)
        return;
    const int first = shot_index.first_within(centre, radius);
    if (first < 0)
        return;
    e.hit();
    if (e.mesh == world_resources.boss)
        hit_bosses.push_back(&e);
    shot_index.take(first);
}

// Satellites of a boss hit in this update fly loose toward the origin from their unrotated place.
void free_satellites(const std::vector<enemy*>& hit_bosses) {
    for (enemy* f : enemies) {
        for (const enemy* boss : hit_bosses) {
            if (f->parent == boss) {
                std::cout << "DELETED FOUND" << std::endl;
                f->parent = nullptr;
                f->velocity = -(f->position * freed_satellite_pull);
            }
        }
    }
}
} // namespace

void update_world(float dt) {
    static std::vector<enemy*> hit_bosses;
    if (weapon)
        weapon->update(dt);
    shot_index.rebuild(shots);
    // end() is re-read at every step, so enemies appended during the walk are visited in it.
    for (auto it = enemies.begin(); it != enemies.end();) {
        enemy* e = *it;
        e->update(dt);
        if (e->is_dead()) {
            it = remove_enemy(it);
            continue;
        }
        const glm::vec4 s = e->bounding_sphere();
        const glm::vec3 centre(s);
        if (glm::length(centre) < game_over_distance)
            exit_with_message("GAME OVER", 0);
        test_shots(*e, centre, s.w, hit_bosses);
        ++it;
    }
    free_satellites(hit_bosses);
    hit_bosses.clear();
}

void draw_world() {
    for (enemy* e : enemies) {
        if (is_visible(e->position))
            e->draw();
    }
    if (weapon)
        weapon->draw();
}

void spawn_enemy(glm::vec3 position, int type) {
    assert(type >= 0 && type < built_in_solid_kinds);
    enemy* e = new enemy(position);
    e->set_shader(world_resources.wire_program);
    e->type = type;
    e->mesh = world_resources.solids[type];
    e->velocity = toward_origin(position);
    e->angular_velocity = glm::vec3(enemy_spin, 0.0f, 0.0f);
    enemies.push_back(e);
}

void spawn_boss(glm::vec3 position) {
    static const glm::vec3 offsets[satellite_count] = {
        {satellite_spacing, 0.0f, 0.0f},  {-satellite_spacing, 0.0f, 0.0f}, {0.0f, 0.0f, satellite_spacing},
        {0.0f, 0.0f, -satellite_spacing}, {0.0f, satellite_spacing, 0.0f},  {0.0f, -satellite_spacing, 0.0f}};

    enemy* boss = new enemy(position);
    boss->set_shader(world_resources.lit_program);
    boss->type = 0;
    boss->color_location = world_resources.lit_color_location;
    boss->color = boss_color;
    boss->mesh = world_resources.boss;
    boss->velocity = toward_origin(position);
    boss->angular_velocity = glm::vec3(enemy_spin, 0.0f, 0.0f);
    enemies.push_back(boss);

    for (const glm::vec3& offset : offsets) {
        enemy* s = new enemy(position + offset);
        s->velocity = offset;
        s->angular_velocity = glm::vec3(satellite_spin, 0.0f, 0.0f);
        s->set_shader(world_resources.wire_program);
        s->type = satellite_kind;
        s->mesh = world_resources.solids[satellite_kind];
        s->parent = boss;
        enemies.push_back(s);
    }
}

void spawn_bonus(glm::vec3 position) {
    enemy* e = new enemy(position);
    e->set_shader(world_resources.lit_program);
    e->scale = glm::vec3(bonus_scale);
    e->type = bonus_kind;
    e->mesh = world_resources.solids[bonus_kind];
    e->color_location = world_resources.lit_color_location;
    e->color = bonus_color;
    e->angular_velocity.x = enemy_spin;
    enemies.push_back(e);
}

void clear_enemies() {
    for (enemy* e : enemies)
        delete e;
    enemies.clear();
}

void release_game_objects() {
    clear_shots();
    clear_enemies();
}
