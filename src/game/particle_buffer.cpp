// The GL side of a shot: its particle buffer and the vertex array that describes it.
#include "particle_buffer.h"

#include <cstddef>
#include <utility>

namespace {
constexpr GLuint position_life_attribute = 0;
constexpr GLuint life_attribute = 1;

GLsizeiptr byte_size(const std::vector<particle_struct>& particles) {
    return GLsizeiptr(particles.size() * sizeof(particle_struct));
}
} // namespace

particle_buffer::particle_buffer(const std::vector<particle_struct>& particles) {
    glGenBuffers(1, &buffer_name);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_name);
    glBufferData(GL_ARRAY_BUFFER, byte_size(particles), particles.data(), GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    glGenVertexArrays(1, &vao_name);
    glBindVertexArray(vao_name);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_name);
    const GLsizei stride = sizeof(particle_struct);
    // Attribute 0 reads position and life together as one vec4; attribute 1 reads life alone.
    glEnableVertexAttribArray(position_life_attribute);
    glVertexAttribPointer(position_life_attribute, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(particle_struct, position)));
    glEnableVertexAttribArray(life_attribute);
    glVertexAttribPointer(life_attribute, 1, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(offsetof(particle_struct, life)));
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

particle_buffer::~particle_buffer() { release(); }

particle_buffer::particle_buffer(particle_buffer&& other) noexcept
    : vao_name(std::exchange(other.vao_name, 0)), buffer_name(std::exchange(other.buffer_name, 0)) {}

particle_buffer& particle_buffer::operator=(particle_buffer&& other) noexcept {
    if (this != &other) {
        release();
        vao_name = std::exchange(other.vao_name, 0);
        buffer_name = std::exchange(other.buffer_name, 0);
    }
    return *this;
}

void particle_buffer::upload(const std::vector<particle_struct>& particles) const {
    glBindBuffer(GL_ARRAY_BUFFER, buffer_name);
    glBufferData(GL_ARRAY_BUFFER, byte_size(particles), particles.data(), GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void particle_buffer::draw(GLsizei count) const {
    glBindVertexArray(vao_name);
    glDrawArrays(GL_POINTS, 0, count);
    glBindVertexArray(0);
}

void particle_buffer::release() {
    if (!empty()) {
        glDeleteVertexArrays(1, &vao_name);
        glDeleteBuffers(1, &buffer_name);
    }
    vao_name = 0;
    buffer_name = 0;
}
