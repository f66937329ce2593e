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

    uint32_t frame_counter = 0;
    GLuint frame_textures[6] = {};
    GLuint pixel_buffer = 0;
    GLint texture_unit_locations[6] = {-1, -1, -1, -1, -1, -1};

  protected:
    void init_uniforms() override;
};
