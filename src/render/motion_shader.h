// Motion blur: a ring of the last six frames on texture units 1-6, blended by one full-screen pass.
#pragma once

#include "shader.h"

#include <cstdint>

class motion_shader : public shader {
  public:
    motion_shader();

    // Creates the six black ring textures on units 1-6 and the pixel buffer (12 bytes per display pixel).
    void init_frames();
    // Ring slot k (0 newest ... 5 oldest) lives on texture unit ((frame_counter + 5 - k) mod 6) + 1.
    unsigned texture_unit(unsigned k) const;
    // The same mapping for any counter, without a program.
    static unsigned ring_unit(uint32_t counter, unsigned k);
    // The counter after one advance.
    static uint32_t next_counter(uint32_t counter);
    unsigned texture_unit0() const { return texture_unit(0); }
    unsigned texture_unit1() const { return texture_unit(1); }
    unsigned texture_unit2() const { return texture_unit(2); }
    unsigned texture_unit3() const { return texture_unit(3); }
    unsigned texture_unit4() const { return texture_unit(4); }
    unsigned texture_unit5() const { return texture_unit(5); }
    // Makes the program current and points the six samplers at the ring slots.
    void apply();
    // Turns the ring by one frame.
    void advance();
    // Grows the pixel buffer to hold one padded RGB frame of the given size; false when the size has no area.
    bool reserve_pixel_buffer(int width, int height);

    uint32_t frame_counter = 0;
    GLuint frame_textures[6] = {};
    GLuint pixel_buffer = 0;
    GLint texture_unit_locations[6] = {-1, -1, -1, -1, -1, -1};
    // Bytes the pixel buffer holds now; it grows when a resized display needs more.
    GLsizeiptr pixel_buffer_size = 0;

  protected:
    void init_uniforms() override;
};
