// The stage the frame loop drives: the game's scene and world, and the helpers the scenes call.
#include "scenes/bench_stage.h"

#include "app/shell/gl.h"
#include "app/shell/shell.h"
#include "app/shell/switches.h"
#include "app/startup.h"
#include "game/machine_gun.h"
#include "game/shot.h"
#include "game/world.h"
#include "scenes/scene_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace tarnwick::bench {

namespace {
// Held enemies live in a shell in front of the camera, and are put back there before they come within
// respawn_distance, far outside the 2 units that end the game.
constexpr float shell_inner = 10.0f;
constexpr float shell_outer = 14.0f;
constexpr float respawn_distance = 6.0f;
constexpr int enemy_kinds = 4;
// Shots start one unit from the eye and fly at the weapon's first-level speed.
constexpr float shot_start = 1.0f;
constexpr float shot_speed = 10.0f;
constexpr float full_turn = 6.28318530718f;

float unit_random() { return float(std::rand()) / float(RAND_MAX); }

// A uniform direction in the half space z > 0 (where the camera looks at the start).
glm::vec3 forward_direction() {
    for (;;) {
        const glm::vec3 v(2.0f * unit_random() - 1.0f, 2.0f * unit_random() - 1.0f, unit_random());
        const float l = glm::length(v);
        if (l > 0.01f && l <= 1.0f && v.z > 0.0f)
            return v / l;
    }
}

glm::vec3 shell_position() {
    return forward_direction() * (shell_inner + (shell_outer - shell_inner) * unit_random());
}
} // namespace

void bench_stage::setup() {
    game.setup();
    for (const std::unique_ptr<scene>& s : scene_registry())
        s->setup(*this);
    start_size = display->size();
    // The scene's own boss is the first enemy; later runs put it back where the game starts it.
    boss_start = enemies.empty() ? glm::vec3(0.0f) : enemies.front()->position;
}

void bench_stage::release() {
    clear();
    game.release();
}

void bench_stage::begin(const scene_run& run) {
    game.paused = true;
    game.show_inspection_models = false;
    game.motion_blur = false;
    game.yaw = game.pitch = 0.0f;
    frustum_culling = true;
    texture_sampling_quality = 0;
    mipmap_sampling_quality = 0;
    current = run.kind;
    current->begin(*this, run);
}

void bench_stage::clear() {
    release_game_objects();
    wave_size = 0;
    wave_kills = 0;
    held_enemies = held_shots = 0;
}

void bench_stage::start() {
    clear();
    spawn_boss(boss_start);
}

void bench_stage::hold(int enemy_count, int shot_count) {
    clear();
    held_enemies = enemy_count;
    held_shots = shot_count;
    game.paused = false;
    keep_held(0.0f);
}

void bench_stage::keep_held(float dt) {
    for (enemy* e : enemies) {
        const float speed = glm::length(e->velocity);
        // Looks one step ahead: a measured dt is not clamped, and a stall of the machine must not end the
        // run.
        if (!e->parent && glm::length(glm::vec3(e->bounding_sphere())) - speed * dt < respawn_distance) {
            e->position = shell_position();
            e->velocity = -glm::normalize(e->position) * speed;
            e->update_model_matrix();
        }
    }
    while (int(enemies.size()) < held_enemies)
        spawn_enemy(shell_position(), std::rand() % enemy_kinds);
    // A held world spawns no boss, so no trimmed enemy can be a satellite's parent.
    while (int(enemies.size()) > held_enemies) {
        delete enemies.back();
        enemies.pop_back();
    }
    while (int(shots.size()) < held_shots) {
        const glm::vec3 direction = forward_direction();
        shots.push_back(
            std::make_shared<shot>(direction * shot_start, direction * shot_speed, shot_mode::drawn));
    }
}

void bench_stage::arm_gun(int level) {
    delete weapon;
    machine_gun* gun = new machine_gun(shot_mode::drawn);
    while (gun->level < level)
        gun->power_up();
    weapon = gun;
}

void bench_stage::resize_window(glm::ivec2 size) {
    display->resize(size.x, size.y);
    resize_display(float(size.x), float(size.y));
}

void bench_stage::turn_camera(float dt) { game.yaw = std::fmod(game.yaw + camera_turn_rate * dt, full_turn); }

bool bench_stage::redraw_dissolves(int points, bool always, const std::function<void()>& draw) {
    std::vector<std::pair<enemy*, int>> burning;
    for (enemy* e : enemies) {
        if (e->health >= 0 && e->health < intact_health)
            burning.emplace_back(e, e->health);
    }
    if (burning.empty() && !always)
        return false;
    for (auto& [e, health] : burning)
        e->health = std::clamp(health + points, 0, intact_health - 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    for (auto& [e, health] : burning)
        e->health = health;
    return true;
}

} // namespace tarnwick::bench
