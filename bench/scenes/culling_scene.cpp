// The culling scene: combat with frustum culling on, then off.
#include "app/shell/switches.h"
#include "scenes/bench_stage.h"

namespace tarnwick::bench {

namespace {
enum { culling, enemy_count, shot_count };
// The culling setting's values, in the order a bare culling runs them.
enum { on, off };
const std::vector<scene_option> culling_options = {
    {"culling",
     every_value,
     off,
     every_value,
     "frustum culling on only, or off only (default: on, then off)",
     {"on", "off"}},
    enemies_setting,
    shots_setting,
};
} // namespace

class culling_scene final : public scene {
  public:
    culling_scene() : scene("culling", culling_options, "combat with frustum culling on, then off", 120) {}
    void begin(bench_stage& stage, const scene_run& run) override {
        frustum_culling = run.values[culling] == on;
        stage.clear();
        stage.hold(run.values[enemy_count], run.values[shot_count]);
    }
};

std::unique_ptr<scene> make_culling_scene() { return std::make_unique<culling_scene>(); }

} // namespace tarnwick::bench
