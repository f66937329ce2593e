// Polling of the held keys and the mouse, and console printers for vectors and matrices.
#pragma once

#include <glm/glm.hpp>

// Whether the key (ALLEGRO_KEY_...) is held now; reads the keyboard state afresh.
bool key_down(int key);
// Whether any button in mask (bit 0 = left button) is held now.
bool mouse_button_down(int mask);
// The mouse position in normalized device coordinates: x -1 left ... +1 right, y +1 top ... -1 bottom.
glm::vec2 mouse_position_ndc();
// The mapping behind mouse_position_ndc for a position in pixels and a display size; (0, 0) while the
// display has no area, so no NaN reaches the aim.
glm::vec2 pixels_to_ndc(glm::vec2 pixels, glm::vec2 display_size);

// Each prints its entries followed by a blank, a line per matrix row, on standard output.
void print(glm::mat4 m);
void print(glm::vec2 v);
void print(glm::vec3 v);
void print(glm::vec4 v);
