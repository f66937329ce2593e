// The ten effect programs of the game and the globals that reach them.
#include "shader_set.h"

shader_set* shaders = nullptr;
baerentzen_shader* wireframe_shader = nullptr;

shader_set::shader_set() {
    // Member order is also the order in which shader files are read and failures reported.
    dissolver = new dissolver_shader();
    dissolveph = new dissolveph_shader();
    baerentzen = new baerentzen_shader();
    phong = new phong_shader();
    pink_noise = new pink_noise_shader();
    rainbow = new rainbow_shader();
    texture = new texture_shader();
    particle = new particle_shader();
    dissolvet = new dissolvet_shader();
    motion = new motion_shader();
}
