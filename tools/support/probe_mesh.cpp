// Hand-made probe geometry for the render tests.
#include "probe_mesh.h"

#include "render/camera.h"

#include <glm/gtc/matrix_transform.hpp>

probe_mesh::probe_mesh(const std::vector<glm::vec4>& positions, const std::vector<glm::vec2>& texcoords,
                       const std::vector<glm::vec3>& normals, const std::vector<GLubyte>& indices) {
    shape.mode = GL_TRIANGLES;
    shape.index_type = GL_UNSIGNED_BYTE;
    shape.count = GLsizei(indices.size());
    glGenVertexArrays(1, &shape.vao);
    glGenBuffers(4, buffers);
    glBindVertexArray(shape.vao);
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
    glDeleteVertexArrays(1, &shape.vao);
    glDeleteBuffers(4, buffers);
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
