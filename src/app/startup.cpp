// Start-up in its fixed order, and the matching shutdown.
#include "startup.h"

#include "app/config.h"
#include "app/gl_requirements.h"
#include "app/quiet_display.h"
#include "app/shell/shell.h"
#include "assets/model_store.h"
#include "assets/texture_store.h"
#include "game/draw_resources.h"
#include "game/machine_gun.h"
#include "game/world.h"
#include "render/camera.h"
#include "render/shader_set.h"

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>
#ifdef __GLIBC__
#include <malloc.h>
#endif

ALLEGRO_TIMER* timer = nullptr;
ALLEGRO_EVENT_QUEUE* event_queue = nullptr;

namespace {
// The single-precision 1/60 s, widened as the timer receives it.
constexpr float timer_period = 1.0f / 60.0f;

// The GL driver frees the memory of a frame's draws when the frame ends and takes as much again in the next
// one (a few KiB per shot drawn). Left to its default, the C library hands that memory back to the system
// every frame and the next frame faults it in again page by page; keeping up to this much free in the heap
// lets a steady frame reuse it.
constexpr int heap_kept_free = 64 << 20;

void keep_freed_heap() {
#ifdef __GLIBC__
    mallopt(M_TRIM_THRESHOLD, heap_kept_free);
#endif
}

// Whether the context can draw and read back a frame of the configured size. X accepts windows far larger
// than any viewport or texture, and the motion-blur ring would then try to allocate for them.
bool display_size_supported(const display_config& config) {
    GLint max_texture = 0;
    GLint max_viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, max_viewport);
    return config.width <= max_texture && config.height <= max_texture && config.width <= max_viewport[0] &&
           config.height <= max_viewport[1];
}

// Allegro itself and, for a window, its keyboard, mouse and joystick drivers. A display without a window
// takes no input, and without an X server the mouse driver could not be installed.
void install_drivers(bool input) {
    if (!al_install_system(ALLEGRO_VERSION_INT, atexit))
        exit_with_message("Could not init Allegro.", 1);
    if (!input)
        return;
    if (!al_install_keyboard())
        exit_with_message("Could not install keyboard.", 1);
    if (!al_install_mouse())
        exit_with_message("Could not install mouse.", 1);
    if (!al_install_joystick())
        exit_with_message("Could not install joystick.", 1);
}

// An OpenGL window of the configured size with the given mode flag (0 for a window); null when it fails.
ALLEGRO_DISPLAY* create_window(const display_config& config, int mode_flag) {
    al_set_new_display_flags(ALLEGRO_OPENGL | ALLEGRO_RESIZABLE | mode_flag);
    // Allegro may otherwise pick a visual without a depth buffer (Xvfb does), and the depth-tested scene
    // then draws in submission order: the backdrop would cover the inspection models.
    al_set_new_display_option(ALLEGRO_DEPTH_SIZE, 24, ALLEGRO_SUGGEST);
    // A size Allegro cannot open (negative, or beyond what the X server takes) fails like any other.
    if (config.width <= 0 || config.height <= 0)
        return nullptr;
    return create_display_quietly(config.width, config.height);
}

// Opens the game's OpenGL window of the configured size and mode; leaves display null when that fails. Full
// screen switches the screen's mode; where the configured size is not one of its modes (most desktops, Xvfb),
// a full-screen window at the desktop's size takes its place. Returns the settings with the size opened.
display_config open_window(const display_config& config) {
    ALLEGRO_DISPLAY* window = create_window(config, config.fullscreen ? ALLEGRO_FULLSCREEN : 0);
    if (!window && config.fullscreen) {
        // Without a window manager the window keeps the size it is made with, so it is made at the screen's.
        ALLEGRO_MONITOR_INFO screen;
        display_config whole_screen = config;
        if (al_get_monitor_info(0, &screen)) {
            whole_screen.width = screen.x2 - screen.x1;
            whole_screen.height = screen.y2 - screen.y1;
        }
        window = create_window(whole_screen, ALLEGRO_FULLSCREEN_WINDOW);
        if (window)
            std::cout << "full screen at " << config.width << "x" << config.height
                      << " is not a mode of this screen: a full-screen window at " << al_get_display_width(window)
                      << "x" << al_get_display_height(window) << " instead" << std::endl;
    }
    display_config opened = config;
    if (window) {
        opened.width = al_get_display_width(window);
        opened.height = al_get_display_height(window);
    }
    if (window && !display_size_supported(opened)) {
        al_destroy_display(window);
        window = nullptr;
    }
    if (window)
        display = new allegro_window(window);
    return opened;
}

