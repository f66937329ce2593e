// The barrage scene: the gun firing without pause through window resizes, motion blur and culling toggled;
// afterwards none of its shots, nor any of their GL objects, may be left.
#include "app/shell/gl.h"
#include "app/shell/shell.h"
#include "app/shell/switches.h"
#include "game/machine_gun.h"
#include "game/shot.h"
#include "game/weapon.h"
#include "game/world.h"
#include "scenes/bench_stage.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

namespace tarnwick::bench {

namespace {
enum { level, enemy_count, cycle };
constexpr int most_frames = 10000000;
const std::vector<scene_option> barrage_options = {
    {"level", 1, max_weapon_level, max_weapon_level, "the gun's power level"},
    enemies_setting,
    {"cycle", 1, most_frames, 60, "frames from one window change to the next"},
};
const char* const barrage_description =
    "the gun firing without pause at the given level while the camera turns sideways; every cycle\n"
    "    frames the window is resized (up to 2560x1600, down to 1x1, and a zero-area resize) and\n"
    "    motion blur and culling are toggled; afterwards the shots fly out unfired and none of them,\n"
    "    nor any of their GL objects, may be left (else status 1)";
// The window sizes in turn; 0x0 stands for a resize event of no area (a minimised window), which X cannot
// give a real window. The largest holds more than four times the default 800x600.
const glm::ivec2 window_sizes[] = {{1024, 768}, {2560, 1600}, {0, 0}, {640, 480}, {1, 1}, {1280, 1024}};
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

// Accounts for the shots a run fires: how many, how many lived at once, and whether their GL objects went
// with them.
struct shot_ledger {
    // Notes the shots appended to live since it held `before` shots, and the number alive now.
    void note_fired(const shot_container& live, size_t before) {
        peak = std::max(peak, live.size());
        if (live.size() <= before)
            return;
        fired += int(live.size() - before);
        for (auto it = std::prev(live.end(), long(live.size() - before)); it != live.end(); ++it) {
            vertex_arrays.insert((*it)->vao());
            buffers.insert((*it)->posBuf());
        }
    }
    // How many of the names the fired shots used still name a live GL object; needs the run's context.
    int objects_left() const {
        int left = 0;
        for (GLuint name : vertex_arrays)
            left += name != 0 && glIsVertexArray(name) == GL_TRUE;
        for (GLuint name : buffers)
            left += name != 0 && glIsBuffer(name) == GL_TRUE;
        return left;
    }

    // Distinct names (a deleted name may come back).
    std::set<GLuint> vertex_arrays;
    std::set<GLuint> buffers;
    int fired = 0;
    size_t peak = 0;
};

class barrage_scene final : public scene {
  public:
    barrage_scene() : scene("barrage", barrage_options, barrage_description, 0) {}

    void begin(bench_stage& stage, const scene_run& started) override {
        run = started;
        frame = 0;
        window_changes = 0;
        ledger = shot_ledger();
        stage.arm_gun(run.values[level]);
        stage.hold(run.values[enemy_count], 0);
    }

    void step(bench_stage& stage, float dt) override {
        if (frame > 0 && frame % run.values[cycle] == 0)
            change_window(stage, frame / run.values[cycle]);
        ++frame;
        stage.turn_camera(dt);
        stage.keep_held(dt);
        const size_t before = shots.size();
        weapon->fire();
        ledger.note_fired(shots, before);
        stage.game.update(dt, false);
        stage.game.draw();
    }

    std::optional<shots_tally> finish(bench_stage& stage) override {
        const int steps = drain(stage);
        const shots_tally tally{ledger.fired,
                                long(ledger.peak),
                                window_changes,
                                steps,
                                long(shots.size()),
                                ledger.objects_left(),
                                long(ledger.vertex_arrays.size() + ledger.buffers.size()),
                                resident_kib()};
        // The other scenes find the game's weapon as start-up made it.
        stage.arm_gun(1);
        return tally;
    }

  private:
    // The next window size, motion blur flipped, culling flipped every other time.
    void change_window(bench_stage& stage, int change) {
        const glm::ivec2 size = window_sizes[size_t(change) % std::size(window_sizes)];
        if (size.x > 0 && size.y > 0) {
            stage.resize_window(size);
        } else {
            ALLEGRO_EVENT event{};
            event.type = ALLEGRO_EVENT_DISPLAY_RESIZE;
            event.display.source = display->allegro_display();
            stage.game.handle_event(event);
        }
        stage.game.motion_blur = !stage.game.motion_blur;
        if (change % 2 == 0)
            frustum_culling = !frustum_culling;
        ++window_changes;
    }

    // The shots flown out without firing and the window put back; returns the steps that took.
    int drain(bench_stage& stage) {
        int steps = 0;
        for (; !shots.empty() && steps < max_drain_steps; ++steps) {
            stage.keep_held(drain_step);
            stage.game.update(drain_step, false);
        }
        stage.resize_window(stage.start_size);
        // Six blurred frames re-specify every slot of the motion ring at the start size, so each barrage
        // ends in the same state whichever slots the large frames landed in.
        stage.game.motion_blur = true;
        for (int i = 0; i < motion_ring_size; ++i) {
            stage.game.draw();
            stage.game.end_frame();
        }
        stage.game.motion_blur = false;
        frustum_culling = true;
        return steps;
    }

    scene_run run;
    int frame = 0;
    int window_changes = 0;
    shot_ledger ledger;
};
} // namespace

std::unique_ptr<scene> make_barrage_scene() { return std::make_unique<barrage_scene>(); }

} // namespace tarnwick::bench
