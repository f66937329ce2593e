// The world's drawing resources, taken from the stores that start-up made.
#include "draw_resources.h"

#include "assets/model_store.h"
#include "assets/texture_store.h"
#include "render/shader_set.h"

draw_resources world_resources;

draw_resources resources_from_stores() {
    draw_resources r;
    r.wire_program = wireframe_shader;
    r.wire_color_location = wireframe_shader->wire_color_location;
    r.lit_program = shaders->phong;
    r.lit_color_location = shaders->phong->diffuse_color_location;
    r.dissolver = shaders->dissolver;
    r.dissolve_texture = textures->clouds;
    for (int kind = 0; kind < built_in_solid_kinds; ++kind)
        r.solids[kind] = models->get(kind);
    r.boss = models->boss;
    return r;
}
