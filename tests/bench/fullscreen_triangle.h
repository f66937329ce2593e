// A triangle over the whole frame with the given fragment stage, for the GPU timer's test and the callgrind
// probe: fragment work only.
#pragma once

#include "app/shell/egl_framebuffer.h"

#include <utility>

// Makes the program current and binds a vertex array for glDrawArrays(GL_TRIANGLES, 0, 3); returns the
// program, or 0 when it does not link. Both go with the context.
inline GLuint use_fullscreen_triangle(const char* fragment_source) {
    const char* const vertex_source = R"(#version 330
void main() {
    vec2 corner = vec2(float((gl_VertexID & 1) << 2) - 1.0, float((gl_VertexID & 2) << 1) - 1.0);
    gl_Position = vec4(corner, 0.0, 1.0);
})";
    const GLuint program = glCreateProgram();
    const std::pair<GLenum, const char*> stages[] = {{GL_VERTEX_SHADER, vertex_source},
                                                     {GL_FRAGMENT_SHADER, fragment_source}};
    for (auto [type, source] : stages) {
        const GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    glUseProgram(program);
    GLuint vertex_array = 0;
    glGenVertexArrays(1, &vertex_array);
    glBindVertexArray(vertex_array);
    return linked == GL_TRUE ? program : 0;
}
