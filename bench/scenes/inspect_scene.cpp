// The inspect scene: the start scene with the five inspection models shown.
#include "scenes/bench_stage.h"

namespace tarnwick::bench {

namespace {
class inspect_scene final : public scene {
  public:
    inspect_scene() : scene("inspect", {}, "the start scene with the five inspection models shown", 2) {}
    void begin(bench_stage& stage, const scene_run& run) override {
        stage.game.show_inspection_models = true;
        scene::begin(stage, run);
    }
};
} // namespace

std::unique_ptr<scene> make_inspect_scene() { return std::make_unique<inspect_scene>(); }

} // namespace tarnwick::bench
