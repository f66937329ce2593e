// Start-up, shutdown and window resizing of the game process.
#pragma once

#include "app/config.h"
#include "app/shell/display_surface.h"
#include "app/shell/gl.h"

extern ALLEGRO_TIMER* timer;
extern ALLEGRO_EVENT_QUEUE* event_queue;

// Brings up Allegro, the display and every long-lived object, or ends the process with a message.
void init();
// The same with display settings given by the caller instead of "tarnwick.cfg" (null: read the file).
void init(const display_config* given);
// The same on a display the caller has opened (the bench's framebuffer without a window), which start-up
// then owns: Allegro's system starts without its keyboard, mouse and joystick drivers.
void init(const display_config& config, display_surface* opened);
// Releases what init created, only what exists; also runs on the fatal-exit road.
void shutdown();
// Answers a display-resize event: new projection and viewport size, then acknowledges the resize.
// A size without area keeps the last valid projection.
void resize_display(float width, float height);
ALLEGRO_EVENT_QUEUE* get_event_queue();
