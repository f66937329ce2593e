// Fuzz target: the model import over arbitrary file contents (a crash smoke test of our wrapper around
// Assimp, which is not instrumented). Needs an X display: the import creates its buffers in a real GL
// context. A failed import must be reported once and leave an empty mesh; an imported mesh must only
// hold triangle indices that name vertices present in every enabled attribute buffer.
#include "app/shell/gl.h"
#include "assets/mesh.h"
#include "fuzz_check.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
int reported_failures = 0;
std::string model_path;

void record_failure(const std::string& text) {
    FUZZ_CHECK(!text.empty());
    ++reported_failures;
}

GLint buffer_size(GLuint buffer) {
    GLint size = -1;
    glBindBuffer(GL_COPY_READ_BUFFER, buffer);
    glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return size;
}

// Checks every index of an imported mesh against the vertex count of each enabled attribute buffer, then
// deletes what the import created so that a long campaign does not fill the driver's memory.
void check_and_release(mesh& m) {
    FUZZ_CHECK(m.count >= 0 && m.count % 3 == 0);
    glBindVertexArray(m.vao);
    GLint element_buffer = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &element_buffer);
    FUZZ_CHECK(element_buffer != 0 && buffer_size(GLuint(element_buffer)) == m.count * 4);
    std::vector<uint32_t> indices(size_t(m.count));
    glBindBuffer(GL_COPY_READ_BUFFER, GLuint(element_buffer));
    glGetBufferSubData(GL_COPY_READ_BUFFER, 0, GLsizeiptr(indices.size() * 4), indices.data());
    std::vector<GLuint> buffers = {GLuint(element_buffer)};
    const GLint bytes_per_vertex[3] = {12, 8, 12};
    for (GLuint location = 0; location < 3; ++location) {
        GLint enabled = 0, buffer = 0;
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
        if (!enabled)
            continue;
        buffers.push_back(GLuint(buffer));
        const long vertices = buffer_size(GLuint(buffer)) / bytes_per_vertex[location];
        for (uint32_t index : indices)
            FUZZ_CHECK(long(index) < vertices);
    }
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &m.vao);
    glDeleteBuffers(GLsizei(buffers.size()), buffers.data());
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::cout.setstate(std::ios::badbit);
    set_import_failure_reporter(record_failure);
    if (!std::getenv("DISPLAY") || !al_init()) {
        std::fprintf(stderr, "the model target needs an X display (run it under xvfb-run)\n");
        std::exit(2);
    }
    al_set_new_display_flags(ALLEGRO_OPENGL);
    if (!al_create_display(64, 64)) {
        std::fprintf(stderr, "could not open an OpenGL display\n");
        std::exit(2);
    }
    const char* tmp = std::getenv("TMPDIR");
    model_path =
        std::string(tmp && *tmp ? tmp : "/tmp") + "/tarnwick-fuzz-model-" + std::to_string(getpid()) + ".dae";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(model_path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(size == 0 || std::fwrite(data, 1, size, file) == size);
    std::fclose(file);

    reported_failures = 0;
    mesh imported(model_path);
    std::remove(model_path.c_str());
    if (imported.vao == 0) {
        FUZZ_CHECK(imported.count == 0);
        FUZZ_CHECK(reported_failures == 1);
        return 0;
    }
    FUZZ_CHECK(reported_failures == 0);
    check_and_release(imported);
    return 0;
}
