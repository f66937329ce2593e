// Instruction counts of a stretch of the bench under Valgrind's callgrind, through its client requests.
// Outside Valgrind every call does nothing. Run with --collect-atstart=no so that only begin..end counts;
// --instr-atstart=no as well runs everything before the first begin several times faster.
#pragma once

#include <string>

namespace tarnwick::bench {

class instruction_counter {
  public:
    // True when the process runs under Valgrind (whatever its tool).
    static bool running_under_valgrind();

    // Turns instrumentation on (if it was off), zeroes callgrind's counters and turns collection on.
    // Collection must be off (begin and end pair up).
    void begin(const std::string& label);
    // Turns collection off and writes a dump whose trigger reads "Client Request: " followed by the label
    // (callgrind_profile's label), so that each stretch is a dump of its own; then turns instrumentation
    // off until the next begin.
    void end(const std::string& label);

    bool collecting() const { return on; }

  private:
    // Callgrind only toggles collection, so the counter keeps the state it set.
    bool on = false;
};

} // namespace tarnwick::bench
