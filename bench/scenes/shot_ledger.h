// Accounts for the shots a run fires: how many, how many lived at once, and whether their GL objects
// went with them.
#pragma once

#include "app/shell/gl.h"
#include "game/shot.h"

#include <cstddef>
#include <set>

namespace tarnwick::bench {

class shot_ledger {
  public:
    // Forgets everything noted so far.
    void clear();
    // Notes the shots appended to live since it held `before` shots, and the number alive now.
    void note_fired(const shot_container& live, size_t before);

    int fired() const { return fired_count; }
    size_t most_alive() const { return peak; }
    // Distinct vertex array and buffer names the fired shots used (a deleted name may come back).
    size_t objects_made() const { return vertex_arrays.size() + buffers.size(); }
    // How many of those names still name a live GL object; needs the run's GL context.
    int objects_left() const;

  private:
    std::set<GLuint> vertex_arrays;
    std::set<GLuint> buffers;
    int fired_count = 0;
    size_t peak = 0;
};

} // namespace tarnwick::bench
