// The motion-blur program and its ring of the last six frames on texture units 1-6.
#include "motion_shader.h"

#include "render/camera.h"

#include <string>
#include <vector>

namespace {
constexpr unsigned ring_size = 6;
// Rows of a read-back or upload are padded to the default pack/unpack alignment, which the game never
// changes.
constexpr GLsizeiptr row_alignment = 4;

GLsizeiptr padded_rgb_bytes(int width, int height) {
    const GLsizeiptr row = (GLsizeiptr(width) * 3 + row_alignment - 1) / row_alignment * row_alignment;
    return row * GLsizeiptr(height);
}
} // namespace

motion_shader::motion_shader() {
    add_source(GL_VERTEX_SHADER, "shaders/motion.vert");
    add_source(GL_FRAGMENT_SHADER, "shaders/motion.frag");
    compile();
}

void motion_shader::init_uniforms() {
    for (unsigned k = 0; k < ring_size; ++k) {
        const std::string name = "textureUnit" + std::to_string(k);
        texture_unit_locations[k] = glGetUniformLocation(program, name.c_str());
    }
}

unsigned motion_shader::ring_unit(uint32_t counter, unsigned k) {
    return (counter + ring_size - 1 - k) % ring_size + 1;
}

unsigned motion_shader::texture_unit(unsigned k) const { return ring_unit(frame_counter, k); }

void motion_shader::init_frames() {
    const glm::vec2 size = get_display_size();
    const int width = int(size.x);
    const int height = int(size.y);
    // Four RGB frames' worth (12 bytes per pixel) leaves room for row padding and some growth of the window.
    const GLsizeiptr scratch_size = GLsizeiptr(size.x * size.y * 3.0f * 4.0f);
    const std::vector<unsigned char> black(size_t(padded_rgb_bytes(width, height)), 0);

    // The zero image comes from client memory, so no unpack buffer may be bound here.
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glGenTextures(GLsizei(ring_size), frame_textures);
    for (unsigned i = 0; i < ring_size; ++i) {
        glActiveTexture(GL_TEXTURE1 + i);
        glBindTexture(GL_TEXTURE_2D, frame_textures[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, black.data());
    }
    // Draw code binds its textures on unit 0; leaving a ring unit active would let a stray bind replace a
    // slot.
    glActiveTexture(GL_TEXTURE0);

    glGenBuffers(1, &pixel_buffer);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, pixel_buffer);
    glBufferData(GL_PIXEL_PACK_BUFFER, scratch_size, nullptr, GL_DYNAMIC_COPY);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    pixel_buffer_size = scratch_size;
}

void motion_shader::apply() {
    glUseProgram(program);
    for (unsigned k = 0; k < ring_size; ++k)
        glUniform1i(texture_unit_locations[k], GLint(texture_unit(k)));
}

uint32_t motion_shader::next_counter(uint32_t counter) { return (counter + 1) % ring_size; }

void motion_shader::advance() { frame_counter = next_counter(frame_counter); }

bool motion_shader::reserve_pixel_buffer(int width, int height) {
    if (width <= 0 || height <= 0)
        return false;
    const GLsizeiptr needed = padded_rgb_bytes(width, height);
    if (needed > pixel_buffer_size) {
        glBindBuffer(GL_PIXEL_PACK_BUFFER, pixel_buffer);
        glBufferData(GL_PIXEL_PACK_BUFFER, needed, nullptr, GL_DYNAMIC_COPY);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        pixel_buffer_size = needed;
    }
    return true;
}
