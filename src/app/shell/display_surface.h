// What the program draws into: the size of its frames, their presentation and resizing. The game's window
// and the bench's framebuffer without a window both answer to it, so no drawing code knows which it has.
#pragma once

#include "gl.h"

#include <glm/glm.hpp>

class display_surface {
  public:
    virtual ~display_surface() = default;
    // The size of the frames drawn, in pixels.
    virtual glm::ivec2 size() const = 0;
    // Ends the frame drawn into the current framebuffer.
    virtual void present() = 0;
    // Asks for frames of a new size; resize_display then takes them into use.
    virtual void resize(int width, int height) = 0;
    // Follows a size change with the framebuffer and the viewport, as resize_display's last step.
    virtual void acknowledge_resize() = 0;
    // The Allegro display behind it, whose events the game listens to; null when there is no window.
    virtual ALLEGRO_DISPLAY* allegro_display() const = 0;
};

// An Allegro window with its OpenGL context, which draws into its back buffer and flips.
class allegro_window : public display_surface {
  public:
    // Takes ownership of an open display.
    explicit allegro_window(ALLEGRO_DISPLAY* window) : window(window) {}
    ~allegro_window() override;
    allegro_window(const allegro_window&) = delete;
    allegro_window& operator=(const allegro_window&) = delete;

    glm::ivec2 size() const override;
    void present() override;
    void resize(int width, int height) override;
    void acknowledge_resize() override;
    ALLEGRO_DISPLAY* allegro_display() const override { return window; }

  private:
    ALLEGRO_DISPLAY* window;
};
