// Turns the requested scenes into the list of measured runs (filters and culling make several).
#pragma once

#include "scenes/scene_catalogue.h"

#include <string>
#include <vector>

namespace tarnwick::bench {

// One measured run: a scene of the catalogue with every setting resolved.
struct scene_run {
    // How the run is named in the table, e.g. "filters:texture=1:mipmap=2".
    std::string label;
    std::string scene;
    int enemies = 0;
    int shots = 0;
    int texture_quality = 0;
    int mipmap_quality = 0;
    bool culling = true;
    // barrage: the gun's power level and the frames between window changes.
    int level = 1;
    int cycle = 0;
    // The frame compared with the run's reference picture; 0: none.
    int reference_frame = 0;
};

// The runs of the requests in order; no requests means every scene with its defaults.
std::vector<scene_run> plan_runs(const std::vector<scene_request>& requests);

} // namespace tarnwick::bench
