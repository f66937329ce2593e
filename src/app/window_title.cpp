// The game window's title from the pause switch and the frame statistics.
#include "window_title.h"

namespace {
// ASCII: Allegro hands the title to Xlib in the C locale, which drops characters beyond Latin-1.
constexpr const char* separator = " - ";
} // namespace

std::string window_title_text(bool paused, int fps) {
    std::string text = "Tarnwick";
    if (paused)
        text.append(separator).append("paused (F10 to play)");
    if (fps >= 0)
        text.append(separator).append(std::to_string(fps)).append(" FPS");
    return text;
}

void window_title::show(bool paused, int fps) {
    if (shown && paused == shown_paused && fps == shown_fps)
        return;
    shown = true;
    shown_paused = paused;
    shown_fps = fps;
    set_title(window_title_text(paused, fps));
}
