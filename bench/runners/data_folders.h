// The data folders the scenes read from the working directory, checked before any window or context, and
// where the game's data is for a bench wherever it lives. No GL.
#pragma once

#include <string>

namespace tarnwick::bench {

// The first of shaders/, textures/ and meshes/ that is not a folder (or a link to one) in dir; empty when
// all three are there.
std::string missing_data_folder(const std::string& dir);

// The fatal line for a missing folder: which one, in which folder, and where to run the bench instead
// (data_hint, when not empty, is the folder that holds this bench's data).
std::string missing_data_message(const std::string& folder, const std::string& dir,
                                 const std::string& data_hint);

// The folder holding the data for the bench at bench_path: the bench's own folder (a build directory) or
// ../share/tarnwick from it (an install in PREFIX/bin); empty when neither holds all three folders.
std::string data_folder_for(const std::string& bench_path);
// The reference pictures installed beside that data (DATA/references), for --reference and --drivers; empty
// when there are none.
std::string reference_folder_for(const std::string& bench_path);
// This process's executable, through /proc; empty where that cannot be read.
std::string own_executable();

} // namespace tarnwick::bench
