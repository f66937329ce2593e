// Builds one linked GLSL program from an ordered list of stage source files.
#include "shader.h"

#include "app/shell/shell.h"
#include "render/camera.h"

#include <fstream>
#include <glm/gtc/type_ptr.hpp>
#include <sstream>
#include <vector>

namespace {
const char* stage_word(GLenum type) {
    switch (type) {
    case GL_FRAGMENT_SHADER:
        return "fragment";
    case GL_VERTEX_SHADER:
        return "vertex";
    case GL_GEOMETRY_SHADER:
        return "geometry";
    default:
        return "";
    }
}

// Reads the whole file; false when it cannot be opened or read (a directory opens but fails to read).
bool read_file(const std::string& path, std::string& text) {
    std::ifstream file(path);
    if (file.fail())
        return false;
    std::ostringstream contents;
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
        contents.write(chunk, file.gcount());
    if (file.bad())
        return false;
    text = contents.str();
    return true;
}

// The driver's log of a shader or program as a string, read with the matching pair of queries; an empty
// log (length 0) gives an empty string.
using get_parameter = void (*)(GLuint, GLenum, GLint*);
using get_log = void (*)(GLuint, GLsizei, GLsizei*, GLchar*);
std::string info_log(GLuint id, get_parameter parameter, get_log log) {
    GLint length = 0;
    parameter(id, GL_INFO_LOG_LENGTH, &length);
    std::vector<GLchar> buffer(size_t(length > 0 ? length : 0) + 1, '\0');
    if (length > 0)
        log(id, length, nullptr, buffer.data());
    return std::string(buffer.data());
}

std::string shader_log(GLuint id) { return info_log(id, glGetShaderiv, glGetShaderInfoLog); }

std::string program_log(GLuint id) { return info_log(id, glGetProgramiv, glGetProgramInfoLog); }
} // namespace

shader::shader() : sources(nullptr), program(0) {}

shader::~shader() { delete sources; }

void shader::add_source(GLenum type, const std::string& path) {
    if (!sources)
        sources = new std::vector<source>();
    sources->push_back(source(type, path));
}

GLuint shader::compile_shader_file(const source& src) {
    const GLenum type = src.first;
    const std::string& path = src.second;
    // The stage object exists before the file is opened, as the failure order expects.
    const GLuint id = glCreateShader(type);
    std::string text;
    if (!read_file(path, text))
        exit_with_message("Could not open shader file " + path + ".", 1);

    // The length is passed so that the file needs no terminating NUL and an embedded one is not a cut-off.
    const GLchar* chars = text.data();
    const GLint length = GLint(text.size());
    glShaderSource(id, 1, &chars, &length);
    glCompileShader(id);
    GLint status = 0;
    glGetShaderiv(id, GL_COMPILE_STATUS, &status);
    if (status)
        return id;

    std::ostringstream message;
    message << "Compile failure in " << stage_word(type) << " shader (" << path << "):" << '\n'
            << shader_log(id) << '\n';
    exit_with_message(message.str(), 1);
}

void shader::compile() {
    if (!sources)
        exit_with_message("Tried to (re)compile shader program without shaders.", 1);
    std::vector<GLuint> stages;
    for (const source& src : *sources)
        stages.push_back(compile_shader_file(src));
    sources->clear();
    delete sources;
    sources = nullptr;

    program = glCreateProgram();
    for (GLuint stage : stages)
        glAttachShader(program, stage);
    glLinkProgram(program);
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (!status)
        exit_with_message("Linker failure: " + program_log(program) + "\n", 1);
    for (GLuint stage : stages)
        glDetachShader(program, stage);
    init_uniforms();
}

GLuint shader::bind_global_matrices_block() {
    const GLuint index = glGetUniformBlockIndex(program, "GlobalMatrices");
    // A program without the block gets the invalid index; binding it would only raise a GL error.
    if (index != GL_INVALID_INDEX)
        glUniformBlockBinding(program, index, global_matrices_binding());
    return index;
}

void shader::upload_start_view_matrix() {
    const GLint location = glGetUniformLocation(program, "viewMatrix");
    // The upload only reaches a program that is current; nothing else is current during start-up.
    glUseProgram(program);
    glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(get_view()));
    glUseProgram(0);
}
