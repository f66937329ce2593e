// The game window's title: the game's name, whether it is paused and the key that changes that, and the
// frame rate of the latest statistics line.
#pragma once

#include <string>

// fps below 0 means no statistics line yet.
std::string window_title_text(bool paused, int fps);

// Keeps the window title in step with the game's state; builds and sets the text only when that state
// changes, so a pass in which nothing changed costs a few comparisons.
class window_title {
  public:
    explicit window_title(void (*set_title)(const std::string& text)) : set_title(set_title) {}
    void show(bool paused, int fps);

  private:
    void (*set_title)(const std::string& text);
    bool shown = false;
    bool shown_paused = false;
    int shown_fps = -1;
};
