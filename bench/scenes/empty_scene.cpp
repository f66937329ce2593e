// The empty scene: clear and present only.
#include "app/shell/gl.h"
#include "scenes/scene.h"

namespace tarnwick::bench {

class empty_scene final : public scene {
  public:
    empty_scene() : scene("empty", {}, "clear and present only: the presentation limit", 2) {}
    void step(bench_stage&, float) override {}
    void end_frame(bench_stage&) override { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }
};

std::unique_ptr<scene> make_empty_scene() { return std::make_unique<empty_scene>(); }

} // namespace tarnwick::bench
