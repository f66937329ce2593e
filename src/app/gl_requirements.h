// What the game's shaders ask of the OpenGL context, and the message for a context that offers less.
// No GL here: start-up passes the driver's own strings.
#pragma once

#include <string>

// The GLSL version every file under shaders/ declares (#version 330), and the OpenGL version that brings it
// together with geometry stages.
constexpr int required_glsl_version = 330;
constexpr int required_gl_major = 3;
constexpr int required_gl_minor = 3;

// Reads the leading "major.minor" of a GL_VERSION or GL_SHADING_LANGUAGE_VERSION string ("3.0 Mesa 22.3.6",
// "4.50", "OpenGL ES 3.2 Mesa ..."); false when it holds none.
bool read_gl_version(const std::string& text, int& major, int& minor);

// Empty when a context with these GL_RENDERER, GL_VERSION and GL_SHADING_LANGUAGE_VERSION strings can run
// the game's shaders; else the message that says what is needed and what the driver offers.
std::string gl_shortfall(const std::string& renderer, const std::string& version, const std::string& glsl);
