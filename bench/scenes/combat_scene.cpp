// The combat scene: the game running with its enemies and shots held at constant counts.
#include "scenes/bench_stage.h"

namespace tarnwick::bench {

namespace {
enum { enemy_count, shot_count };
const std::vector<scene_option> combat_options = {enemies_setting, shots_setting};
} // namespace

class combat_scene final : public scene {
  public:
    combat_scene()
        : scene("combat", combat_options,
                "the game running with enemies and shots held constant by respawning", 120) {}
    void begin(bench_stage& stage, const scene_run& run) override {
        stage.clear();
        stage.hold(run.values[enemy_count], run.values[shot_count]);
    }
};

std::unique_ptr<scene> make_combat_scene() { return std::make_unique<combat_scene>(); }

} // namespace tarnwick::bench
