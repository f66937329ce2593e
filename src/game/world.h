// The game world: live enemies, waves, hits, bonuses, power-ups and the end of the game.
#pragma once

#include "enemy.h"

#include <glm/glm.hpp>
#include <list>

// Every live enemy in creation order; the list owns them.
extern std::list<enemy*> enemies;
extern int wave_size;
extern int wave_kills;

// One step of the game: shots first, then every enemy (including those created during the step),
// hits, removals, new waves and freed satellites. Ends the process with "GAME OVER" when an enemy's
// centre comes within 2 units of the origin.
void update_world(float dt);
// Draws every visible enemy, then the weapon's shots.
void draw_world();
// A wireframe enemy of kind type (0-3) flying at the origin.
void spawn_enemy(glm::vec3 position, int type);
// The translucent boss flying at the origin, with six wireframe satellites circling it.
void spawn_boss(glm::vec3 position);
// A stationary item whose removal powers the weapon up.
void spawn_bonus(glm::vec3 position);

// Deletes every enemy.
void clear_enemies();
// Releases every enemy and shot; shutdown calls it while the GL context still exists.
void release_game_objects();
