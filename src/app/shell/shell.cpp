// The fatal exit path and the display handle shared by every subsystem.
#include "shell.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <unistd.h>

display_surface* display = nullptr;

namespace {
void (*shutdown_handler)() = nullptr;
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
