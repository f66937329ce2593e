// The data-folder check that runs before any window: which folder it names, in a scratch folder per row.
#include "data_folders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

// Each row lays out a folder (names ending in '/' are folders, the others files) and names the folder the
// check must report (empty: none). The build directory's links to folders are the bench scripts' case.
TEST(data_folders, the_first_missing_folder_is_named) {
    const struct {
        std::vector<std::string> entries;
        const char* missing;
    } rows[] = {
        {{}, "shaders/"},
        {{"shaders/", "textures/", "meshes/"}, ""},
        {{"shaders/", "meshes/"}, "textures/"},
        {{"shaders/", "textures/", "meshes"}, "meshes/"},
    };
    for (const auto& r : rows) {
        char pattern[] = "/tmp/tarnwick_data_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        for (const std::string& entry : r.entries) {
            if (entry.back() == '/')
                fs::create_directory(fs::path(pattern) / entry);
            else
                std::ofstream(fs::path(pattern) / entry) << "not a folder";
        }
        EXPECT_EQ(missing_data_folder(pattern), r.missing) << testing::PrintToString(r.entries);
        fs::remove_all(pattern);
    }
}
