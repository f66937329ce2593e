// A few GL frames counted between instruction_counter's begin and end, for the valgrind test: run under
// callgrind --collect-atstart=no, it leaves one dump labelled "probe frames".
#include "stage/instruction_counter.h"

#include "fullscreen_triangle.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {
constexpr int frame_size = 64;
constexpr int counted_frames = 5;
constexpr const char* fragment_source = R"(#version 330
out vec4 colour;
void main() { colour = vec4(fract(gl_FragCoord.xy / 16.0), 0.5, 1.0); })";

// A frame's work on our side: a little arithmetic, so that the program's own share is not empty.
unsigned frame_checksum(int frame) {
    unsigned sum = unsigned(frame);
    for (unsigned i = 0; i < 10000; ++i)
        sum = sum * 1664525u + 1013904223u + i;
    return sum;
}
} // namespace

int main() {
    std::string error;
    std::unique_ptr<egl_framebuffer> surface = egl_framebuffer::open(frame_size, frame_size, error);
    if (!surface) {
        std::fprintf(stderr, "callgrind_probe: %s\n", error.c_str());
        return 1;
    }
    if (!use_fullscreen_triangle(fragment_source)) {
        std::fprintf(stderr, "callgrind_probe: the program does not link\n");
        return 1;
    }
    // llvmpipe compiles the shaders at the first draw: that frame is not counted.
    glDrawArrays(GL_TRIANGLES, 0, 3);
    surface->present();

    tarnwick::bench::instruction_counter counter;
    unsigned checksum = 0;
    counter.begin("probe frames");
    for (int frame = 0; frame < counted_frames; ++frame) {
        checksum ^= frame_checksum(frame);
        glClear(GL_COLOR_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLES, 0, 3);
        surface->present();
    }
    counter.end("probe frames");
    std::printf("under valgrind: %s\nchecksum: %u\n",
                tarnwick::bench::instruction_counter::running_under_valgrind() ? "yes" : "no", checksum);
    return 0;
}
