// A GLSL program built from one source file per stage; concrete effects derive from it.
#pragma once

#include "app/shell/gl.h"

#include <string>
#include <utility>
#include <vector>

class shader {
  public:
    using source = std::pair<GLenum, std::string>;

    shader();
    virtual ~shader();
    shader(const shader&) = delete;
    shader& operator=(const shader&) = delete;

    // Queues a stage (type and file path); vertex first, then geometry, then fragment.
    void add_source(GLenum type, const std::string& path);
    // Compiles every queued stage, links, then calls init_uniforms; ends the process on any failure.
    void compile();
    // Creates, loads and compiles one stage; ends the process on failure.
    static GLuint compile_shader_file(const source& src);

    std::vector<source>* sources;
    GLuint program;

  protected:
    // Looks up the uniform locations and binds the "GlobalMatrices" block; runs once, right after the link.
    virtual void init_uniforms() = 0;
    // Binds this program's "GlobalMatrices" block to the shared binding point; returns the block index.
    GLuint bind_global_matrices_block();
    // Uploads the camera's current view matrix to "viewMatrix", making the program current around the upload.
    void upload_start_view_matrix();
};
