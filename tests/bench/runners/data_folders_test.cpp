// The data-folder check that runs before any window, and where the data is for a bench in a build or an
// install.
#include "runners/data_folders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace tarnwick::bench;

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

TEST(data_folders, found_beside_a_build_or_under_an_install_prefix) {
    char pattern[] = "/tmp/tarnwick-data.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path root = pattern;
    const auto make_data = [](const fs::path& folder, bool complete) {
        for (const char* item : {"shaders", "textures", "meshes"}) {
            if (complete || std::string(item) != "meshes")
                fs::create_directories(folder / item);
        }
    };
    make_data(root / "build", true);
    make_data(root / "prefix" / "share" / "tarnwick", true);
    fs::create_directories(root / "prefix" / "bin");
    make_data(root / "partial", false);
    struct row {
        fs::path bench;
        std::string folder;
    };
    const row table[] = {
        {root / "build" / "tarnwick-bench", (root / "build").string()},
        {root / "prefix" / "bin" / "tarnwick-bench", (root / "prefix" / "share" / "tarnwick").string()},
        {root / "partial" / "tarnwick-bench", ""},
        {root / "nowhere" / "tarnwick-bench", ""},
    };
    for (const row& r : table)
        EXPECT_EQ(data_folder_for(r.bench.string()), r.folder) << r.bench;
    // Installed references lie beside the installed data; a build's data has none of its own.
    fs::create_directories(root / "prefix" / "share" / "tarnwick" / "references");
    EXPECT_EQ(reference_folder_for((root / "prefix" / "bin" / "tarnwick-bench").string()),
              (root / "prefix" / "share" / "tarnwick" / "references").string());
    EXPECT_EQ(reference_folder_for((root / "build" / "tarnwick-bench").string()), "");
    EXPECT_EQ(fs::path(own_executable()).filename(), "bench_unit_tests");
    fs::remove_all(root);
}
