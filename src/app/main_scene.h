// The main loop's fixed scene and per-pass steps: backdrop, inspection models, camera, toggles, statistics.
#pragma once

#include "app/shell/gl.h"
#include "game/entity.h"

#include <glm/glm.hpp>

// Where an inspection model stands (world units) and how it is turned (degrees).
struct placement {
    glm::vec3 position = glm::vec3(0.0f);
    glm::vec3 rotation = glm::vec3(0.0f);
};

constexpr int inspection_model_count = 5;
// Only the first four inspection models can be selected.
constexpr int selectable_model_count = 4;
constexpr float camera_turn_rate = 2.0f;  // radians per second
constexpr float model_move_rate = 4.0f;   // world units per second
constexpr float model_turn_rate = 120.0f; // degrees per second
constexpr float backdrop_half_size = 30.0f;
constexpr double statistics_interval = 5.0; // seconds

// The start place of inspection model i.
glm::vec3 inspection_start_position(int i);
// Wraps an angle in degrees into [0, 360).
float wrap_degrees(float degrees);
// The selected model's matrix: translation, then turns about Y, X and Z by the placement's angles.
glm::mat4 placement_matrix(const placement& p);

class main_scene {
  public:
    // Builds the backdrop, the boss, the motion-blur ring and quad, and the five inspection models.
    void setup();
    // Acts on one event: joystick lines, key-down toggles, resize and close.
    void handle_event(const ALLEGRO_EVENT& event);
    // Acts on one key-down key code.
    void handle_key_down(int keycode);
    // Applies the held keys (queried through held) for a pass of dt seconds.
    void apply_held_keys(bool (*held)(int key), float dt);
    // Fires while the left button is held, advances the game unless paused, and places the selected model.
    void update(float dt, bool fire_held);
    // Wraps the selected placement's angles into [0, 360) and rebuilds that model's matrix from it.
    void place_selected_model();
    // Sets the camera and draws inspection models, backdrop, world and (with blur on) the composed frame;
    // changes no game state.
    void draw();
    // After the flip: clears and turns the motion-blur ring.
    void end_frame();
    // Releases the scene's entities.
    void release();

    entity backdrop;
    entity inspection_models[inspection_model_count];
    placement placements[inspection_model_count];
    int selected = 0;
    float yaw = 0.0f;
    float pitch = 0.0f;
    bool paused = true;
    bool show_inspection_models = false;
    bool motion_blur = false;
};

// Counts passes and prints "N frames in T seconds" once per interval.
class frame_statistics {
  public:
    void start(double now);
    // Called once per pass with the clock; prints when the interval is over.
    void count_pass(double now, double (*clock)());
    // Frames per second of the latest printed interval, rounded; -1 before the first line.
    int latest_fps() const { return fps; }

  private:
    double interval_start = 0.0;
    int frame_count = 0;
    int fps = -1;
};
