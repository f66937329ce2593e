// The framebuffer without a window, on EGL's surfaceless platform: resizes give frames of the new size and
// leave no framebuffer or buffer behind; missing entry points are reasons, not crashes. Its pictures are the
// bench's window test's (byte for byte).
#include "app/shell/egl_framebuffer.h"

#include <EGL/egl.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {
// Entry points that eglGetProcAddress does not find, as the framebuffer sees it, and whether glGetStringi
// names no extension.
std::set<std::string> hidden;
bool no_extension_names = false;
const GLubyte* APIENTRY name_no_extension(GLenum, GLuint) { return nullptr; }
} // namespace

// The framebuffer's calls bind to this one at link time; EGL's own comes next in the lookup order.
__eglMustCastToProperFunctionPointerType eglGetProcAddress(const char* name) {
    using lookup = __eglMustCastToProperFunctionPointerType (*)(const char*);
    static const lookup egl_lookup = reinterpret_cast<lookup>(dlsym(RTLD_NEXT, "eglGetProcAddress"));
    if (hidden.count(name))
        return nullptr;
    if (no_extension_names && std::strcmp(name, "glGetStringi") == 0)
        return reinterpret_cast<__eglMustCastToProperFunctionPointerType>(name_no_extension);
    return egl_lookup(name);
}

namespace {
// Framebuffer and renderbuffer names up to this bound that name a live object (names come in order).
constexpr GLuint highest_name_checked = 64;

int live_framebuffer_objects() {
    int live = 0;
    for (GLuint name = 1; name <= highest_name_checked; ++name)
        live += (glIsFramebuffer(name) == GL_TRUE) + (glIsRenderbuffer(name) == GL_TRUE);
    return live;
}

// The colour read back from pixel (x, y) of the framebuffer drawn.
glm::ivec4 pixel_at(int x, int y) {
    GLubyte rgba[4] = {0, 0, 0, 0};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return glm::ivec4(rgba[0], rgba[1], rgba[2], rgba[3]);
}
} // namespace

// Through the barrage's sizes, a size without area keeps the last one; each frame is complete at its size,
// cleared to its far corner, with the viewport following, and the framebuffer keeps its own three objects.
TEST(egl_framebuffer, resizes_leave_no_object_behind) {
    std::string error;
    std::unique_ptr<egl_framebuffer> surface = egl_framebuffer::open(320, 240, error);
    ASSERT_TRUE(surface) << error;
    const int own_objects = live_framebuffer_objects();
    EXPECT_EQ(own_objects, 3);
    const struct {
        int width, height;
        glm::ivec2 expected;
    } rows[] = {{1024, 768, {1024, 768}}, {2560, 1600, {2560, 1600}},
                {0, 0, {2560, 1600}},     {640, 480, {640, 480}},
                {1, 1, {1, 1}},           {320, 240, {320, 240}}};
    for (const auto& r : rows) {
        surface->resize(r.width, r.height);
        const glm::ivec2 size = surface->size();
        EXPECT_EQ(size, r.expected) << r.width << "x" << r.height;
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
        GLint viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(glm::ivec2(viewport[2], viewport[3]), r.expected);
        glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        surface->present();
        EXPECT_EQ(pixel_at(size.x - 1, size.y - 1), glm::ivec4(0, 255, 0, 255)) << r.width << "x" << r.height;
        EXPECT_EQ(live_framebuffer_objects(), own_objects) << r.width << "x" << r.height;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

// Each missing piece of EGL or of the context is a reason named, never a crash; a driver whose extension
// list has holes still gives a framebuffer.
TEST(egl_framebuffer, missing_entry_points_are_reasons) {
    const struct {
        std::set<std::string> hidden;
        bool no_extension_names;
        const char* reason; // null: it opens
    } rows[] = {
        {{"eglGetPlatformDisplayEXT"}, false, "no eglGetPlatformDisplayEXT"},
        {{"glBindFramebuffer"}, false, "lacks the OpenGL 3 entry point glBindFramebuffer"},
        // The refused context is then taken down without the delete call.
        {{"glGenFramebuffers", "glDeleteFramebuffers"},
         false,
         "lacks the OpenGL 3 entry point glGenFramebuffers"},
        {{}, true, nullptr},
    };
    for (const auto& r : rows) {
        hidden = r.hidden;
        no_extension_names = r.no_extension_names;
        std::string error;
        const bool opened = egl_framebuffer::open(64, 64, error) != nullptr;
        EXPECT_EQ(opened, r.reason == nullptr) << error;
        if (r.reason) {
            EXPECT_NE(error.find(r.reason), std::string::npos) << error;
        }
    }
    hidden.clear();
    no_extension_names = false;
}
