// The headless display where the build found no EGL: it never opens, and says why.
#include "egl_framebuffer.h"

std::unique_ptr<egl_framebuffer> egl_framebuffer::open(int, int, std::string& error) {
    error = "built without EGL";
    return nullptr;
}

egl_framebuffer::~egl_framebuffer() = default;

void egl_framebuffer::present() {}

void egl_framebuffer::resize(int, int) {}
