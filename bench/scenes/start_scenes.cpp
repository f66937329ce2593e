// The scenes of the game's start scene, paused: as it opens, with the inspection models shown, under the
// motion blur, and under each of the backdrop's filters.
#include "app/shell/switches.h"
#include "scenes/bench_stage.h"

#include <cstdint>

namespace tarnwick::bench {

std::unique_ptr<scene> make_default_scene() {
    return std::make_unique<scene>("default", std::vector<scene_option>(),
                                   "the game's start scene (backdrop, boss and satellites), paused", 2);
}

namespace {
class inspect_scene final : public scene {
  public:
    inspect_scene() : scene("inspect", {}, "the start scene with the five inspection models shown", 2) {}
    void begin(bench_stage& stage, const scene_run& run) override {
        stage.game.show_inspection_models = true;
        scene::begin(stage, run);
    }
};

// The six-frame motion blur while the camera turns, so that the blur leaves trails.
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

enum { texture, mipmap };
const std::vector<scene_option> filter_options = {
    {"texture", every_value, 1, every_value, "the texture filter: 0 nearest, 1 linear (-1: each)"},
    {"mipmap", every_value, 2, every_value, "the mipmap filter: 0 none, 1 nearest, 2 linear (-1: each)"},
};

class filters_scene final : public scene {
  public:
    filters_scene()
        : scene("filters", filter_options,
                "the start scene under each of the six backdrop filter combinations (-1: all)", 2) {}
    void begin(bench_stage& stage, const scene_run& run) override {
        texture_sampling_quality = uint8_t(run.values[texture]);
        mipmap_sampling_quality = uint8_t(run.values[mipmap]);
        scene::begin(stage, run);
    }
};
} // namespace

std::unique_ptr<scene> make_inspect_scene() { return std::make_unique<inspect_scene>(); }
std::unique_ptr<scene> make_blur_scene() { return std::make_unique<blur_scene>(); }
std::unique_ptr<scene> make_filters_scene() { return std::make_unique<filters_scene>(); }

} // namespace tarnwick::bench
