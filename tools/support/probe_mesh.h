// Small hand-made geometry for render probes and pictures: a vertex array in the meshes' attribute layout.
#pragma once

#include "app/shell/gl.h"
#include "assets/mesh.h"

#include <glm/glm.hpp>
#include <vector>

// Owns its vertex array and buffers; attribute 0 vec4 position, 1 vec2 texcoord, 2 vec3 normal.
class probe_mesh {
  public:
    probe_mesh(const std::vector<glm::vec4>& positions, const std::vector<glm::vec2>& texcoords,
               const std::vector<glm::vec3>& normals, const std::vector<GLubyte>& indices);
    ~probe_mesh();
    probe_mesh(const probe_mesh&) = delete;
    probe_mesh& operator=(const probe_mesh&) = delete;
    void draw() const { shape.draw(); }

  private:
    // Filled in here like the screen quad; its vertex array and buffers are deleted with the probe.
    mesh shape{empty_mesh_kind};
    GLuint buffers[4] = {};
};

// A square facing the camera at the origin (which looks along +z, so world +x is screen left), wound
// clockwise on screen, with the given normal at every corner.
probe_mesh* make_facing_quad(glm::vec3 centre, float half_size, glm::vec3 normal);

// The game's view at yaw = pitch = 0: eye at the origin looking along +z.
glm::mat4 forward_view();

// The window pixel (x right, y up) where a world point lands with the current view_projection.
glm::ivec2 project_to_pixel(glm::vec3 world, int width, int height);

// Clears colour and depth to the given colour.
void clear_to(float r, float g, float b);
