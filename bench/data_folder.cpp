// Where the game's data is for a bench binary wherever it lives. No GL.
#include "data_folder.h"

#include <filesystem>

namespace {
bool holds_data(const std::filesystem::path& folder) {
    std::error_code ignored;
    for (const char* item : {"shaders", "textures", "meshes"}) {
        if (!std::filesystem::is_directory(folder / item, ignored))
            return false;
    }
    return true;
}
} // namespace

std::string data_folder_for(const std::string& bench_path) {
    const std::filesystem::path own = std::filesystem::path(bench_path).parent_path();
    for (const std::filesystem::path& folder : {own, own / ".." / "share" / "tarnwick"}) {
        if (holds_data(folder))
            return std::filesystem::weakly_canonical(folder).string();
    }
    return std::string();
}

std::string own_executable() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}
