// The data folders the scenes read from the working directory, checked before any window or context.
#pragma once

#include <string>

// The first of shaders/, textures/ and meshes/ that is not a folder (or a link to one) in dir; empty when
// all three are there.
std::string missing_data_folder(const std::string& dir);

// The fatal line for a missing folder: which one, in which folder, and where to run the bench instead.
std::string missing_data_message(const std::string& folder, const std::string& dir);
