// How a measured frame ends, and so what its time covers: presented, finished, read back or left queued.
#pragma once

#include <string>

namespace tarnwick::bench {

enum class frame_end { swap, finish, readpixels, none };

// Each way's word on the command line and what a frame's time then measures, one line for --help.
struct frame_end_way {
    frame_end end;
    const char* word;
    const char* measures;
};
extern const frame_end_way frame_end_ways[4];

const char* frame_end_word(frame_end end);
// False when word names no way.
bool frame_end_of_word(const std::string& word, frame_end& end);

// Ends the frame drawn on the current display as asked.
void end_frame(frame_end end);

} // namespace tarnwick::bench
