// Frames without a window: an OpenGL context from EGL's surfaceless platform, drawing into a framebuffer
// object. Needs no X server.
#pragma once

#include "display_surface.h"

#include <memory>
#include <string>

class egl_framebuffer : public display_surface {
  public:
    // Makes a compatibility context current, fills Allegro's GL entry points from it, and binds a framebuffer
    // of the given size (colour and a 24-bit depth buffer) for drawing and reading. Null, with the reason
    // in error, where EGL has no surfaceless platform or the context cannot draw the game.
    static std::unique_ptr<egl_framebuffer> open(int width, int height, std::string& error);
    ~egl_framebuffer() override;
    egl_framebuffer(const egl_framebuffer&) = delete;
    egl_framebuffer& operator=(const egl_framebuffer&) = delete;

    glm::ivec2 size() const override { return extent; }
    // Waits on a fence until the frame's GL work is done: with no swap, nothing else bounds the frame, and
    // a driver may defer the work into the next one.
    void present() override;
    // Gives the framebuffer's storage the new size at once (a size without area is ignored); the names of
    // its buffers stay the same.
    void resize(int width, int height) override;
    void acknowledge_resize() override {}
    ALLEGRO_DISPLAY* allegro_display() const override { return nullptr; }

  private:
    egl_framebuffer() = default;
    // The framebuffer and its two buffers at extent; false with the reason when it is not complete.
    bool make_framebuffer(std::string& error);

    // EGLDisplay and EGLContext, kept as the pointers they are so that EGL's header stays out of this one.
    void* egl_display = nullptr;
    void* context = nullptr;
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    glm::ivec2 extent{0};
};
