// Instruction counts under callgrind: its client requests, which are no-ops outside Valgrind.
#include "stage/instruction_counter.h"

#include <cassert>
#include <valgrind/callgrind.h>

namespace tarnwick::bench {

bool instruction_counter::running_under_valgrind() { return RUNNING_ON_VALGRIND != 0; }

void instruction_counter::begin(const std::string&) {
    assert(!on);
    // Zeroed first, so that the dump holds this stretch only, even if collection was left on elsewhere.
    CALLGRIND_START_INSTRUMENTATION;
    CALLGRIND_ZERO_STATS;
    CALLGRIND_TOGGLE_COLLECT;
    on = true;
}

void instruction_counter::end(const std::string& label) {
    assert(on);
    CALLGRIND_TOGGLE_COLLECT;
    on = false;
    CALLGRIND_DUMP_STATS_AT(label.c_str());
    // The frames until the next begin (the next scene's warm-up) run uninstrumented, several times faster.
    CALLGRIND_STOP_INSTRUMENTATION;
}

} // namespace tarnwick::bench
