// The bench's still life of the game's mesh programs, each posed where its effect shows.
#include "scenes/effect_board.h"

#include "assets/model_store.h"
#include "assets/texture_store.h"
#include "game/enemy.h"
#include "render/shader_set.h"

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

template <class shader_type> void take_program(GLuint& program, GLint& model_location, const shader_type* s) {
    program = s->program;
    model_location = s->model_matrix_location;
}
} // namespace

void effect_board::setup() {
    pieces.clear();
    piece wire;
    take_program(wire.program, wire.model_location, shaders->baerentzen);
    wire.colour_location = shaders->baerentzen->wire_color_location;
    wire.shape = models->get(cube);
    wire.model = turned(place(0, 0), 30.0f, 25.0f, 0.95f);
    wire.colour = glm::vec4(0.0f, 1.0f, 0.0f, 1.0f);
    pieces.push_back(wire);

    piece shiny;
    take_program(shiny.program, shiny.model_location, shaders->phong);
    shiny.colour_location = shaders->phong->diffuse_color_location;
    shiny.shape = models->get(cube);
    shiny.model = highlight_pose(place(1, 0), 0.95f);
    shiny.colour = glm::vec4(0.35f, 0.45f, 0.8f, 1.0f);
    pieces.push_back(shiny);

    piece lit = shiny;
    lit.shape = models->get(octahedron);
    lit.model = turned(place(2, 0), 35.0f, -20.0f, 1.15f);
    lit.colour = glm::vec4(1.0f, 0.5f, 0.5f, 0.5f);
    pieces.push_back(lit);

    piece noise;
    take_program(noise.program, noise.model_location, shaders->pink_noise);
    noise.shape = models->get(cube);
    noise.model = turned(place(3, 0), -35.0f, 30.0f, 0.95f);
    pieces.push_back(noise);

    piece bands;
    take_program(bands.program, bands.model_location, shaders->rainbow);
    bands.shape = models->get(octahedron);
    bands.model = turned(place(0, 1), 20.0f, 15.0f, 1.2f);
    pieces.push_back(bands);

    piece burning;
    take_program(burning.program, burning.model_location, shaders->dissolver);
    burning.factor_location = shaders->dissolver->dissolve_factor_location;
    burning.cloud_location = shaders->dissolver->cloud_texture_location;
    burning.shape = models->get(cube);
    burning.model = turned(place(1, 1), 25.0f, 30.0f, 0.95f);
    burning.health = mid_burn;
    pieces.push_back(burning);

    piece lit_burning = burning;
    take_program(lit_burning.program, lit_burning.model_location, shaders->dissolveph);
    lit_burning.factor_location = shaders->dissolveph->dissolve_factor_location;
    lit_burning.cloud_location = shaders->dissolveph->cloud_texture_location;
    lit_burning.model = highlight_pose(place(2, 1), 0.95f);
    pieces.push_back(lit_burning);

    piece textured_burning = burning;
    take_program(textured_burning.program, textured_burning.model_location, shaders->dissolvet);
    textured_burning.factor_location = shaders->dissolvet->dissolve_factor_location;
    textured_burning.cloud_location = shaders->dissolvet->cloud_texture_location;
    textured_burning.surface_location = shaders->dissolvet->rendered_texture_location;
    textured_burning.model = highlight_pose(place(3, 1), 0.95f);
    pieces.push_back(textured_burning);
}

void effect_board::draw(int burn_shift) const {
    for (const piece& p : pieces)
        draw_piece(p, burn_shift);
}

void effect_board::draw_piece(const piece& p, int burn_shift) const {
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

} // namespace tarnwick::bench
