// Tarnwick: a small 3D shooter and OpenGL test bench. Start-up, the free-running main loop, shutdown.
#include "app/input/input.h"
#include "app/main_scene.h"
#include "app/shell/shell.h"
#include "app/shell/switches.h"
#include "app/startup.h"
#include "app/window_title.h"

#include <cstdlib>

namespace {
void set_display_title(const std::string& text) {
    al_set_window_title(display->allegro_display(), text.c_str());
}
} // namespace

int main() {
    // Initialization
    show_messages_in_a_box(message_box_requested(std::getenv(message_box_variable)));
    init();
    ALLEGRO_EVENT_QUEUE* queue = get_event_queue();
    main_scene scene;
    scene.setup();
    window_title title(set_display_title);
    float previous_frame_time = float(al_get_time());
    frame_statistics statistics;
    statistics.start(al_get_time());

    while (is_running()) {
        // Update: one event at most, then the held keys, the weapon and the world.
        const float dt = float(al_get_time()) - previous_frame_time;
        previous_frame_time = float(al_get_time());
        ALLEGRO_EVENT event;
        if (!al_is_event_queue_empty(queue)) {
            al_wait_for_event(queue, &event);
            scene.handle_event(event);
        }
        scene.apply_held_keys(key_down, dt);
        scene.update(dt, mouse_button_down(1));

        // Draw
        scene.draw();
        display->present();
        scene.end_frame();
        statistics.count_pass(al_get_time(), al_get_time);
        title.show(scene.paused, statistics.latest_fps());
    }

    // De-initialization
    shutdown();
    scene.release();
    return 1;
}
