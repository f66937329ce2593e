// The main loop's switches and the filter table they select from.
#include "switches.h"

#include "gl.h"

bool running = true;
bool frustum_culling = true;
uint8_t texture_sampling_quality = 0;
uint8_t mipmap_sampling_quality = 0;

bool is_running() { return running; }

void stop_running() { running = false; }

bool toggle_frustum_culling() {
    frustum_culling = !frustum_culling;
    return frustum_culling;
}

uint8_t cycle_texture_sampling_quality() {
    texture_sampling_quality = (texture_sampling_quality + 1) % 2;
    return texture_sampling_quality;
}

uint8_t cycle_mipmap_sampling_quality() {
    mipmap_sampling_quality = (mipmap_sampling_quality + 1) % 3;
    return mipmap_sampling_quality;
}

int min_filter() {
    const bool linear = texture_sampling_quality == 1;
    switch (mipmap_sampling_quality) {
    case 0:
        return linear ? GL_LINEAR : GL_NEAREST;
    case 1:
        return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case 2:
        return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    default:
        return GL_NEAREST;
    }
}

int mag_filter() { return texture_sampling_quality == 1 ? GL_LINEAR : GL_NEAREST; }
