// The ten effect programs, created once at start-up in member order.
#pragma once

#include "baerentzen_shader.h"
#include "dissolveph_shader.h"
#include "dissolver_shader.h"
#include "dissolvet_shader.h"
#include "motion_shader.h"
#include "particle_shader.h"
#include "phong_shader.h"
#include "pink_noise_shader.h"
#include "rainbow_shader.h"
#include "texture_shader.h"

struct shader_set {
    // Compiles every program in member order (which is also the order of any failure report).
    shader_set();

    dissolver_shader* dissolver;
    dissolveph_shader* dissolveph;
    baerentzen_shader* baerentzen;
    phong_shader* phong;
    pink_noise_shader* pink_noise;
    rainbow_shader* rainbow;
    texture_shader* texture;
    particle_shader* particle;
    dissolvet_shader* dissolvet;
    motion_shader* motion;
};

// The one shader set, made by start-up; never deleted.
extern shader_set* shaders;
// The set's baerentzen member, also reached by the game code; shutdown deletes it.
extern baerentzen_shader* wireframe_shader;
