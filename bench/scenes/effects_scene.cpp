// The effects scene: the game's mesh programs side by side on still solids, each posed where its effect
// shows (a specular highlight, burning edges mid-dissolve, the noise and rainbow colourings that no game
// scene draws), so that a reference picture sees a change to any of them; nothing else is in the world.
#include "assets/mesh.h"
#include "assets/model_store.h"
#include "assets/texture_store.h"
#include "game/enemy.h"
#include "render/shader_set.h"
#include "scenes/bench_stage.h"

#include <algorithm>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace tarnwick::bench {

namespace {
// Two rows of four, six units in front of the camera's start; +x is the left of the screen.
constexpr float board_depth = 6.0f;
constexpr float column_x[4] = {2.4f, 0.8f, -0.8f, -2.4f};
constexpr float row_y[2] = {0.85f, -0.85f};
constexpr int cube = 0;
constexpr int octahedron = 2;
// The lit programs' key light, as their sources have it.
const glm::vec3 key_light = glm::normalize(glm::vec3(-0.4f, 0.7f, -0.6f));
// How far the highlight face is turned off the mirror direction: enough that the highlight falls off
// across the face, so its strength and its sharpness both show.
constexpr float highlight_offset_degrees = 4.0f;
// Health (of 199) of the dissolving pieces: a quarter burnt, with edges and holes.
constexpr int mid_burn = 150;
constexpr float dissolve_factor_scale = 255.0f;
// Units 1 to 6 belong to the motion-blur ring.
constexpr GLint surface_unit = 7;

// A solid drawn by one program.
struct piece {
    GLuint program = 0;
    GLint model_location = -1;
    const mesh* shape = nullptr;
    glm::mat4 model{1.0f};
    // -1 where the program takes no colour, or does not dissolve.
    GLint colour_location = -1;
    glm::vec4 colour{1.0f};
    GLint factor_location = -1;
    GLint cloud_location = -1;
    GLint surface_location = -1;
    // Health of a dissolving piece, as an enemy's (0 to 199).
    int health = 0;
};

glm::vec3 place(int column, int row) { return glm::vec3(column_x[column], row_y[row], board_depth); }

glm::mat4 turned(glm::vec3 at, float yaw, float pitch, float scale) {
    glm::mat4 m = glm::translate(glm::mat4(1.0f), at);
    m = glm::rotate(m, glm::radians(yaw), glm::vec3(0, 1, 0));
    m = glm::rotate(m, glm::radians(pitch), glm::vec3(1, 0, 0));
    return glm::scale(m, glm::vec3(scale));
}

// A cube at `at` turned so that its -z face points close to the half-way vector between the key light
// and the eye (at the origin): that face carries the specular highlight.
glm::mat4 highlight_pose(glm::vec3 at, float scale) {
    const glm::vec3 half = glm::normalize(key_light + glm::normalize(-at));
    const glm::vec3 aim = glm::normalize(
        glm::vec3(glm::rotate(glm::mat4(1.0f), glm::radians(highlight_offset_degrees), glm::vec3(0, 0, 1)) *
                  glm::vec4(half, 0.0f)));
    const glm::vec3 face(0.0f, 0.0f, -1.0f);
    const float angle = std::acos(std::clamp(glm::dot(face, aim), -1.0f, 1.0f));
    glm::mat4 m = glm::translate(glm::mat4(1.0f), at);
    m = glm::rotate(m, angle, glm::normalize(glm::cross(face, aim)));
    return glm::scale(m, glm::vec3(scale));
}

// A piece drawn by the program of shader s, in colour where it gives the colour's location.
template <class shader_type>
piece plain(const shader_type* s, int shape, const glm::mat4& model, GLint colour_location = -1,
            glm::vec4 colour = glm::vec4(1.0f)) {
    return {s->program, s->model_matrix_location, models->get(shape), model, colour_location, colour};
}

// A cube of a dissolving program, a quarter burnt.
template <class shader_type>
piece burning(const shader_type* s, const glm::mat4& model, GLint surface_location = -1) {
    piece p = plain(s, cube, model);
    p.factor_location = s->dissolve_factor_location;
    p.cloud_location = s->cloud_texture_location;
    p.surface_location = surface_location;
    p.health = mid_burn;
    return p;
}

void draw_piece(const piece& p, int burn_shift) {
    glUseProgram(p.program);
    glUniformMatrix4fv(p.model_location, 1, GL_FALSE, glm::value_ptr(p.model));
    if (p.colour_location >= 0)
        glUniform4fv(p.colour_location, 1, glm::value_ptr(p.colour));
    const bool burns = p.factor_location >= 0;
    if (burns) {
        const int health = std::clamp(p.health + burn_shift, 0, intact_health - 1);
        glUniform1f(p.factor_location, float(health) / dissolve_factor_scale);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, textures->clouds);
        glUniform1i(p.cloud_location, 0);
    }
    // The game never sets the textured dissolve's surface; here it gets a coloured image, so that what the
    // program does with it shows.
    if (p.surface_location >= 0) {
        glActiveTexture(GL_TEXTURE0 + surface_unit);
        glBindTexture(GL_TEXTURE_2D, textures->powerup);
        glUniform1i(p.surface_location, surface_unit);
        glActiveTexture(GL_TEXTURE0);
    }
    const bool translucent = p.colour.a < 1.0f;
    if (translucent)
        glDisable(GL_CULL_FACE);
    p.shape->draw();
    if (translucent)
        glEnable(GL_CULL_FACE);
    if (burns)
        glBindTexture(GL_TEXTURE_2D, 0);
    if (p.surface_location >= 0) {
        glActiveTexture(GL_TEXTURE0 + surface_unit);
        glBindTexture(GL_TEXTURE_2D, 0);
        glActiveTexture(GL_TEXTURE0);
    }
    glUseProgram(0);
}
} // namespace

