// The combat scene: the game running with its enemies and shots held at constant counts; and the culling
// scene, the same combat with frustum culling on, then off.
#include "app/shell/switches.h"
#include "scenes/bench_stage.h"

namespace tarnwick::bench {

namespace {
// The culling setting's values, in the order a bare culling runs them.
enum { on, off };
const scene_option culling_setting{"culling",
                                   every_value,
                                   off,
                                   every_value,
                                   "frustum culling on only, or off only (default: on, then off)",
                                   {"on", "off"}};

class combat_scene final : public scene {
  public:
    // culls: culling_setting comes first, before the held counts.
    combat_scene(const char* name, bool culls, const char* description)
        : scene(name,
                culls ? std::vector{culling_setting, enemies_setting, shots_setting}
                      : std::vector{enemies_setting, shots_setting},
                description, 120),
          culls(culls) {}
    void begin(bench_stage& stage, const scene_run& run) override {
        if (culls)
            frustum_culling = run.values[0] == on;
        stage.hold(run.values[culls], run.values[culls + 1]);
    }

  private:
    const bool culls;
};
} // namespace

std::unique_ptr<scene> make_combat_scene() {
    return std::make_unique<combat_scene>(
        "combat", false, "the game running with enemies and shots held constant by respawning");
}

std::unique_ptr<scene> make_culling_scene() {
    return std::make_unique<combat_scene>("culling", true, "combat with frustum culling on, then off");
}

} // namespace tarnwick::bench
