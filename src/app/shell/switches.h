// Process-wide switches of the main loop: running, frustum culling and the backdrop's filter qualities.
#pragma once

#include <cstdint>

extern bool running;
extern bool frustum_culling;
extern uint8_t texture_sampling_quality;
extern uint8_t mipmap_sampling_quality;

bool is_running();
void stop_running();
// Flips frustum_culling and returns the new value.
bool toggle_frustum_culling();
// Steps the texture quality through 0, 1 and returns the new value.
uint8_t cycle_texture_sampling_quality();
// Steps the mipmap quality through 0, 1, 2 and returns the new value.
uint8_t cycle_mipmap_sampling_quality();
// The GL minification filter for the current qualities.
int min_filter();
// The GL magnification filter for the current texture quality.
int mag_filter();
