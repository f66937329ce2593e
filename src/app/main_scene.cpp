// The main loop's scene: set-up, event handling, held keys, drawing and frame statistics.
#include "main_scene.h"

#include "app/joystick_line.h"
#include "app/startup.h"
#include "app/shell/switches.h"
#include "assets/model_store.h"
#include "assets/texture_store.h"
#include "game/weapon.h"
#include "game/world.h"
#include "render/camera.h"
#include "render/frame_composition.h"
#include "render/shader_set.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <iostream>

namespace {
constexpr glm::vec3 boss_start(0.0f, 0.0f, 15.0f);
constexpr float tiny_model_scale = 0.01f;
} // namespace

glm::vec3 inspection_start_position(int i) { return glm::vec3(float(2 * i - 3), 0.0f, 10.0f); }

float wrap_degrees(float x) { return x - 360.0f * std::floor(x / 360.0f); }

glm::mat4 placement_matrix(const placement& p) {
    glm::mat4 r(1.0f);
    r = glm::rotate(r, glm::radians(p.rotation.x), glm::vec3(0, 1, 0));
    r = glm::rotate(r, glm::radians(p.rotation.y), glm::vec3(1, 0, 0));
    r = glm::rotate(r, glm::radians(p.rotation.z), glm::vec3(0, 0, 1));
    return glm::translate(glm::mat4(1.0f), p.position) * r;
}

void main_scene::setup() {
    // The negative scale turns the cube inside out, so back-face culling keeps the inside.
    backdrop = entity();
    backdrop.set_model_matrix(glm::scale(glm::mat4(1.0f), glm::vec3(-backdrop_half_size)));
    spawn_boss(boss_start);
    shaders->motion->init_frames();
    create_screen_quad();

    for (int i = 0; i < selectable_model_count; ++i) {
        inspection_models[i] = entity();
        inspection_models[i].set_shader(shaders->phong);
        placements[i].position = inspection_start_position(i);
        placements[i].rotation = glm::vec3(0.0f);
        inspection_models[i].set_model_matrix(glm::translate(glm::mat4(1.0f), placements[i].position));
    }
    inspection_models[0].mesh = models->boss;
    for (int i = 1; i < selectable_model_count; ++i)
        inspection_models[i].mesh = models->get(i);
    inspection_models[4].mesh = models->get(0);
    inspection_models[4].set_model_matrix(
        glm::scale(inspection_models[4].get_model_matrix(), glm::vec3(tiny_model_scale)));
    // Model 4 is never selectable; it is drawn lit like the other unselected models.
    inspection_models[4].set_shader(shaders->phong);

    paused = true;
    show_inspection_models = false;
    backdrop.set_shader(shaders->texture);
    backdrop.mesh = models->get(0);
    inspection_models[0].set_shader(shaders->baerentzen);
    yaw = pitch = 0.0f;
    motion_blur = false;
}

void main_scene::handle_event(const ALLEGRO_EVENT& event) {
    switch (event.type) {
    case ALLEGRO_EVENT_JOYSTICK_AXIS:
        std::cout << event.joystick.stick << " " << event.joystick.axis << " " << event.joystick.pos
                  << std::endl;
        print_joystick_state(event.joystick.id);
        break;
    case ALLEGRO_EVENT_JOYSTICK_BUTTON_DOWN:
        std::cout << event.joystick.button << " " << event.joystick.pos << " " << unsigned(event.type)
                  << std::endl;
        print_joystick_state(event.joystick.id);
        break;
    case ALLEGRO_EVENT_KEY_DOWN:
        handle_key_down(event.keyboard.keycode);
        break;
    case ALLEGRO_EVENT_DISPLAY_RESIZE:
        resize_display(float(event.display.width), float(event.display.height));
        break;
    case ALLEGRO_EVENT_DISPLAY_CLOSE:
        stop_running();
        break;
    default:
        break;
    }
}

void main_scene::handle_key_down(int keycode) {
    switch (keycode) {
    case ALLEGRO_KEY_F4:
        std::cout << "texture sampling quality: " << int(cycle_texture_sampling_quality()) << std::endl;
        break;
    case ALLEGRO_KEY_F5:
        std::cout << "mipmap sampling quality: " << int(cycle_mipmap_sampling_quality()) << std::endl;
        break;
    case ALLEGRO_KEY_F8:
        std::cout << "frustum culling: " << toggle_frustum_culling() << std::endl;
        break;
    case ALLEGRO_KEY_F10:
        paused = !paused;
        break;
    case ALLEGRO_KEY_F11:
        show_inspection_models = !show_inspection_models;
        break;
    case ALLEGRO_KEY_F12:
        motion_blur = !motion_blur;
        std::cout << "motion blur :" << motion_blur << std::endl;
        break;
    case ALLEGRO_KEY_ESCAPE:
        stop_running();
        break;
    case ALLEGRO_KEY_TAB:
        inspection_models[selected].set_shader(shaders->phong);
        selected = (selected + 1) % selectable_model_count;
        inspection_models[selected].set_shader(shaders->baerentzen);
        break;
    default:
        break;
    }
}

