// The barrage scene: the gun firing without pause through window resizes, motion blur and culling toggled;
// afterwards none of its shots, nor any of their GL objects, may be left.
#include "app/shell/gl.h"
#include "app/shell/shell.h"
#include "app/shell/switches.h"
#include "game/weapon.h"
#include "game/world.h"
#include "scenes/scene.h"
#include "scenes/scene_world.h"
#include "scenes/shot_ledger.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tarnwick::bench {

namespace {
enum { level, enemies, cycle };
const std::vector<scene_option> barrage_options = {
    {"level", 1, 4, 4, "the gun's power level", {}},
    held_enemies_option,
    {"cycle", 1, 10000000, 60, "frames from one window change to the next", {}},
};
// The window sizes in turn; 0x0 stands for a resize event of no area (a minimised window), which X cannot
// give a real window. The largest holds more than four times the default 800x600.
const glm::ivec2 window_sizes[] = {{1024, 768}, {2560, 1600}, {0, 0}, {640, 480}, {1, 1}, {1280, 1024}};
constexpr int window_size_count = int(sizeof window_sizes / sizeof window_sizes[0]);
// Afterwards the shots fly out in steps of 1/60 s; they leave play within three seconds at level 1.
constexpr float drain_step = 1.0f / 60.0f;
constexpr int max_drain_steps = 600;
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

class barrage_scene final : public scene {
  public:
    barrage_scene()
        : scene(
              "barrage", barrage_options,
              "the gun firing without pause at the given level while the camera turns sideways; every cycle\n"
              "    frames the window is resized (up to 2560x1600, down to 1x1, and a zero-area resize) and\n"
              "    motion blur and culling are toggled; afterwards the shots fly out unfired and none of "
              "them,\n"
              "    nor any of their GL objects, may be left (else status 1)",
              0) {}
    void begin(scene_world& world, const scene_run& run) override;
    void step(scene_world& world, float dt) override;
    std::string finish(scene_world& world, int& left_over) override;

  private:
    // The next window size, motion blur flipped, culling flipped every other time.
    void change_window(scene_world& world, int change);
    // The shots flown out without firing and the window put back; returns the steps that took.
    int drain(scene_world& world);

    scene_run run;
    int frame = 0;
    int window_changes = 0;
    shot_ledger ledger;
};

void barrage_scene::begin(scene_world& world, const scene_run& started) {
    run = started;
    frame = 0;
    window_changes = 0;
    ledger.clear();
    world.clear();
    world.arm_gun(run.values[level]);
    world.hold(run.values[enemies], 0);
}

void barrage_scene::step(scene_world& world, float dt) {
    if (frame > 0 && frame % run.values[cycle] == 0)
        change_window(world, frame / run.values[cycle]);
    ++frame;
    world.turn_camera(dt);
    world.keep_held(dt);
    const size_t before = shots.size();
    weapon->fire();
    ledger.note_fired(shots, before);
    world.game.update(dt, false);
    world.game.draw();
}

void barrage_scene::change_window(scene_world& world, int change) {
    const glm::ivec2 size = window_sizes[change % window_size_count];
    if (size.x > 0 && size.y > 0) {
        world.resize_window(size);
    } else {
        ALLEGRO_EVENT event{};
        event.type = ALLEGRO_EVENT_DISPLAY_RESIZE;
        event.display.source = display->allegro_display();
        world.game.handle_event(event);
    }
    world.game.motion_blur = !world.game.motion_blur;
    if (change % 2 == 0)
        frustum_culling = !frustum_culling;
    ++window_changes;
}

int barrage_scene::drain(scene_world& world) {
    int steps = 0;
    for (; !shots.empty() && steps < max_drain_steps; ++steps) {
        world.keep_held(drain_step);
        world.game.update(drain_step, false);
    }
    world.resize_window(world.start_size);
    // Six blurred frames re-specify every slot of the motion ring at the start size, so each barrage ends
    // in the same state whichever slots the large frames landed in.
    world.game.motion_blur = true;
    for (int i = 0; i < motion_ring_size; ++i) {
        world.game.draw();
        world.game.end_frame();
    }
    world.game.motion_blur = false;
    frustum_culling = true;
    return steps;
}

std::string barrage_scene::finish(scene_world& world, int& left_over) {
    const int steps = drain(world);
    const int objects = ledger.objects_left();
    left_over = int(shots.size()) + objects;
    std::ostringstream note;
    note << "  " << run.label << ": " << ledger.fired() << " shots fired (at most " << ledger.most_alive()
         << " alive), " << window_changes << " window changes; " << steps << " steps without firing left "
         << shots.size() << " shots and " << objects << " of their " << ledger.objects_made()
         << " GL objects; resident memory " << resident_kib() << " KiB";
    // The other scenes find the game's weapon as start-up made it.
    world.arm_gun(1);
    return note.str();
}
} // namespace

std::unique_ptr<scene> make_barrage_scene() { return std::make_unique<barrage_scene>(); }

} // namespace tarnwick::bench
