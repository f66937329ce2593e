// What the game world draws with, gathered in one place so that a world without GL needs none of it.
#pragma once

#include "app/shell/gl.h"
#include "assets/mesh.h"
#include "render/dissolver_shader.h"
#include "render/model_shader.h"

// Programs, colour uniforms, meshes and the dissolve texture of the enemies. Start-up fills it from the
// stores; a simulation-only world leaves it empty (null programs and meshes, locations -1, texture 0).
struct draw_resources {
    // The wireframe program of wave enemies and satellites, and its colour uniform.
    const model_shader* wire_program = nullptr;
    GLint wire_color_location = -1;
    // The lit program of the boss and the bonus items, and its colour uniform.
    const model_shader* lit_program = nullptr;
    GLint lit_color_location = -1;
    dissolver_shader* dissolver = nullptr;
    GLuint dissolve_texture = 0;
    const mesh* solids[built_in_solid_kinds] = {};
    const mesh* boss = nullptr;
};

// Takes everything from the shader set, the model store and the texture store, which must all exist.
draw_resources resources_from_stores();

// What enemies are made with; empty until start-up fills it, emptied again by shutdown.
extern draw_resources world_resources;