namespace {
void look_left(main_scene& s, float dt) { s.yaw += camera_turn_rate * dt; }
void look_right(main_scene& s, float dt) { s.yaw -= camera_turn_rate * dt; }
// The limit is tested before the step, so pitch may pass it by one step.
void look_up(main_scene& s, float dt) {
    if (s.pitch < max_camera_pitch)
        s.pitch += camera_turn_rate * dt;
}
void look_down(main_scene& s, float dt) {
    if (s.pitch > min_camera_pitch)
        s.pitch -= camera_turn_rate * dt;
}
void look_ahead(main_scene& s, float) { s.yaw = s.pitch = 0.0f; }

template <int axis, int sign> void move_selected(main_scene& s, float dt) {
    s.placements[s.selected].position[axis] += float(sign) * (model_move_rate * dt);
}
template <int axis, int sign> void turn_selected(main_scene& s, float dt) {
    s.placements[s.selected].rotation[axis] += float(sign) * (model_turn_rate * dt);
}
void put_selected_back(main_scene& s, float) {
    s.placements[s.selected] = placement{inspection_start_position(s.selected), glm::vec3(0.0f)};
}
void put_selected_at_origin(main_scene& s, float) { s.placements[s.selected] = placement{}; }

struct held_key {
    int key;
    void (*action)(main_scene& scene, float dt);
};
// Polled in this order every pass: where several keys are held, the later ones see what the earlier did
// (P, M and Tilde undo the steps before them).
const held_key held_keys[] = {
    {ALLEGRO_KEY_A, look_left},
    {ALLEGRO_KEY_D, look_right},
    {ALLEGRO_KEY_W, look_up},
    {ALLEGRO_KEY_S, look_down},
    {ALLEGRO_KEY_L, move_selected<0, +1>},
    {ALLEGRO_KEY_J, move_selected<0, -1>},
    {ALLEGRO_KEY_I, move_selected<1, +1>},
    {ALLEGRO_KEY_K, move_selected<1, -1>},
    {ALLEGRO_KEY_U, move_selected<2, +1>},
    {ALLEGRO_KEY_O, move_selected<2, -1>},
    {ALLEGRO_KEY_R, turn_selected<0, +1>},
    {ALLEGRO_KEY_T, turn_selected<0, -1>},
    {ALLEGRO_KEY_F, turn_selected<1, +1>},
    {ALLEGRO_KEY_G, turn_selected<1, -1>},
    {ALLEGRO_KEY_V, turn_selected<2, +1>},
    {ALLEGRO_KEY_B, turn_selected<2, -1>},
    {ALLEGRO_KEY_P, put_selected_back},
    {ALLEGRO_KEY_M, put_selected_at_origin},
    {ALLEGRO_KEY_TILDE, look_ahead},
};
} // namespace

void main_scene::apply_held_keys(bool (*held)(int key), float dt) {
    for (const held_key& k : held_keys) {
        if (held(k.key))
            k.action(*this, dt);
    }
}

void main_scene::update(float dt, bool fire_held) {
    if (fire_held)
        weapon->fire();
    if (!paused)
        update_world(dt);
    place_selected_model();
}

void main_scene::place_selected_model() {
    placement& s = placements[selected];
    s.rotation =
        glm::vec3(wrap_degrees(s.rotation.x), wrap_degrees(s.rotation.y), wrap_degrees(s.rotation.z));
    inspection_models[selected].set_model_matrix(placement_matrix(s));
}

void main_scene::draw() {
    set_view(glm::lookAt(glm::vec3(0.0f), camera_direction(yaw, pitch), glm::vec3(0.0f, 1.0f, 0.0f)));

    if (show_inspection_models) {
        for (int i = 0; i < inspection_model_count; ++i) {
            if (i != selected || is_visible(placements[i].position))
                inspection_models[i].draw();
        }
    }

    // The filter switches act on the star texture only; units 1-6 belong to the motion-blur ring.
    glUseProgram(shaders->texture->program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textures->stars);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_filter());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag_filter());
    glUniform1i(shaders->texture->color_map_location, 0);
    glUseProgram(0);
    backdrop.draw();
    glBindTexture(GL_TEXTURE_2D, 0);

    draw_world();

    if (motion_blur)
        compose_frame();
}

void main_scene::end_frame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (motion_blur)
        shaders->motion->advance();
}

void main_scene::release() {
    backdrop = entity();
    for (entity& model : inspection_models)
        model = entity();
}

void frame_statistics::start(double now) {
    interval_start = now;
    frame_count = 0;
}

void frame_statistics::count_pass(double now, double (*clock)()) {
    if (now - interval_start > statistics_interval) {
        const double seconds = clock() - interval_start;
        std::cout << frame_count << " frames in " << seconds << " seconds" << std::endl;
        fps = int(std::lround(frame_count / seconds));
        frame_count = 0;
        interval_start = clock();
    }
    frame_count += 1;
}
