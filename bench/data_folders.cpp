// The data folders the scenes read from the working directory, checked before any window or context.
#include "data_folders.h"

#include <filesystem>

namespace {
const char* const data_folders[] = {"shaders", "textures", "meshes"};
} // namespace

std::string missing_data_folder(const std::string& dir) {
    for (const char* folder : data_folders) {
        std::error_code ignored;
        if (!std::filesystem::is_directory(std::filesystem::path(dir) / folder, ignored))
            return std::string(folder) + "/";
    }
    return std::string();
}

std::string missing_data_message(const std::string& folder, const std::string& dir) {
    return "tarnwick-bench: no " + folder + " folder in " + dir +
           ": run it where the game's data is (shaders/, textures/ and meshes/), such as the build "
           "directory or the folder the tarnwick launcher makes ($XDG_DATA_HOME/tarnwick, by default "
           "~/.local/share/tarnwick)";
}
