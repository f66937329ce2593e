// The second line a joystick event prints.
#include "joystick_line.h"

#include <iostream>
#include <sstream>

std::string joystick_state_line(const ALLEGRO_JOYSTICK_STATE& state, int stick_count) {
    std::ostringstream line;
    line << (stick_count > 0 ? state.stick[0].axis[0] : 0.0f) << " "
         << (stick_count > 1 ? state.stick[1].axis[0] : 0.0f);
    return line.str();
}

void print_joystick_state(ALLEGRO_JOYSTICK* joystick) {
    ALLEGRO_JOYSTICK_STATE state{};
    int sticks = 0;
    if (joystick) {
        al_get_joystick_state(joystick, &state);
        sticks = al_get_joystick_num_sticks(joystick);
    }
    std::cout << joystick_state_line(state, sticks) << std::endl;
}
