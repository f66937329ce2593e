// Device polling through Allegro's state queries; nothing is cached between calls.
#include "input.h"

#include "app/shell/gl.h"
#include "render/camera.h"

#include <iostream>

namespace {
// Without the drivers (a display with no window installs none) nothing is held and the cursor rests on
// the top-left pixel; Allegro would stop the process on an assertion instead.
ALLEGRO_KEYBOARD_STATE keyboard_state() {
    ALLEGRO_KEYBOARD_STATE state{};
    if (al_is_keyboard_installed())
        al_get_keyboard_state(&state);
    return state;
}

ALLEGRO_MOUSE_STATE mouse_state() {
    ALLEGRO_MOUSE_STATE state{};
    if (al_is_mouse_installed())
        al_get_mouse_state(&state);
    return state;
}
} // namespace

bool key_down(int key) {
    const ALLEGRO_KEYBOARD_STATE state = keyboard_state();
    return al_key_down(&state, key);
}

bool mouse_button_down(int mask) { return (mouse_state().buttons & mask) != 0; }

glm::vec2 pixels_to_ndc(glm::vec2 pixels, glm::vec2 size) {
    if (size.x <= 0.0f || size.y <= 0.0f)
        return glm::vec2(0.0f);
    return ((2.0f * pixels) / size - glm::vec2(1.0f, 1.0f)) * glm::vec2(1.0f, -1.0f);
}

glm::vec2 mouse_position_ndc() {
    const ALLEGRO_MOUSE_STATE state = mouse_state();
    return pixels_to_ndc(glm::vec2(float(state.x), float(state.y)), get_display_size());
}

void print(glm::mat4 m) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c)
            std::cout << m[c][r] << " ";
        std::cout << std::endl;
    }
}

void print(glm::vec2 v) { std::cout << v.x << " " << v.y << " " << std::endl; }

void print(glm::vec3 v) { std::cout << v.x << " " << v.y << " " << v.z << " " << std::endl; }

void print(glm::vec4 v) { std::cout << v.x << " " << v.y << " " << v.z << " " << v.w << " " << std::endl; }
