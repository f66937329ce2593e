// What the game's shaders ask of the OpenGL context, and the message for a context that offers less.
#include "gl_requirements.h"

#include <cctype>
#include <cstdlib>

namespace {
// GLSL versions are written as in #version: 3.30 is 330, 1.50 is 150.
int glsl_number(int major, int minor) { return major * 100 + (minor < 10 ? minor * 10 : minor); }

std::string version_text(int major, int minor) { return std::to_string(major) + "." + std::to_string(minor); }
} // namespace

bool read_gl_version(const std::string& text, int& major, int& minor) {
    size_t i = 0;
    while (i < text.size() && !std::isdigit(static_cast<unsigned char>(text[i])))
        ++i;
    const char* start = text.c_str() + i;
    char* end = nullptr;
    const long whole = std::strtol(start, &end, 10);
    if (end == start || *end != '.' || !std::isdigit(static_cast<unsigned char>(end[1])))
        return false;
    major = int(whole);
    minor = int(std::strtol(end + 1, nullptr, 10));
    return true;
}

std::string gl_shortfall(const std::string& renderer, const std::string& version, const std::string& glsl) {
    int major = 0, minor = 0, glsl_major = 0, glsl_minor = 0;
    const bool gl_read = read_gl_version(version, major, minor);
    const bool glsl_read = read_gl_version(glsl, glsl_major, glsl_minor);
    const bool gl_enough =
        gl_read && (major > required_gl_major || (major == required_gl_major && minor >= required_gl_minor));
    const bool glsl_enough = glsl_read && glsl_number(glsl_major, glsl_minor) >= required_glsl_version;
    if (gl_enough && glsl_enough)
        return std::string();
    std::string offer =
        gl_read ? "OpenGL " + version_text(major, minor) : "an OpenGL version it does not name";
    if (!glsl_enough)
        offer += glsl_read ? " with GLSL " + version_text(glsl_major, glsl_minor) : " without GLSL";
    return "Tarnwick needs OpenGL " + version_text(required_gl_major, required_gl_minor) + " with GLSL " +
           version_text(required_glsl_version / 100, required_glsl_version % 100) +
           " and geometry shaders; this driver (" + renderer + ", version \"" + version + "\") offers " +
           offer + ".";
}
