// Accounts for the shots a run fires: how many, how many lived at once, and whether their GL objects
// went with them.
#include "scenes/shot_ledger.h"

#include <iterator>

namespace tarnwick::bench {

void shot_ledger::clear() { *this = shot_ledger(); }

void shot_ledger::note_fired(const shot_container& live, size_t before) {
    if (live.size() > peak)
        peak = live.size();
    if (live.size() <= before)
        return;
    const size_t added = live.size() - before;
    fired_count += int(added);
    for (auto it = std::prev(live.end(), long(added)); it != live.end(); ++it) {
        vertex_arrays.insert((*it)->vao());
        buffers.insert((*it)->posBuf());
    }
}

int shot_ledger::objects_left() const {
    int left = 0;
    for (GLuint name : vertex_arrays)
        left += name != 0 && glIsVertexArray(name) == GL_TRUE;
    for (GLuint name : buffers)
        left += name != 0 && glIsBuffer(name) == GL_TRUE;
    return left;
}

} // namespace tarnwick::bench
