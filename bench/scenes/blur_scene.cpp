// The blur scene: the six-frame motion blur while the camera turns, so that the blur leaves trails.
#include "scenes/bench_stage.h"

namespace tarnwick::bench {

namespace {
class blur_scene final : public scene {
  public:
    blur_scene()
        : scene("blur", {}, "the start scene with the six-frame motion blur, the camera turning sideways",
                10) {}
    void begin(bench_stage& stage, const scene_run& run) override {
        stage.game.motion_blur = true;
        scene::begin(stage, run);
    }
    void step(bench_stage& stage, float dt) override {
        stage.turn_camera(dt);
        scene::step(stage, dt);
    }
};
} // namespace

std::unique_ptr<scene> make_blur_scene() { return std::make_unique<blur_scene>(); }

} // namespace tarnwick::bench
