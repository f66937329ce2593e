// Faults planted in copies of the game's GLSL sources, each with the scenes whose reference pictures must
// catch it, and the data folder a bench runs in to draw with one. No GL.
#pragma once

#include <string>
#include <vector>

namespace tarnwick::bench {

struct planted_fault {
    const char* name;
    // What the fault does, for a person reading the table.
    const char* what;
    // The source under shaders/.
    const char* file;
    // The scenes (NAME[:k=v...], as --scene takes them) that show the effect.
    std::vector<std::string> scenes;
    // The text in the file that the fault replaces (found exactly once), and what replaces it.
    const char* original;
    const char* replacement;
};

const std::vector<planted_fault>& planted_faults();
// The fault of that name, or null.
const planted_fault* find_fault(const std::string& name);

// text with the fault's original replaced by its replacement; false, with error set, when the original is
// not in text exactly once.
bool plant(const planted_fault& fault, const std::string& text, std::string& planted, std::string& error);

// Makes folder a data folder the bench can run in with the fault planted: data_dir's shaders/ copied, the
// fault's file planted, textures/ and meshes/ linked to data_dir's. Returns what went wrong, or an empty
// text.
std::string prepare_fault_folder(const planted_fault& fault, const std::string& data_dir,
                                 const std::string& folder);

} // namespace tarnwick::bench