class effects_scene final : public scene {
  public:
    effects_scene()
        : scene("effects", {},
                "the game's mesh programs side by side on still solids, each posed where its effect shows\n"
                "    (a specular highlight, dissolves half burnt, the noise and rainbow colourings)",
                2) {}
    // Poses the pieces; the shader set, model store and texture store must exist.
    void setup(bench_stage&) override {
        const GLint diffuse = shaders->phong->diffuse_color_location;
        pieces = {
            plain(shaders->baerentzen, cube, turned(place(0, 0), 30.0f, 25.0f, 0.95f),
                  shaders->baerentzen->wire_color_location, glm::vec4(0.0f, 1.0f, 0.0f, 1.0f)),
            plain(shaders->phong, cube, highlight_pose(place(1, 0), 0.95f), diffuse,
                  glm::vec4(0.35f, 0.45f, 0.8f, 1.0f)),
            plain(shaders->phong, octahedron, turned(place(2, 0), 35.0f, -20.0f, 1.15f), diffuse,
                  glm::vec4(1.0f, 0.5f, 0.5f, 0.5f)),
            plain(shaders->pink_noise, cube, turned(place(3, 0), -35.0f, 30.0f, 0.95f)),
            plain(shaders->rainbow, octahedron, turned(place(0, 1), 20.0f, 15.0f, 1.2f)),
            burning(shaders->dissolver, turned(place(1, 1), 25.0f, 30.0f, 0.95f)),
            burning(shaders->dissolveph, highlight_pose(place(2, 1), 0.95f)),
            burning(shaders->dissolvet, highlight_pose(place(3, 1), 0.95f),
                    shaders->dissolvet->rendered_texture_location),
        };
    }
    void begin(bench_stage& stage, const scene_run&) override { stage.clear(); }
    // The pieces dissolve whether or not an enemy does.
    bool redraw_burning(bench_stage& stage, int points) override {
        return stage.redraw_dissolves(points, true, [&] { draw(stage, points); });
    }

  protected:
    void draw(bench_stage& stage, int burn_shift) override {
        stage.game.draw();
        for (const piece& p : pieces)
            draw_piece(p, burn_shift);
    }

  private:
    std::vector<piece> pieces;
};

std::unique_ptr<scene> make_effects_scene() { return std::make_unique<effects_scene>(); }

} // namespace tarnwick::bench
