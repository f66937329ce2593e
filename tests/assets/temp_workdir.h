// A fresh temporary working directory for tests that need their own data folders; restores the old one.
#pragma once

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

struct temp_workdir {
    std::string previous;
    std::string path;

    temp_workdir() {
        char old[PATH_MAX];
        previous = getcwd(old, sizeof old) ? old : ".";
        char pattern[] = "/tmp/tarnwick_assets_XXXXXX";
        path = mkdtemp(pattern);
        if (chdir(path.c_str()) != 0)
            path.clear();
    }
    ~temp_workdir() {
        if (chdir(previous.c_str()) != 0)
            return;
        const std::string command = "rm -rf '" + path + "'";
        if (!path.empty() && std::system(command.c_str()) != 0)
            std::perror("rm");
    }
    // Absolute path of a file in the directory the test started in (the build directory).
    std::string original(const std::string& relative) const { return previous + "/" + relative; }
    static void write(const std::string& name, const std::string& content) {
        FILE* f = std::fopen(name.c_str(), "wb");
        if (!f)
            return;
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    }
};
