// The bench's still life of the game's mesh programs: each on a solid of its own, posed where its effect
// shows (a specular highlight, burning edges mid-dissolve, the noise and rainbow colourings that no game
// scene draws), so that a reference picture sees a change to any of them.
#pragma once

#include "app/shell/gl.h"

#include <glm/glm.hpp>
#include <vector>

class mesh;

namespace tarnwick::bench {

class effect_board {
  public:
    // Poses the pieces; the shader set, model store and texture store must exist.
    void setup();
    // Draws every piece over what the frame holds; the dissolving ones with their health moved by
    // burn_shift points.
    void draw(int burn_shift) const;

  private:
    struct piece {
        GLuint program = 0;
        GLint model_location = -1;
        // -1 where the program takes no colour, or does not dissolve.
        GLint colour_location = -1;
        GLint factor_location = -1;
        GLint cloud_location = -1;
        GLint surface_location = -1;
        const mesh* shape = nullptr;
        glm::mat4 model{1.0f};
        glm::vec4 colour{1.0f};
        // Health of a dissolving piece, as an enemy's (0 to 199).
        int health = 0;
    };
    void draw_piece(const piece& p, int burn_shift) const;

    std::vector<piece> pieces;
};

} // namespace tarnwick::bench
