// Turns the requested scenes into the list of measured runs (filters and culling make several).
#include "scenes/scene_plan.h"

#include <cstdlib>

namespace tarnwick::bench {

namespace {
// The value of key in the request, else the catalogue's fallback.
int setting(const scene_request& request, const scene_info& scene, const char* key) {
    for (auto it = request.settings.rbegin(); it != request.settings.rend(); ++it) {
        if (it->first == key)
            return std::atoi(it->second.c_str());
    }
    const scene_key* k = find_key(scene, key);
    return k ? k->fallback : 0;
}

std::string object_counts(const scene_run& run) {
    return ":enemies=" + std::to_string(run.enemies) + ":shots=" + std::to_string(run.shots);
}

void plan_request(const scene_request& request, std::vector<scene_run>& runs) {
    const scene_info* scene = find_scene(request.name);
    if (!scene)
        return;
    scene_run run;
    run.scene = request.name;
    run.label = request.name;
    run.reference_frame = scene->reference_frame;
    if (run.scene == "combat" || run.scene == "culling") {
        run.enemies = setting(request, *scene, "enemies");
        run.shots = setting(request, *scene, "shots");
    }
    if (run.scene == "barrage") {
        run.level = setting(request, *scene, "level");
        run.enemies = setting(request, *scene, "enemies");
        run.cycle = setting(request, *scene, "cycle");
        run.label += ":level=" + std::to_string(run.level) + ":enemies=" + std::to_string(run.enemies) +
                     ":cycle=" + std::to_string(run.cycle);
        runs.push_back(run);
    } else if (run.scene == "combat") {
        run.label += object_counts(run);
        runs.push_back(run);
    } else if (run.scene == "culling") {
        for (bool on : {true, false}) {
            run.culling = on;
            run.label = run.scene + (on ? ":on" : ":off") + object_counts(run);
            runs.push_back(run);
        }
    } else if (run.scene == "filters") {
        const int texture = setting(request, *scene, "texture");
        const int mipmap = setting(request, *scene, "mipmap");
        for (int m = 0; m <= 2; ++m) {
            for (int t = 0; t <= 1; ++t) {
                if ((texture >= 0 && t != texture) || (mipmap >= 0 && m != mipmap))
                    continue;
                run.texture_quality = t;
                run.mipmap_quality = m;
                run.label = "filters:texture=" + std::to_string(t) + ":mipmap=" + std::to_string(m);
                runs.push_back(run);
            }
        }
    } else {
        runs.push_back(run);
    }
}
} // namespace

std::vector<scene_run> plan_runs(const std::vector<scene_request>& requests) {
    std::vector<scene_run> runs;
    if (requests.empty()) {
        for (const scene_info& s : scene_catalogue())
            plan_request(scene_request{s.name, {}}, runs);
    }
    for (const scene_request& r : requests)
        plan_request(r, runs);
    return runs;
}

} // namespace tarnwick::bench
