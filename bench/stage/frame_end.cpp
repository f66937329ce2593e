// How a measured frame ends: the display's presentation, glFinish, a pixel read back, or nothing.
#include "stage/frame_end.h"

#include "app/shell/gl.h"
#include "app/shell/shell.h"

#include <algorithm>
#include <iterator>

namespace tarnwick::bench {

const frame_end_way frame_end_ways[4] = {
    {frame_end::swap, "swap",
     "present it (default): a window's buffer swap with the\n"
     "X server's copy and any vsync wait; headless, a fence wait"},
    {frame_end::finish, "finish", "glFinish: the GL work done, nothing presented"},
    {frame_end::readpixels, "readpixels",
     "read one pixel back: the GL work done and the\n"
     "read's round trip, nothing presented"},
    {frame_end::none, "none",
     "nothing: the time to submit the GL work, which the\n"
     "driver may still be doing as the next frame starts"},
};

const char* frame_end_word(frame_end end) {
    const auto it = std::find_if(std::begin(frame_end_ways), std::end(frame_end_ways),
                                 [end](const frame_end_way& w) { return w.end == end; });
    return it == std::end(frame_end_ways) ? "swap" : it->word;
}

bool frame_end_of_word(const std::string& word, frame_end& end) {
    const auto it = std::find_if(std::begin(frame_end_ways), std::end(frame_end_ways),
                                 [&word](const frame_end_way& w) { return word == w.word; });
    if (it != std::end(frame_end_ways))
        end = it->end;
    return it != std::end(frame_end_ways);
}

void end_frame(frame_end end) {
    GLubyte pixel[4];
    switch (end) {
    case frame_end::swap:
        display->present();
        break;
    case frame_end::finish:
        glFinish();
        break;
    case frame_end::readpixels:
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        break;
    case frame_end::none:
        break;
    }
}

} // namespace tarnwick::bench
