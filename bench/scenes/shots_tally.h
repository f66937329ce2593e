// What a barrage counted over its run, and what outlived its shots: the stage's figures for the record.
#pragma once

namespace tarnwick::bench {

struct shots_tally {
    int fired = 0;
    long most_alive = 0;
    int window_changes = 0;
    // Steps without firing that let the shots fly out.
    int drain_steps = 0;
    long shots_left = 0;
    int objects_left = 0;
    long objects_made = 0;
    long resident_kib = 0;
    // What outlived the shots: shots still flying and their GL objects still alive.
    long left_over() const { return shots_left + objects_left; }
};

} // namespace tarnwick::bench
