// A fresh temporary working directory for tests that need their own data folders; restores the old one.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

struct temp_workdir {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::path path;

    temp_workdir() {
        char pattern[] = "/tmp/tarnwick_assets_XXXXXX";
        if (mkdtemp(pattern)) {
            path = pattern;
            std::filesystem::current_path(path);
        }
    }
    ~temp_workdir() {
        std::filesystem::current_path(previous);
        if (!path.empty())
            std::filesystem::remove_all(path);
    }
    static void write(const std::string& name, const std::string& content) {
        std::ofstream(name, std::ios::binary) << content;
    }
};
