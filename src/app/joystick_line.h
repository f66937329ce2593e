// The second line a joystick event prints: the first axis of the first two sticks of that joystick.
#pragma once

#include "app/shell/gl.h"

#include <string>

// "A B": axis 0 of stick 0 and of stick 1 of one joystick's state; a stick the joystick does not have
// (stick_count says how many it has) reads 0.
std::string joystick_state_line(const ALLEGRO_JOYSTICK_STATE& state, int stick_count);

// Reads the state of the joystick an event came from and prints its line on standard output.
void print_joystick_state(ALLEGRO_JOYSTICK* joystick);
