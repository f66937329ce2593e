// The game's window as a display surface: Allegro's back buffer, flip and resize.
#include "display_surface.h"

allegro_window::~allegro_window() { al_destroy_display(window); }

glm::ivec2 allegro_window::size() const {
    return glm::ivec2(al_get_display_width(window), al_get_display_height(window));
}

void allegro_window::present() { al_flip_display(); }

void allegro_window::resize(int width, int height) { al_resize_display(window, width, height); }

void allegro_window::acknowledge_resize() { al_acknowledge_resize(window); }
