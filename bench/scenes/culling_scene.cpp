// The culling scene: combat with frustum culling on, then off.
#include "app/shell/switches.h"
#include "scenes/bench_stage.h"

namespace tarnwick::bench {

class culling_scene final : public scene {
  public:
    enum { culling, enemies, shots };
    // The culling setting's values, in the order a bare culling runs them.
    enum { on, off };
    culling_scene()
        : scene("culling",
                {{"culling",
                  every_value,
                  off,
                  every_value,
                  "frustum culling on only, or off only (default: on, then off)",
                  {"on", "off"}},
                 held_enemies,
                 held_shots},
                "combat with frustum culling on, then off", 120) {}
    void begin(bench_stage& stage, const scene_run& run) override {
        frustum_culling = run.values[culling] == on;
        stage.clear();
        stage.hold(run.values[enemies], run.values[shots]);
    }
};

std::unique_ptr<scene> make_culling_scene() { return std::make_unique<culling_scene>(); }

} // namespace tarnwick::bench
