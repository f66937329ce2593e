// Whether every component of a vector is finite: positions and directions that reach the game from outside
// are checked with it before they move anything.
#pragma once

#include <cmath>
#include <glm/glm.hpp>

inline bool is_finite(glm::vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }
