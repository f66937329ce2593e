// An indexed triangle set on the GPU: a built-in solid, the first mesh of a model file, or an empty mesh.
#pragma once

#include "app/shell/gl.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <string>
#include <vector>

struct aiMesh;

// Kinds 0-3 are the built-in solids.
constexpr int built_in_solid_kinds = 4;
// A kind beyond the built-in solids: the mesh comes out empty for its creator to fill in.
constexpr int empty_mesh_kind = 57005;

class mesh {
  public:
    // Built-in solid of the given kind (0 cube, 1 triangular pyramid, 2 octahedron, 3 square pyramid);
    // any other kind gives an empty mesh that its creator fills in.
    explicit mesh(int kind);
    // Imports the first mesh of the model file at path; an empty mesh when the import fails.
    explicit mesh(std::string path);
    virtual ~mesh();
    mesh(const mesh&) = delete;
    mesh& operator=(const mesh&) = delete;

    // Binds the vertex array, draws its elements and unbinds it; the program and uniforms are the caller's.
    void draw() const;

    GLuint vao = 0;
    GLenum mode = GL_TRIANGLES;
    GLsizei count = 0;
    GLenum index_type = GL_UNSIGNED_BYTE;

  private:
    void upload(GLsizeiptr positions_size, const void* positions, GLsizeiptr indices_size,
                const void* indices, GLsizei index_count, GLsizeiptr texcoords_size, const void* texcoords,
                GLsizeiptr normals_size, const void* normals);
    void import_model(std::string path);
    // Uploads the imported mesh m with the chosen triangle indices, logging which channels it has.
    void upload_imported(const std::string& path, const aiMesh& m, const std::vector<uint32_t>& indices);
};

// Receives the text of a failed model import. The game shows a modal box captioned "import failed";
// tests install a recorder instead. A null reporter restores the box.
using import_failure_reporter = void (*)(const std::string& text);
void set_import_failure_reporter(import_failure_reporter reporter);

// The arrays a built-in solid is uploaded from, in vertex order; all empty for kinds other than 0-3.
struct solid_arrays {
    std::vector<glm::vec4> positions;
    std::vector<glm::vec2> texcoords;
    std::vector<glm::vec3> normals;
    std::vector<uint8_t> indices;
};
solid_arrays built_in_solid(int kind);
