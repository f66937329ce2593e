// The scenes' grammar, the runs requests make, and the labels they print taken back as exactly those runs;
// README's scene table against the registry.
#include "scenes/scene_plan.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace tarnwick::bench;

namespace {
std::vector<scene_run> runs_of(const std::vector<std::string>& texts) {
    std::vector<scene_request> requests;
    for (const std::string& text : texts) {
        scene_request request;
        const std::string error = parse_scene(text, request);
        EXPECT_EQ(error, "") << text;
        requests.push_back(request);
    }
    return plan_runs(requests);
}

std::vector<std::string> labels_of(const std::vector<scene_run>& runs) {
    std::vector<std::string> labels;
    for (const scene_run& run : runs)
        labels.push_back(run.label);
    return labels;
}

TEST(scene_grammar, bad_scenes_name_their_first_fault) {
    const std::pair<const char*, const char*> table[] = {
        {"nosuch", "unknown scene 'nosuch' (--list shows the scenes)"},
        {"", "unknown scene '' (--list shows the scenes)"},
        {"combat:foo=1", "scene combat takes no setting 'foo=1' (it takes enemies=N shots=N)"},
        {"combat:", "scene combat takes no setting '' (it takes enemies=N shots=N)"},
        {"default:enemies=5", "scene default takes no setting 'enemies=5'"},
        {"combat:enemies=5001", "scene combat: enemies must be a whole number from 0 to 5000, not '5001'"},
        {"combat:shots=3:enemies=-1",
         "scene combat: enemies must be a whole number from 0 to 5000, not '-1'"},
        {"filters:texture=2", "scene filters: texture must be a whole number from -1 to 1, not '2'"},
        {"culling:maybe", "scene culling takes no setting 'maybe' (it takes on|off enemies=N shots=N)"},
        {"culling:culling=1", "scene culling: culling must be one of on|off, not '1'"},
        {"combat:on", "scene combat takes no setting 'on' (it takes enemies=N shots=N)"},
        {"barrage:cycle=0", "scene barrage: cycle must be a whole number from 1 to 10000000, not '0'"},
    };
    for (const auto& [text, message] : table) {
        scene_request request;
        EXPECT_EQ(parse_scene(text, request), message) << text;
    }
}

// A later setting wins; culling and filters make several runs unless told which.
TEST(scene_plan, requests_become_labelled_runs) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> table[] = {
        {{"combat:shots=7:enemies=3:shots=9"}, {"combat:enemies=3:shots=9"}},
        {{"culling:enemies=10"}, {"culling:on:enemies=10:shots=100", "culling:off:enemies=10:shots=100"}},
        {{"culling:off:enemies=3:on"}, {"culling:on:enemies=3:shots=100"}},
        {{"culling:culling=off"}, {"culling:off:enemies=50:shots=100"}},
        {{"barrage:cycle=5:level=2"}, {"barrage:level=2:enemies=50:cycle=5"}},
        {{"filters:mipmap=1"}, {"filters:texture=0:mipmap=1", "filters:texture=1:mipmap=1"}},
        {{"filters:texture=1", "empty"},
         {"filters:texture=1:mipmap=0", "filters:texture=1:mipmap=1", "filters:texture=1:mipmap=2", "empty"}},
    };
    for (const auto& [texts, labels] : table)
        EXPECT_EQ(labels_of(runs_of(texts)), labels) << texts.front();
    EXPECT_EQ(runs_of({"filters"}).size(), 6u);
}

// What --list prints first for each scene, in order.
std::vector<std::string> listed_scenes() {
    std::ostringstream out;
    print_scene_list(out);
    std::istringstream in(out.str());
    std::vector<std::string> listed;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] != ' ')
            listed.push_back(line);
    }
    return listed;
}

TEST(scene_plan, list_names_every_scene_with_its_defaults) {
    const std::vector<std::string> listed = listed_scenes();
    ASSERT_EQ(listed.size(), scene_registry().size());
    for (size_t i = 0; i < listed.size(); ++i) {
        const std::string name = scene_registry()[i]->name;
        EXPECT_EQ(listed[i].substr(0, listed[i].find(':')), name);
        EXPECT_EQ(labels_of(runs_of({listed[i]})), labels_of(runs_of({name}))) << listed[i];
    }
}

// Every label a bench prints (the runs of --list's lines, of a bare bench, of settings given) names exactly
// its own run when --scene takes it back.
TEST(scene_plan, every_printed_label_runs_back_as_that_run_alone) {
    std::vector<scene_run> printed = plan_runs({});
    for (const std::vector<std::string>& texts :
         {listed_scenes(),
          std::vector<std::string>{"culling:off:shots=0", "filters:texture=0:mipmap=2",
                                   "barrage:level=1:enemies=0:cycle=1", "combat:enemies=5000"}}) {
        const std::vector<scene_run> runs = runs_of(texts);
        printed.insert(printed.end(), runs.begin(), runs.end());
    }
    EXPECT_GE(printed.size(), 2 * scene_registry().size());
    for (const scene_run& run : printed) {
        const std::vector<scene_run> again = runs_of({run.label});
        ASSERT_EQ(again.size(), 1u) << run.label;
        EXPECT_EQ(again[0].label, run.label);
        EXPECT_EQ(again[0].kind, run.kind) << run.label;
        EXPECT_EQ(again[0].values, run.values) << run.label;
        EXPECT_EQ(again[0].reference_frame, run.kind->reference_frame) << run.label;
    }
}

// README's "Scene (as `--scene` takes it)" table: a row per scene in the registry's order, each argument
// taken as typed, each reference frame the scene's.
TEST(scene_plan, readme_table_follows_the_registry) {
    std::ifstream readme(TARNWICK_README);
    ASSERT_TRUE(readme) << TARNWICK_README;
    std::string line;
    while (std::getline(readme, line) && line.rfind("| Scene (as `--scene` takes it)", 0) != 0) {
    }
    std::getline(readme, line);
    size_t row = 0;
    for (; std::getline(readme, line) && line.rfind("| `", 0) == 0; ++row) {
        ASSERT_LT(row, scene_registry().size()) << line;
        const scene& s = *scene_registry()[row];
        const std::string argument = line.substr(3, line.find('`', 3) - 3);
        scene_request request;
        EXPECT_EQ(parse_scene(argument, request), "") << line;
        EXPECT_EQ(request.name, s.name) << line;
        const std::string frame = line.substr(line.rfind("| ") + 2);
        EXPECT_EQ(s.reference_frame > 0 ? std::to_string(std::atoi(frame.c_str())) : frame.substr(0, 4),
                  s.reference_frame > 0 ? std::to_string(s.reference_frame) : "none")
            << line;
    }
    EXPECT_EQ(row, scene_registry().size());
}

} // namespace
