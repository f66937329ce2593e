// The player's weapon: fires shots, moves and expires them, draws them, and grows stronger.
#pragma once

class weapon {
  public:
    virtual ~weapon();
    // Tries to fire a volley now.
    virtual void fire() = 0;
    // Draws the weapon's shots.
    virtual void draw() = 0;
    // Raises the power level by one step.
    virtual void power_up() = 0;
    // Moves the shots by dt seconds and drops the ones that left play.
    virtual void update(float dt) = 0;
};

// The player's one weapon, made by start-up and deleted by shutdown.
extern class weapon* weapon;
