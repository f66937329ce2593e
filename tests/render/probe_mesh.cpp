// Hand-made probe geometry for the render tests.
#include "probe_mesh.h"

#include "render/camera.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

probe_mesh::probe_mesh(const std::vector<glm::vec4>& positions, const std::vector<glm::vec2>& texcoords,
                       const std::vector<glm::vec3>& normals, const std::vector<GLubyte>& indices)
    : count(GLsizei(indices.size())) {
    glGenVertexArrays(1, &vao);
    glGenBuffers(4, buffers);
    glBindVertexArray(vao);
    const struct {
        GLsizeiptr bytes;
        const void* data;
        GLint components;
    } attributes[3] = {{GLsizeiptr(positions.size() * sizeof(glm::vec4)), positions.data(), 4},
                       {GLsizeiptr(texcoords.size() * sizeof(glm::vec2)), texcoords.data(), 2},
                       {GLsizeiptr(normals.size() * sizeof(glm::vec3)), normals.data(), 3}};
    for (GLuint i = 0; i < 3; ++i) {
        glBindBuffer(GL_ARRAY_BUFFER, buffers[i]);
        glBufferData(GL_ARRAY_BUFFER, attributes[i].bytes, attributes[i].data, GL_STATIC_DRAW);
        glEnableVertexAttribArray(i);
        glVertexAttribPointer(i, attributes[i].components, GL_FLOAT, GL_FALSE, 0, nullptr);
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[3]);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size()), indices.data(), GL_STATIC_DRAW);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

probe_mesh::~probe_mesh() {
    glDeleteVertexArrays(1, &vao);
    glDeleteBuffers(4, buffers);
}

void probe_mesh::draw() const {
    glBindVertexArray(vao);
    glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_BYTE, nullptr);
    glBindVertexArray(0);
}

probe_mesh* make_facing_quad(glm::vec3 c, float s, glm::vec3 normal) {
    // Screen bottom-left, top-left, top-right, bottom-right: clockwise. Screen left is world +x.
    const std::vector<glm::vec4> positions = {{c.x + s, c.y - s, c.z, 1},
                                              {c.x + s, c.y + s, c.z, 1},
                                              {c.x - s, c.y + s, c.z, 1},
                                              {c.x - s, c.y - s, c.z, 1}};
    const std::vector<glm::vec2> texcoords = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    const std::vector<glm::vec3> normals(4, normal);
    return new probe_mesh(positions, texcoords, normals, {0, 1, 2, 2, 3, 0});
}

glm::mat4 forward_view() { return glm::lookAt(glm::vec3(0.0f), glm::vec3(0, 0, 1), glm::vec3(0, 1, 0)); }

glm::ivec2 project_to_pixel(glm::vec3 world, int width, int height) {
    const glm::vec4 clip = view_projection * glm::vec4(world, 1.0f);
    const glm::vec2 ndc = glm::vec2(clip) / clip.w;
    return glm::ivec2(int((ndc.x * 0.5f + 0.5f) * float(width)), int((ndc.y * 0.5f + 0.5f) * float(height)));
}

void clear_to(float r, float g, float b) {
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

namespace {
float lattice(int x, int y, int period, unsigned seed) {
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    unsigned h = unsigned(x) * 374761393u + unsigned(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return float((h ^ (h >> 16)) & 0xffffu) / 65535.0f;
}

float smooth_noise(float x, float y, int period, unsigned seed) {
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = x - float(x0), fy = y - float(y0);
    const float ux = fx * fx * (3 - 2 * fx), uy = fy * fy * (3 - 2 * fy);
    const float a = lattice(x0, y0, period, seed), b = lattice(x0 + 1, y0, period, seed);
    const float c = lattice(x0, y0 + 1, period, seed), d = lattice(x0 + 1, y0 + 1, period, seed);
    return (a + (b - a) * ux) * (1 - uy) + (c + (d - c) * ux) * uy;
}
} // namespace

GLuint make_cloud_texture(int size, unsigned seed) {
    std::vector<unsigned char> pixels(size_t(size) * size_t(size) * 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float sum = 0, amplitude = 1, total = 0;
            for (int octave = 0, period = 4; octave < 5; ++octave, period *= 2, amplitude *= 0.5f) {
                const float scale = float(period) / float(size);
                sum += amplitude *
                       smooth_noise(float(x) * scale, float(y) * scale, period, seed + unsigned(octave));
                total += amplitude;
            }
            // Stretch the octave sum, which clusters round one half, over the whole range.
            const float v = glm::clamp((sum / total - 0.5f) * 2.2f + 0.5f, 0.0f, 1.0f);
            const size_t i = (size_t(y) * size_t(size) + size_t(x)) * 3;
            pixels[i] = pixels[i + 1] = pixels[i + 2] = (unsigned char)(v * 255.0f + 0.5f);
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size, size, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}
