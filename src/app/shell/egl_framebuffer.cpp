// Frames without a window: EGL's surfaceless platform, a compatibility context and a framebuffer object.
#include "egl_framebuffer.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>

namespace {
// The game's shaders are GLSL 3.30.
constexpr int needed_major = 3;
constexpr int needed_minor = 3;
#ifndef GL_FRAMEBUFFER_FLIP_Y_MESA
#define GL_FRAMEBUFFER_FLIP_Y_MESA 0x8BBB
#endif
// The fence is waited on in steps of this many nanoseconds until it is signalled or the wait fails.
constexpr GLuint64 fence_wait_ns = 1000000000;

bool has_extension(const char* list, const char* name) {
    if (!list)
        return false;
    const size_t length = std::strlen(name);
    for (const char* p = std::strstr(list, name); p; p = std::strstr(p + length, name)) {
        if ((p == list || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0'))
            return true;
    }
    return false;
}

bool has_gl_extension(const char* name) {
    if (!glGetStringi)
        return false;
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const char* extension = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, GLuint(i)));
        if (extension && std::strcmp(extension, name) == 0)
            return true;
    }
    return false;
}

std::string egl_error_text(const char* what) {
    char text[96];
    std::snprintf(text, sizeof text, "%s (EGL error 0x%04x)", what, unsigned(eglGetError()));
    return text;
}

// Every GL entry point beyond 1.1 that Allegro's header aliases (the GL 3 calls of our code among them),
// filled from the current context. Allegro fills them only for a display of its own.
void load_gl_entry_points() {
#define AGL_API(type, name, args)                                                                            \
    _al_gl##name = reinterpret_cast<_ALLEGRO_gl##name##_t>(eglGetProcAddress("gl" #name));
#include <allegro5/opengl/GLext/gl_ext_api.h>
#undef AGL_API
}

// Empty when the current context is at least the version the game needs and has the calls it makes;
// otherwise what it lacks. Through GLVND every name resolves to a stub, so the version is the real test.
std::string context_shortfall() {
    GLint major = 0;
    GLint minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (major < needed_major || (major == needed_major && minor < needed_minor))
        return std::string("the EGL context is OpenGL ") + (version ? version : "of no version") +
               ", the game needs 3.3";
    // What this file calls, and one call of each kind the game makes. The framebuffer, which the destructor
    // deletes, is made only once all of them are found.
    const struct {
        bool found;
        const char* name;
    } needed[] = {
#define NEEDED(name) {name != nullptr, #name}
        NEEDED(glGenFramebuffers),        NEEDED(glBindFramebuffer),
        NEEDED(glDeleteFramebuffers),     NEEDED(glGenRenderbuffers),
        NEEDED(glBindRenderbuffer),       NEEDED(glDeleteRenderbuffers),
        NEEDED(glRenderbufferStorage),    NEEDED(glFramebufferRenderbuffer),
        NEEDED(glCheckFramebufferStatus), NEEDED(glFenceSync),
        NEEDED(glClientWaitSync),         NEEDED(glDeleteSync),
        NEEDED(glGenVertexArrays),        NEEDED(glCreateShader),
#undef NEEDED
    };
    for (const auto& n : needed) {
        if (!n.found)
            return std::string("the EGL context lacks the OpenGL 3 entry point ") + n.name;
    }
    return std::string();
}

const char* framebuffer_status_text(GLenum status) {
    switch (status) {
    case GL_FRAMEBUFFER_UNSUPPORTED:
        return "its formats are not supported";
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT:
        return "an attachment is incomplete";
    default:
        return "it is incomplete";
    }
}
} // namespace

std::unique_ptr<egl_framebuffer> egl_framebuffer::open(int width, int height, std::string& error) {
    const char* client_extensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!has_extension(client_extensions, "EGL_MESA_platform_surfaceless") ||
        !has_extension(client_extensions, "EGL_EXT_platform_base")) {
        error = "EGL has no surfaceless platform (EGL_MESA_platform_surfaceless)";
        return nullptr;
    }
    const auto get_platform_display =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!get_platform_display) {
        error = "EGL names EGL_EXT_platform_base but has no eglGetPlatformDisplayEXT";
        return nullptr;
    }
    std::unique_ptr<egl_framebuffer> surface(new egl_framebuffer);
    EGLDisplay egl = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (egl == EGL_NO_DISPLAY || !eglInitialize(egl, nullptr, nullptr)) {
        error = egl_error_text("EGL could not start its surfaceless platform");
        return nullptr;
    }
    surface->egl_display = egl;
    const char* extensions = eglQueryString(egl, EGL_EXTENSIONS);
    if (!has_extension(extensions, "EGL_KHR_surfaceless_context") ||
        !has_extension(extensions, "EGL_KHR_no_config_context")) {
        error = "EGL's surfaceless platform cannot make a context current without a surface";
        return nullptr;
    }
    // No version or profile is asked for, as the game's window asks for none: a compatibility context.
    if (!eglBindAPI(EGL_OPENGL_API) ||
        !(surface->context = eglCreateContext(egl, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr))) {
        error = egl_error_text("EGL could not create an OpenGL context");
        return nullptr;
    }
    if (!eglMakeCurrent(egl, EGL_NO_SURFACE, EGL_NO_SURFACE, surface->context)) {
        error = egl_error_text("EGL could not make its OpenGL context current");
        return nullptr;
    }
    load_gl_entry_points();
    error = context_shortfall();
    surface->extent = glm::ivec2(width, height);
    if (!error.empty() || !surface->make_framebuffer(error))
        return nullptr;
    return surface;
}

bool egl_framebuffer::make_framebuffer(std::string& error) {
    glGenRenderbuffers(1, &colour);
    glGenRenderbuffers(1, &depth);
    glGenFramebuffers(1, &framebuffer);
    // Bound for drawing and reading from here on: every draw, the blur's read-back and the screenshots
    // meet it where a window's back buffer would be.
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    resize(extent.x, extent.y);
    // Mesa draws a window with its rows counted from the top and a framebuffer object from the bottom, which
    // moves edges and texture lookups by a rounding step; flipped, the framebuffer gets the window's pixels.
    if (glFramebufferParameteri && has_gl_extension("GL_MESA_framebuffer_flip_y"))
        glFramebufferParameteri(GL_FRAMEBUFFER, GL_FRAMEBUFFER_FLIP_Y_MESA, GL_TRUE);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        error = std::string("the framebuffer cannot be drawn into: ") + framebuffer_status_text(status);
        return false;
    }
    // A window's first frame is drawn over what its back buffer holds; this one starts cleared.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    return true;
}

egl_framebuffer::~egl_framebuffer() {
    if (context && eglGetCurrentContext() == context) {
        if (framebuffer) {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            glDeleteFramebuffers(1, &framebuffer);
            glDeleteRenderbuffers(1, &colour);
            glDeleteRenderbuffers(1, &depth);
        }
        eglMakeCurrent(egl_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    if (context)
        eglDestroyContext(egl_display, context);
    if (egl_display)
        eglTerminate(egl_display);
    eglReleaseThread();
}

void egl_framebuffer::present() {
    const GLsync fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    // The first wait flushes, so that the fence itself reaches the GPU.
    GLenum result = glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, fence_wait_ns);
    while (result == GL_TIMEOUT_EXPIRED)
        result = glClientWaitSync(fence, 0, fence_wait_ns);
    glDeleteSync(fence);
}

void egl_framebuffer::resize(int width, int height) {
    if (width <= 0 || height <= 0)
        return;
    extent = glm::ivec2(width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glViewport(0, 0, width, height);
}
