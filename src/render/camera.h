// The camera's matrices, the "GlobalMatrices" uniform buffer that carries them, and the visibility test.
#pragma once

#include "app/shell/gl.h"

#include <glm/glm.hpp>

constexpr float camera_fov_degrees = 45.0f;
constexpr float near_plane = 0.5f;
constexpr float far_plane = 30.0f;
constexpr float camera_pi = 3.1415927f;
constexpr float min_camera_pitch = -camera_pi / 4.0f;
constexpr float max_camera_pitch = camera_pi / 4.0f;
// Layout of the matrix buffer: projection x view, then the viewport size (width, height).
constexpr GLintptr view_projection_offset = 0;
constexpr GLsizeiptr view_projection_bytes = sizeof(glm::mat4);
constexpr GLintptr viewport_size_offset = view_projection_offset + view_projection_bytes;
constexpr GLsizeiptr viewport_size_bytes = sizeof(glm::vec2);
constexpr GLsizeiptr global_matrices_size = viewport_size_offset + viewport_size_bytes;
static_assert(global_matrices_size == 72, "the GlobalMatrices block's std140 size");

extern glm::mat4 projection;
extern glm::mat4 view;
extern glm::mat4 view_projection;
extern glm::mat4 inverse_view_projection;
extern GLuint global_matrices_buffer;

// The uniform-buffer binding point of the "GlobalMatrices" block: always 0.
unsigned int global_matrices_binding();
// Creates the matrix buffer and binds it to its binding point (and to the generic uniform target).
void create_global_matrices_buffer();
void set_view(glm::mat4 m);
void set_projection(glm::mat4 m);
// Recomputes projection x view and its inverse and uploads the product to bytes 0-63.
void update_global_matrices();
// Uploads the viewport size to bytes 64-71.
void set_viewport_size(float width, float height);
// The display's size in pixels; (0, 0) while there is no display.
glm::vec2 get_display_size();
glm::mat4 get_view();
glm::mat4 get_inverse_view();
glm::mat4 get_inverse_view_projection();
// The frustum test against view_projection; always true while frustum culling is off.
bool is_visible(glm::vec3 position);

// The perspective projection for a display of the given size.
glm::mat4 make_projection(float width, float height);
// Where the camera looks for the given yaw and pitch (radians); +z at (0, 0).
glm::vec3 camera_direction(float yaw, float pitch);
// The visibility test against any view-projection matrix, with culling on.
bool is_visible_in(const glm::mat4& view_projection_matrix, glm::vec3 position);
