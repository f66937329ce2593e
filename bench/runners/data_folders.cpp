// The data folders the scenes read from the working directory, and where the game's data is. No GL.
#include "runners/data_folders.h"

#include <filesystem>

namespace tarnwick::bench {

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

std::string missing_data_message(const std::string& folder, const std::string& dir,
                                 const std::string& data_hint) {
    return "tarnwick-bench: no " + folder + " folder in " + dir +
           ": run it where the game's data is (shaders/, textures/ and meshes/), such as " +
           (data_hint.empty() ? std::string("the build directory") : data_hint) +
           " or the folder the tarnwick launcher makes ($XDG_DATA_HOME/tarnwick, by default "
           "~/.local/share/tarnwick)";
}

std::string data_folder_for(const std::string& bench_path) {
    const std::filesystem::path own = std::filesystem::path(bench_path).parent_path();
    for (const std::filesystem::path& folder : {own, own / ".." / "share" / "tarnwick"}) {
        if (!own.empty() && missing_data_folder(folder.string()).empty())
            return std::filesystem::weakly_canonical(folder).string();
    }
    return std::string();
}

std::string reference_folder_for(const std::string& bench_path) {
    const std::string data = data_folder_for(bench_path);
    std::error_code ignored;
    const std::filesystem::path references = std::filesystem::path(data) / "references";
    return !data.empty() && std::filesystem::is_directory(references, ignored) ? references.string() : "";
}

std::string own_executable() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

} // namespace tarnwick::bench
