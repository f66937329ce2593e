// The game's scene driven by the benchmark: puts the world into each run's state and steps one frame.
#include "scenes/bench_stage.h"

#include "app/shell/gl.h"
#include "app/shell/shell.h"
#include "app/shell/switches.h"
#include "app/startup.h"
#include "game/machine_gun.h"
#include "game/shot.h"
#include "game/world.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <utility>
#include <vector>

namespace tarnwick::bench {

namespace {
// Combat enemies live in a shell in front of the camera, and are put back there before they come within
// respawn_distance, far outside the 2 units that end the game.
constexpr float shell_inner = 10.0f;
constexpr float shell_outer = 14.0f;
constexpr float respawn_distance = 6.0f;
constexpr int enemy_kinds = 4;
// Shots start one unit from the eye and fly at the weapon's first-level speed.
constexpr float shot_start = 1.0f;
constexpr float shot_speed = 10.0f;

// The barrage's window sizes in turn; 0x0 stands for a resize event of no area (a minimised window),
// which X cannot give a real window. The largest holds more than four times the default 800x600.
const glm::ivec2 barrage_sizes[] = {{1024, 768}, {2560, 1600}, {0, 0}, {640, 480}, {1, 1}, {1280, 1024}};
constexpr int barrage_size_count = int(sizeof barrage_sizes / sizeof barrage_sizes[0]);
// After the barrage the shots fly out in steps of 1/60 s; they leave play within three seconds at level 1.
constexpr float drain_step = 1.0f / 60.0f;
constexpr int max_drain_steps = 600;
constexpr float full_turn = 6.28318530718f;
constexpr int motion_ring_size = 6;

// This process's resident memory in KiB from /proc, or -1 where it cannot tell.
long resident_kib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::atol(line.c_str() + 6);
    }
    return -1;
}

// Resizes the window and follows with what the game does on a resize.
void resize_window(glm::ivec2 size) {
    display->resize(size.x, size.y);
    resize_display(float(size.x), float(size.y));
}

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

void reset_world() {
    release_game_objects();
    wave_size = 0;
    wave_kills = 0;
}
} // namespace

void bench_stage::setup() {
    scene.setup();
    board.setup();
    start_size = display->size();
    // The scene's own boss is the first enemy; later runs put it back where the game starts it.
    boss_start = enemies.empty() ? glm::vec3(0.0f) : enemies.front()->position;
}

void bench_stage::start_scene_world() {
    reset_world();
    spawn_boss(boss_start);
}

void bench_stage::begin(const scene_run& run) {
    current = run;
    frame = 0;
    window_changes = 0;
    ledger.clear();
    scene.paused = true;
    scene.show_inspection_models = run.scene == "inspect";
    scene.motion_blur = run.scene == "blur";
    scene.yaw = scene.pitch = 0.0f;
    frustum_culling = run.culling;
    texture_sampling_quality = uint8_t(run.texture_quality);
    mipmap_sampling_quality = uint8_t(run.mipmap_quality);
    if (run.scene == "combat" || run.scene == "culling" || run.scene == "barrage") {
        reset_world();
        if (run.scene == "barrage")
            arm_gun();
        scene.paused = false;
        keep_combat_going(0.0f);
    } else if (run.scene == "effects") {
        reset_world();
    } else {
        start_scene_world();
    }
}

void bench_stage::keep_combat_going(float dt) {
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
    while (int(enemies.size()) < current.enemies)
        spawn_enemy(shell_position(), std::rand() % enemy_kinds);
    // Combat spawns no boss, so no trimmed enemy can be a satellite's parent.
    while (int(enemies.size()) > current.enemies) {
        delete enemies.back();
        enemies.pop_back();
    }
    while (int(shots.size()) < current.shots) {
        const glm::vec3 direction = forward_direction();
        shots.push_back(
            std::make_shared<shot>(direction * shot_start, direction * shot_speed, shot_mode::drawn));
    }
}

void bench_stage::arm_gun() {
    delete weapon;
    machine_gun* gun = new machine_gun(shot_mode::drawn);
    while (gun->level < current.level)
        gun->power_up();
    weapon = gun;
}

void bench_stage::change_window(int change) {
    const glm::ivec2 size = barrage_sizes[change % barrage_size_count];
    if (size.x > 0 && size.y > 0) {
        resize_window(size);
    } else {
        ALLEGRO_EVENT event{};
        event.type = ALLEGRO_EVENT_DISPLAY_RESIZE;
        event.display.source = display->allegro_display();
        scene.handle_event(event);
    }
    scene.motion_blur = !scene.motion_blur;
    if (change % 2 == 0)
        frustum_culling = !frustum_culling;
    ++window_changes;
}

void bench_stage::step(float dt) {
    if (current.scene == "empty")
        return;
    if (current.scene == "barrage") {
        if (frame > 0 && frame % current.cycle == 0)
            change_window(frame / current.cycle);
        ++frame;
        scene.yaw = std::fmod(scene.yaw + camera_turn_rate * dt, full_turn);
        keep_combat_going(dt);
        const size_t before = shots.size();
        weapon->fire();
        ledger.note_fired(shots, before);
        scene.update(dt, false);
        scene.draw();
        return;
    }
    // The blur scene turns the camera, so that the blur leaves trails.
    if (current.scene == "blur")
        scene.yaw = std::fmod(scene.yaw + camera_turn_rate * dt, full_turn);
    if (!scene.paused)
        keep_combat_going(dt);
    scene.update(dt, false);
    draw_frame(0);
}

void bench_stage::draw_frame(int burn_shift) {
    scene.draw();
    if (current.scene == "effects")
        board.draw(burn_shift);
}

void bench_stage::end_frame() {
    if (current.scene == "empty")
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    else
        scene.end_frame();
}

bool bench_stage::redraw_burning(int points) {
    std::vector<std::pair<enemy*, int>> burning;
    for (enemy* e : enemies) {
        if (e->health >= 0 && e->health < intact_health)
            burning.emplace_back(e, e->health);
    }
    if (burning.empty() && current.scene != "effects")
        return false;
    for (auto& [e, health] : burning)
        e->health = std::clamp(health + points, 0, intact_health - 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_frame(points);
    for (auto& [e, health] : burning)
        e->health = health;
    return true;
}

std::optional<shots_tally> bench_stage::finish() {
    if (current.scene != "barrage")
        return std::nullopt;
    int steps = 0;
    for (; !shots.empty() && steps < max_drain_steps; ++steps) {
        keep_combat_going(drain_step);
        scene.update(drain_step, false);
    }
    resize_window(start_size);
    // Six blurred frames re-specify every slot of the motion ring at the start size, so each barrage ends
    // in the same state whichever slots the large frames landed in.
    scene.motion_blur = true;
    for (int i = 0; i < motion_ring_size; ++i) {
        scene.draw();
        scene.end_frame();
    }
    scene.motion_blur = false;
    frustum_culling = current.culling;
    const shots_tally tally{
        ledger.fired(),        long(ledger.most_alive()),   window_changes, steps, long(shots.size()),
        ledger.objects_left(), long(ledger.objects_made()), resident_kib()};
    // The other scenes find the game's weapon as start-up made it.
    current.level = 1;
    arm_gun();
    return tally;
}

void bench_stage::release() {
    reset_world();
    scene.release();
}

} // namespace tarnwick::bench
