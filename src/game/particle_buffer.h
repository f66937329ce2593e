// Owns a shot's vertex array and particle buffer: move-only, deletes both when it goes. The one place
// that describes particle_struct records as vertices.
#pragma once

#include "app/shell/gl.h"
#include "particle_struct.h"

#include <vector>

class particle_buffer {
  public:
    // An empty handle that owns no GL objects.
    particle_buffer() = default;
    // Creates the buffer holding particles and the vertex array that reads it; needs a current GL context.
    explicit particle_buffer(const std::vector<particle_struct>& particles);
    ~particle_buffer();
    particle_buffer(const particle_buffer&) = delete;
    particle_buffer& operator=(const particle_buffer&) = delete;
    particle_buffer(particle_buffer&& other) noexcept;
    particle_buffer& operator=(particle_buffer&& other) noexcept;

    // Specifies the whole buffer anew with particles.
    void upload(const std::vector<particle_struct>& particles) const;
    // Draws the first count particles as points with the current program.
    void draw(GLsizei count) const;
    // Deletes the GL objects now, while their context is current, and leaves the handle empty.
    void release();

    GLuint vao() const { return vao_name; }
    GLuint buffer() const { return buffer_name; }
    bool empty() const { return vao_name == 0 && buffer_name == 0; }

  private:
    GLuint vao_name = 0;
    GLuint buffer_name = 0;
};
