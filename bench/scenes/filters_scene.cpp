// The filters scene: the start scene under one or each of the backdrop's texture and mipmap filters.
#include "app/shell/switches.h"
#include "scenes/bench_stage.h"

#include <cstdint>

namespace tarnwick::bench {

namespace {
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

std::unique_ptr<scene> make_filters_scene() { return std::make_unique<filters_scene>(); }

} // namespace tarnwick::bench
