// The few services of the application shell that lower code calls: the fatal exit and the display handle.
#pragma once

#include "display_surface.h"
#include "gl.h"

#include <string>

// What frames are drawn into (the game's window, or the bench's framebuffer without one) with its OpenGL
// context; null until start-up has opened it.
extern display_surface* display;

// Writes message to standard error, shows it in a message box when boxes are on (else waits for Enter when
// a person is at the console), runs the installed shutdown and ends the process with status. Never returns.
[[noreturn]] void exit_with_message(const std::string& message, int status);

// The environment variable by which the launcher says that nobody reads the console.
constexpr const char* message_box_variable = "TARNWICK_MESSAGE_BOX";
// Whether that variable's value asks for boxes: exactly "1".
bool message_box_requested(const char* value);
// Turns the fatal path's message box on or off (off unless the game turns it on).
void show_messages_in_a_box(bool on);

// What a message box shows for a message: the window title names the game and the first line, the bold
// heading is the first line, the text below it the remaining lines.
struct message_box_text {
    std::string title;
    std::string heading;
    std::string text;
};
message_box_text box_text_for(const std::string& message);

// The shutdown that exit_with_message runs; start-up installs it before anything can fail.
void set_shutdown_handler(void (*handler)());

// The console's "press a key" prompt: waits for Enter only when standard input is a terminal.
void wait_for_key();

// The drawing conventions every draw relies on: textures on, clockwise front faces with back faces culled,
// depth test with GL_LEQUAL, and alpha blending.
void set_fixed_gl_state();