// Takes the display the caller opened, or opens the game's window; leaves display null when that fails.
// Returns the settings with the size opened.
display_config open_display(const display_config& config, display_surface* opened) {
    if (!opened)
        return open_window(config);
    display = opened;
    if (!display_size_supported(config)) {
        delete display;
        display = nullptr;
    }
    return config;
}

const char* gl_string(GLenum name) {
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

// Before any shader compiles: a context that cannot run them ends start-up with what is missing, where a
// compile failure would say nothing useful.
void require_shader_support() {
    const std::string shortfall =
        gl_shortfall(gl_string(GL_RENDERER), gl_string(GL_VERSION), gl_string(GL_SHADING_LANGUAGE_VERSION));
    if (!shortfall.empty())
        exit_with_message(shortfall, 1);
}

// The sources that exist: a display without a window has no input drivers and no events of its own.
void create_event_queue() {
    event_queue = al_create_event_queue();
    if (al_is_keyboard_installed())
        al_register_event_source(event_queue, al_get_keyboard_event_source());
    if (al_is_mouse_installed())
        al_register_event_source(event_queue, al_get_mouse_event_source());
    if (al_is_joystick_installed())
        al_register_event_source(event_queue, al_get_joystick_event_source());
    if (display->allegro_display())
        al_register_event_source(event_queue, al_get_display_event_source(display->allegro_display()));
    al_register_event_source(event_queue, al_get_timer_event_source(timer));
}

// The fixed drawing state, the matrix buffer and the first projection for the size opened.
void prepare_gl(const display_config& config) {
    set_fixed_gl_state();
    create_global_matrices_buffer();
    view = glm::mat4(1.0f);
    set_projection(make_projection(float(config.width), float(config.height)));
    set_viewport_size(float(config.width), float(config.height));
}

// The stores, the world's drawing resources, the random generator and the player's weapon, in that order.
void create_game_objects() {
    models = new model_store;
    shaders = new shader_set;
    textures = new texture_store;
    wireframe_shader = shaders->baerentzen;
    world_resources = resources_from_stores();
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    weapon = new machine_gun(shot_mode::drawn);
}

// init's steps in their order; opened is a display the caller made, or null for the game's window.
void start(const display_config* given, display_surface* opened) {
    keep_freed_heap();
    set_shutdown_handler(shutdown);
    install_drivers(opened == nullptr);
    const display_config config = open_display(given ? *given : load_display_config(), opened);
    timer = al_create_timer(double(timer_period));
    if (!display)
        exit_with_message("Could not init display.", 1);
    require_shader_support();
    create_event_queue();
    prepare_gl(config);
    create_game_objects();
    std::cout << std::boolalpha;
}
} // namespace

void init() { start(nullptr, nullptr); }

void init(const display_config* given) { start(given, nullptr); }

void init(const display_config& config, display_surface* opened) { start(&config, opened); }

void shutdown() {
    // Shots and enemies hold GL objects: release them while the context still exists.
    if (display)
        release_game_objects();
    if (timer)
        al_destroy_timer(timer);
    delete display;
    if (event_queue)
        al_destroy_event_queue(event_queue);
    timer = nullptr;
    display = nullptr;
    event_queue = nullptr;
    delete models;
    models = nullptr;
    world_resources = draw_resources();
    delete wireframe_shader;
    wireframe_shader = nullptr;
    if (shaders)
        shaders->baerentzen = nullptr;
    delete weapon;
    weapon = nullptr;
}

void resize_display(float width, float height) {
    if (width > 0.0f && height > 0.0f) {
        set_projection(make_projection(width, height));
        set_viewport_size(width, height);
    }
    display->acknowledge_resize();
}

ALLEGRO_EVENT_QUEUE* get_event_queue() { return event_queue; }
