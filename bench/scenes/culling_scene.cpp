// The culling scene: combat with frustum culling on, then off (or one of them).
#include "app/shell/switches.h"
#include "scenes/bench_stage.h"

namespace tarnwick::bench {

namespace {
// The culling setting's values, in the order a bare culling runs them.
enum { on, off };
enum { culling, enemies, shots };
const scene_option culling_setting{"culling",
                                   every_value,
                                   off,
                                   every_value,
                                   "frustum culling on only, or off only (default: on, then off)",
                                   {"on", "off"}};

class culling_scene final : public scene {
  public:
    culling_scene()
        : scene("culling", {culling_setting, enemies_setting, shots_setting},
                "combat with frustum culling on, then off", 120) {}
    void begin(bench_stage& stage, const scene_run& run) override {
        frustum_culling = run.values[culling] == on;
        stage.hold(run.values[enemies], run.values[shots]);
    }
};
} // namespace

std::unique_ptr<scene> make_culling_scene() { return std::make_unique<culling_scene>(); }

} // namespace tarnwick::bench
