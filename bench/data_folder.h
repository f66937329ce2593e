// Where the game's data is for a bench binary wherever it lives: beside it in a build directory, or in
// PREFIX/share/tarnwick when it is installed in PREFIX/bin. No GL.
#pragma once

#include <string>

// The folder holding shaders/, textures/ and meshes/ for the bench at bench_path: the bench's own folder
// (a build directory) or ../share/tarnwick from it (an install); empty when neither holds them.
std::string data_folder_for(const std::string& bench_path);
// This process's executable, through /proc; empty where that cannot be read.
std::string own_executable();
