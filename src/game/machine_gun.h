// The player's machine gun: rate-limited volleys aimed through the cursor, four power levels.
#pragma once

#include "shot.h"
#include "weapon.h"

#include <glm/glm.hpp>

constexpr int max_weapon_level = 4;

class machine_gun : public weapon {
  public:
    // Seconds on a monotonic clock; Allegro's by default.
    using clock_function = double (*)();
    // Where to aim, in normalized device coordinates; the mouse cursor by default.
    using aim_function = glm::vec2 (*)();

    // Fires shots of the given mode, timed by Allegro's clock and aimed at the mouse cursor.
    explicit machine_gun(shot_mode mode);
    machine_gun(shot_mode mode, clock_function clock, aim_function aim);
    ~machine_gun() override;

    // Fires a volley when strictly more than interval seconds passed since the last one.
    void fire() override;
    // Draws every visible shot over everything drawn before it.
    void draw() override;
    // Steps the level table up, at most to level 4.
    void power_up() override;
    void update(float dt) override;

    double last_shot_time = 0.0;
    double interval = 0.5;
    float shot_speed = 10.0f;
    int level = 1;
    int extra_shots = 0;
    // Not owned: the game's list of live shots.
    shot_container* shot_list;

  private:
    // Appends one shot aimed through ndc, starting one unit in front of the camera.
    void fire_at(glm::vec2 ndc);

    // Whether the shots it fires are drawn: the game's gun draws, a gun in a world without GL does not.
    shot_mode mode;
    clock_function clock;
    aim_function aim;
};
