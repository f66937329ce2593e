// The combat scene: the game running with its enemies and shots held at constant counts.
#include "scenes/bench_stage.h"

namespace tarnwick::bench {

namespace {
enum { enemies, shots };

class combat_scene final : public scene {
  public:
    combat_scene()
        : scene("combat", {enemies_setting, shots_setting},
                "the game running with enemies and shots held constant by respawning", 120) {}
    void begin(bench_stage& stage, const scene_run& run) override {
        stage.hold(run.values[enemies], run.values[shots]);
    }
};
} // namespace

std::unique_ptr<scene> make_combat_scene() { return std::make_unique<combat_scene>(); }

} // namespace tarnwick::bench
