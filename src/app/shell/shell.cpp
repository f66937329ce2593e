// The fatal exit path and the display handle shared by every subsystem.
#include "shell.h"

#include <allegro5/allegro_native_dialog.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <unistd.h>

display_surface* display = nullptr;

namespace {
void (*shutdown_handler)() = nullptr;
bool message_box_on = false;
constexpr const char* game_name = "Tarnwick";

// Shows the message and waits until it is dismissed; false when no box could be shown (no X server, say).
// The add-on needs no display of ours, so a start-up failure before the window still gets its box.
bool show_message_box(const std::string& message, int status) {
    if (al_is_system_installed())
        al_init_native_dialog_addon();
    const message_box_text box = box_text_for(message);
    const int flags = status == 0 ? 0 : ALLEGRO_MESSAGEBOX_ERROR;
    return al_show_native_message_box(display ? display->allegro_display() : nullptr, box.title.c_str(),
                                      box.heading.c_str(), box.text.c_str(), nullptr, flags) != 0;
}
} // namespace

bool message_box_requested(const char* value) { return value && std::strcmp(value, "1") == 0; }

void show_messages_in_a_box(bool on) { message_box_on = on; }

message_box_text box_text_for(const std::string& message) {
    const size_t end = message.find('\n');
    message_box_text box;
    box.heading = message.substr(0, end);
    if (end != std::string::npos)
        box.text = message.substr(end + 1);
    while (!box.text.empty() && box.text.back() == '\n')
        box.text.pop_back();
    box.title = box.heading.empty() ? game_name : std::string(game_name) + ": " + box.heading;
    return box;
}

void set_shutdown_handler(void (*handler)()) { shutdown_handler = handler; }

void wait_for_key() {
    // Linux has no "pause" command; a pipe or CI run must not block here.
    if (!isatty(STDIN_FILENO))
        return;
    std::cerr << "Press Enter to continue . . ." << std::endl;
    int c;
    while ((c = std::getchar()) != '\n' && c != EOF) {
    }
}

void exit_with_message(const std::string& message, int status) {
    std::cerr << message << std::endl;
    // The box holds the message until it is dismissed, as the Enter prompt does on a terminal.
    if (!(message_box_on && show_message_box(message, status)))
        wait_for_key();
    if (shutdown_handler)
        shutdown_handler();
    std::cout.flush();
    std::exit(status);
}

void set_fixed_gl_state() {
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CW);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glDepthRange(0.0, 1.0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
}
