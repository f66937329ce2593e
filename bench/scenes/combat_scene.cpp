// The combat scene: the game running with its enemies and shots held at constant counts.
#include "scenes/bench_stage.h"

namespace tarnwick::bench {

class combat_scene final : public scene {
  public:
    enum { enemies, shots };
    combat_scene()
        : scene("combat", {held_enemies, held_shots},
                "the game running with enemies and shots held constant by respawning", 120) {}
    void begin(bench_stage& stage, const scene_run& run) override {
        stage.clear();
        stage.hold(run.values[enemies], run.values[shots]);
    }
};

std::unique_ptr<scene> make_combat_scene() { return std::make_unique<combat_scene>(); }

} // namespace tarnwick::bench
