// Camera matrices and their uniform buffer.
#include "camera.h"

#include "app/shell/shell.h"
#include "app/shell/switches.h"

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

glm::mat4 projection(1.0f);
glm::mat4 view(1.0f);
glm::mat4 view_projection(1.0f);
glm::mat4 inverse_view_projection(1.0f);
GLuint global_matrices_buffer = 0;

namespace {
// A clip-space plane distance beyond which a point counts as outside; no object size enters it.
constexpr float visibility_margin = 10.0f;
} // namespace

unsigned int global_matrices_binding() { return 0; }

void create_global_matrices_buffer() {
    glGenBuffers(1, &global_matrices_buffer);
    glBindBuffer(GL_UNIFORM_BUFFER, global_matrices_buffer);
    glBufferData(GL_UNIFORM_BUFFER, global_matrices_size, nullptr, GL_STREAM_DRAW);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    // Also leaves the buffer bound to the generic target, which every later sub-upload relies on.
    glBindBufferRange(GL_UNIFORM_BUFFER, global_matrices_binding(), global_matrices_buffer, 0,
                      global_matrices_size);
}

void set_view(glm::mat4 m) {
    view = m;
    update_global_matrices();
}

void set_projection(glm::mat4 m) {
    projection = m;
    update_global_matrices();
}

void update_global_matrices() {
    view_projection = projection * view;
    glBufferSubData(GL_UNIFORM_BUFFER, view_projection_offset, view_projection_bytes,
                    glm::value_ptr(view_projection));
    inverse_view_projection = glm::inverse(view) * glm::inverse(projection);
}

void set_viewport_size(float width, float height) {
    const glm::vec2 size(width, height);
    glBufferSubData(GL_UNIFORM_BUFFER, viewport_size_offset, viewport_size_bytes, glm::value_ptr(size));
}

glm::vec2 get_display_size() {
    if (!display)
        return glm::vec2(0.0f);
    return glm::vec2(display->size());
}

glm::mat4 get_view() { return view; }

glm::mat4 get_inverse_view() { return glm::inverse(view); }

glm::mat4 get_inverse_view_projection() { return inverse_view_projection; }

bool is_visible_in(const glm::mat4& m, glm::vec3 p) {
    const glm::vec4 c = m * glm::vec4(p, 1.0f);
    for (int i = 0; i < 2; ++i) {
        for (float s : {-1.0f, 1.0f}) {
            const glm::vec4 q = s * m[i] + m[3];
            const float e = q[0] * c.x + q[1] * c.y + q[2] * c.z + q[3];
            if (e > visibility_margin)
                return false;
        }
    }
    return true;
}

bool is_visible(glm::vec3 position) {
    if (!frustum_culling)
        return true;
    return is_visible_in(view_projection, position);
}

glm::mat4 make_projection(float width, float height) {
    return glm::perspective(glm::radians(camera_fov_degrees), width / height, near_plane, far_plane);
}

glm::vec3 camera_direction(float yaw, float pitch) {
    return glm::vec3(std::sin(yaw) * std::cos(pitch), std::sin(pitch), std::cos(yaw) * std::cos(pitch));
}
